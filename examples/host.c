/* The smallest host: one stereo buffer through the phase inversion, which the default chain holds. */
#include <stdio.h>
#include <string.h>

#include "vemosoundmix.h"

int main(void) {
    static int16_t pcm[2 * 1024], before[2 * 1024];
    for (int i = 0; i < 2 * 1024; ++i) pcm[i] = before[i] = (int16_t)((i * 37) % 2000 - 1000);

    vemomix_begin();
    vemomix_init(44100, 2, 0);
    EffectSettings s;
    memset(&s, 0, sizeof s); /* vemomix_get writes only the chain bytes in use */
    vemomix_get(&s);
    s.invert_enabled = 1;
    vemomix_set(s);
    const int32_t bytes = vemomix_change(pcm, (int32_t)sizeof pcm);
    vemomix_close();

    int inverted = 0;
    for (int i = 0; i < 2 * 1024; ++i) inverted += pcm[i] == -before[i];
    printf("vemomix_change returned %d bytes; %d of %d samples inverted\n", (int)bytes, inverted, 2 * 1024);
    return bytes == (int32_t)sizeof pcm && inverted == 2 * 1024 && memcmp(pcm, before, sizeof pcm) != 0 ? 0 : 1;
}
