// --levels: a render's peak and RMS over time, per channel, input and output overlaid, drawn with cairo.
// The picture has a fixed width whatever the length: the levels are kept in blocks that double in length
// (merging pairs) when there are too many, and each pixel column takes the blocks that start within it.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio_file.h"
#include "host.h"

namespace vemomix_cli {

// Peak and sum of squares of one stretch of one channel.
struct LevelBlock {
    int peak = 0;
    double sum_squares = 0.0;
    int64_t samples = 0;
    int64_t full_scale = 0;
    void merge(const LevelBlock& b);
};

// The blocks of one channel of the input or the output.
struct LevelTrack {
    std::vector<LevelBlock> blocks;
};

class LevelHistory {
public:
    explicit LevelHistory(int channels);

    void add(const int16_t* interleaved, int64_t frames, bool output);
    int channels() const { return channels_; }
    int64_t frames(bool output) const { return frames_[output]; }
    int64_t block_frames() const { return block_frames_; }
    // Finished and partial blocks of a channel.
    const LevelTrack& track(bool output, int channel) const { return tracks_[output][channel]; }

    // No more blocks than this: twice as many are merged pairwise into blocks twice as long.
    static constexpr size_t kMaxBlocks = 16384;

private:
    void halve();

    int channels_;
    int64_t block_frames_ = 64;
    int64_t frames_[2] = {};
    std::vector<LevelTrack> tracks_[2];
};

// Dimensions of the picture.
constexpr int kLevelsWidth = 1200;
constexpr int kLevelsPanelHeight = 200;
// The dB scale runs from 0 dBFS down to this; quieter levels sit on the floor.
constexpr double kLevelsFloorDb = -72.0;

// The plot's file, opened before the render so that a path that cannot be written fails first.
class LevelsPlot {
public:
    LevelsPlot(const std::string& path, int rate, int channels, std::string title);

    BufferHook hook();
    // Draws the picture and encodes it as PNG.
    void encode();
    void commit();

    const LevelHistory& history() const { return history_; }

private:
    std::string path_;
    int rate_;
    std::string title_;
    LevelHistory history_;
    std::unique_ptr<OutputFile> file_;
    std::string png_;
};

}  // namespace vemomix_cli
