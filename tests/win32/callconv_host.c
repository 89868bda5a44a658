/* A minimal 32-bit host, compiled against the public header and linked with the import library.
 * The test script reads its disassembly: restore() must copy the whole 748-byte record onto the
 * stack for vemomix_set and remove it again after the call (cdecl: the caller cleans up). */
#include <string.h>

#include "vemosoundmix.h"

__attribute__((noinline)) void restore(const EffectSettings *saved) { vemomix_set(*saved); }

int main(void) {
    EffectSettings s;
    memset(&s, 0, sizeof s);
    vemomix_begin();
    vemomix_init(44100, 2, 0);
    vemomix_get(&s);
    restore(&s);
    vemomix_close();
    return 0;
}
