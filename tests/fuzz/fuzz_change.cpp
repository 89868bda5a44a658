// One fuzz input = a format, a few call options, a settings record and a PCM buffer:
//   byte 0      format: bits 0-1 rate (11025, 22050, 44100, 48000), bits 2-4 = 7 for 32000 Hz,
//               bit 5 stereo, bit 6 editor shown
//   byte 1      calls: bit 0 data refresh after the record, bit 1 apply the record twice,
//               bits 2-3 how many pieces the buffer is handed over in, bit 4 refresh between pieces
//   bytes 2-749 XORed onto the record of the freshly initialised format (all zeros = defaults)
//   the rest    the samples, as the host would pass them (any length, odd ones included)
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "vemosoundmix.h"

constexpr size_t kHeader = 2, kRecord = sizeof(EffectSettings);
constexpr size_t kMaxBuffer = 65536;  // several slices' worth, so the slicing of long buffers is exercised too

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vemomix_begin();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t format = size > 0 ? data[0] : 0;
    const uint8_t calls = size > 1 ? data[1] : 0;
    static const int32_t rates[4] = {11025, 22050, 44100, 48000};
    const int32_t rate = ((format >> 2) & 7) == 7 ? 32000 : rates[format & 3];
    const int32_t channels = (format & 0x20) ? 2 : 1;
    vemomix_init(rate, channels, (format >> 6) & 1);

    EffectSettings rec{};
    vemomix_get(&rec);
    auto* rb = reinterpret_cast<uint8_t*>(&rec);
    for (size_t i = 0; i < kRecord && kHeader + i < size; ++i) rb[i] ^= data[kHeader + i];
    vemomix_set(rec);
    if (calls & 2) vemomix_set(rec);
    if (calls & 1) vemomix_datarefresh();

    const size_t start = kHeader + kRecord;
    const size_t bytes = size > start ? std::min(size - start, kMaxBuffer) : 0;
    // Exactly as long as the host says, so a write past its end is caught.
    std::vector<uint8_t> pcm(data + std::min(start, size), data + std::min(start, size) + bytes);
    const size_t pieces = 1 + ((calls >> 2) & 3);
    size_t done = 0;
    for (size_t p = 0; p < pieces; ++p) {
        const size_t n = p + 1 == pieces ? bytes - done : (bytes / pieces) & ~static_cast<size_t>(1);
        // An empty vector has no storage; hand over a null pointer then, as a host might.
        int16_t* at = pcm.empty() ? nullptr : reinterpret_cast<int16_t*>(pcm.data() + done);
        if (vemomix_change(at, static_cast<int32_t>(n)) != static_cast<int32_t>(n)) __builtin_trap();
        done += n;
        if ((calls & 0x10) && p + 1 < pieces) vemomix_datarefresh();
    }
    vemomix_get(&rec);
    return 0;
}
