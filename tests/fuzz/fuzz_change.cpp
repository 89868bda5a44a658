// One fuzz input = a format, a few call options, a settings record and a PCM buffer:
//   byte 0      format: bits 0-1 rate (11025, 22050, 44100, 48000), bits 2-4 = 7 for 32000 Hz,
//               bit 5 stereo, bit 6 editor shown; bit 7 session: vemomix_close and a new
//               vemomix_begin first, or (bits 2-4 = 6) a second vemomix_begin on the open one
//   byte 1      calls: bit 0 data refresh after the record, bit 1 apply the record again,
//               bits 2-3 how many pieces the buffer is handed over in, bit 4 refresh between
//               pieces, bit 5 a changed record between pieces, bit 6 display and switch calls
//               between pieces, bit 7 hostile byte counts (negative, none, one byte) and a buffer
//               several slices long made by repeating the samples
//   bytes 2-749 XORed onto the record of the freshly initialised format (all zeros = defaults)
//   the rest    the samples, as the host would pass them (any length, odd ones included)
// The session stays open from one input to the next, as a host's does: vemomix_init runs only
// when the format changes (it rebuilds every buffer, megabytes of them), and each input starts
// from the format's initial record and emptied histories.  (What no call resets, such as the
// pitch changer's frame position, still carries over, so a crash may need the inputs before it.)
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "vemosoundmix.h"

constexpr size_t kHeader = 2, kRecord = sizeof(EffectSettings);
constexpr size_t kMaxBuffer = 65536;  // several slices' worth, so the slicing of long buffers is exercised too

namespace {

struct Session {
    int32_t rate = 0, channels = 0;  // the format of the last vemomix_init, none yet
    EffectSettings initial{};        // the record that init left
};
Session session;

void initialise(int32_t rate, int32_t channels, int32_t show) {
    vemomix_init(rate, channels, show);
    session = {rate, channels, {}};
    vemomix_get(&session.initial);
}

// The calls a host's user-interface thread makes while audio runs, steered by one byte.
void display_calls(uint8_t b) {
    vemomix_setdisp(b & 1);
    vemomix_set_dispmode(static_cast<int32_t>((b >> 1) & 3) - 1);
    vemomix_setiir((b >> 3) & 3);
    vemomix_setecho((b >> 5) & 3);
    (void)vemomix_get_dispstatus();
}

// A host that miscounts: each of these must leave the buffer alone and return the count.
void hostile_counts(int16_t* at) {
    for (const int32_t n : {-2, INT32_MIN, -1, 0, 1})
        if (vemomix_change(at, n) != n) __builtin_trap();
}

}  // namespace

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
    const int32_t show = (format >> 6) & 1;
    if (format & 0x80) {
        if (((format >> 2) & 7) == 6) {
            vemomix_begin();
        } else {
            vemomix_close();
            vemomix_begin();
            session.rate = 0;  // a closed session needs vemomix_init again
        }
    }
    // Within a format, the editor's display follows the input as the host would switch it.
    if (rate != session.rate || channels != session.channels)
        initialise(rate, channels, show);
    else
        vemomix_setdisp(static_cast<uint8_t>(show));

    EffectSettings rec = session.initial;
    auto* rb = reinterpret_cast<uint8_t*>(&rec);
    for (size_t i = 0; i < kRecord && kHeader + i < size; ++i) rb[i] ^= data[kHeader + i];
    vemomix_set(rec);
    if (calls & 1) vemomix_datarefresh();
    if (calls & 2) vemomix_set(rec);
    // What the last input left in the histories is not part of this one.
    vemomix_datarefresh();

    const size_t start = kHeader + kRecord;
    const uint8_t* samples = data + std::min(start, size);
    size_t bytes = size > start ? std::min(size - start, kMaxBuffer) : 0;
    // Exactly as long as the host says, so a write past its end is caught.
    std::vector<uint8_t> pcm(samples, samples + bytes);
    if ((calls & 0x80) && bytes > 0) {
        // Several slices' worth from a short input: the samples over and over.
        const size_t longer = std::min<size_t>(kMaxBuffer, bytes * (1 + data[size - 1] % 16));
        pcm.resize(longer);
        for (size_t i = bytes; i < longer; ++i) pcm[i] = pcm[i - bytes];
        bytes = longer;
    }
    const size_t pieces = 1 + ((calls >> 2) & 3);
    size_t done = 0;
    for (size_t p = 0; p < pieces; ++p) {
        const size_t n = p + 1 == pieces ? bytes - done : (bytes / pieces) & ~static_cast<size_t>(1);
        // An empty vector has no storage; hand over a null pointer then, as a host might.
        int16_t* at = pcm.empty() ? nullptr : reinterpret_cast<int16_t*>(pcm.data() + done);
        if (vemomix_change(at, static_cast<int32_t>(n)) != static_cast<int32_t>(n)) __builtin_trap();
        if ((calls & 0x80) && at != nullptr) hostile_counts(at);
        done += n;
        if (p + 1 == pieces) break;
        const uint8_t steer = n > 0 ? pcm[done - 1] : static_cast<uint8_t>(p);
        if (calls & 0x10) vemomix_datarefresh();
        if (calls & 0x20) {
            // A record changed mid-stream: a few of its bytes flipped by the samples just played.
            for (size_t i = 0; i < 8 && i < n; ++i) rb[(steer * 8u + i * 97u) % kRecord] ^= pcm[done - 1 - i];
            vemomix_set(rec);
        }
        if (calls & 0x40) display_calls(steer);
    }
    vemomix_get(&rec);
    return 0;
}
