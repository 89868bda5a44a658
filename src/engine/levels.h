// Level capture for the editor's caption strip: per-frame levels of the last processed
// buffer, and the strip geometry measured by vemomix_init.
#pragma once
#include <cstdint>

namespace vemo {

constexpr int kLevelFrames = 8192;
constexpr int kLevelCaptureMax = 8190;
constexpr int kStripMaxWidth = 1400;

struct LevelCapture {
    int display_frames = 0;  // frames captured by the last call; 0 after each drawing
    uint8_t left[kLevelFrames] = {};
    uint8_t right[kLevelFrames] = {};
    // Strip geometry (W, H = client height + 1, H/6, W/10); W = 0 until measured.
    int width = 0;
    int height = 0;
    int height6 = 0;
    int width10 = 0;
};

// Captures |sample|/256 of channel 0 (and 1) for up to kLevelCaptureMax frames.
void capture_levels(LevelCapture& lv, const int16_t* pcm, int frames, int channels);
// Sets W, H and the derived sixth and tenth; W is limited to kStripMaxWidth.
void set_strip_geometry(LevelCapture& lv, int client_width, int client_height);

}  // namespace vemo
