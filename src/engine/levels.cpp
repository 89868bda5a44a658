#include "engine/levels.h"

#include <algorithm>

namespace vemo {

void capture_levels(LevelCapture& lv, const int16_t* pcm, int frames, int channels) {
    const int n = std::min(frames, kLevelCaptureMax);
    lv.display_frames = n;
    for (int i = 0; i < n; ++i) {
        const int l = pcm[i * channels];
        lv.left[i] = static_cast<uint8_t>(std::clamp((l < 0 ? -l : l) / 256, 0, 255));
        if (channels > 1) {
            const int r = pcm[i * channels + 1];
            lv.right[i] = static_cast<uint8_t>(std::clamp((r < 0 ? -r : r) / 256, 0, 255));
        } else {
            lv.right[i] = 0;
        }
    }
}

void set_strip_geometry(LevelCapture& lv, int client_width, int client_height) {
    lv.width = std::clamp(client_width, 0, kStripMaxWidth);
    lv.height = std::max(client_height, 0) + 1;
    lv.height6 = lv.height / 6;
    lv.width10 = lv.width / 10;
}

}  // namespace vemo
