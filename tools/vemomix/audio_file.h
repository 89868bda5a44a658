// Audio in through libsndfile, 16-bit WAV out; every output goes to a temporary file beside its final name
// and is renamed into place only when it is complete.
#pragma once
#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vemomix_cli {

// Any file libsndfile reads, delivered as 16-bit frames.
class AudioReader {
public:
    explicit AudioReader(const std::string& path);
    ~AudioReader();
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    int rate() const { return info_.samplerate; }
    int channels() const { return info_.channels; }
    // Frame count the file announces (may be unknown, then negative or huge).
    int64_t frames() const { return info_.frames; }
    // Up to max_frames frames into out; returns the number read, 0 at the end.
    int64_t read(int16_t* out, int64_t max_frames);

private:
    std::string path_;
    SF_INFO info_{};
    SNDFILE* sf_ = nullptr;
    std::vector<double> scratch_;
};

// A file that appears under its final name only on commit(); otherwise it is removed, also on SIGINT/SIGTERM.
class OutputFile {
public:
    explicit OutputFile(std::string final_path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    int fd() const { return fd_; }
    // Hands the descriptor over to someone who closes it (libsndfile).
    int release_fd();
    const std::string& final_path() const { return final_path_; }
    // Writes every byte to the descriptor (still held, not released).
    void write_all(const std::string& bytes);
    void commit();

private:
    std::string final_path_;
    std::string temp_path_;
    int fd_ = -1;
    int pending_slot_ = -1;
    bool committed_ = false;
};

// 16-bit PCM WAV at the given rate and channel count.
class WavWriter {
public:
    WavWriter(const std::string& path, int rate, int channels);
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    void write(const int16_t* frames, int64_t count);
    void commit();

private:
    OutputFile file_;
    SNDFILE* sf_ = nullptr;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);

}  // namespace vemomix_cli
