// Audio in and out through libsndfile, and the outputs that appear only when they are complete.
#pragma once
#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

#include "editor/durable_file.h"

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
    // After the last read: why the file ended before its header said it would, or empty when it did not.
    std::string truncation() const;
    // Samples that the conversion to 16 bits had to clip (louder than full scale).
    int64_t clipped() const { return clipped_; }

private:
    std::string path_;
    SF_INFO info_{};
    SNDFILE* sf_ = nullptr;
    std::vector<double> scratch_;
    int64_t read_ = 0;
    int64_t clipped_ = 0;
};

// Where an output goes. A regular file (or a new one) is written to a temporary file beside it (vemo::Temporary:
// unnamed where the system allows, so that even SIGKILL leaves nothing) and renamed into place, flushed, only
// on commit(), with the old file's permissions; a symbolic link's target is the file that is replaced, and a
// loop of links is refused. Anything else (a device, a FIFO, "-" for standard output) is written directly:
// through its own descriptor when it can seek, else through an unlinked temporary file copied to it on
// commit(), since audio headers are finished last. A named temporary is removed on failure, also on SIGINT,
// SIGTERM, SIGHUP and SIGPIPE (unless the signal was ignored).
class OutputFile {
public:
    explicit OutputFile(std::string path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // The descriptor to write to; it stays owned by this object.
    int fd() const { return fd_; }
    // The name as the user gave it, for messages.
    const std::string& final_path() const { return final_path_; }
    // Writes every byte to the descriptor.
    void write_all(const std::string& bytes);
    void commit();

private:
    void open_direct(int fd, const std::string& target);

    std::string final_path_;
    vemo::Temporary temp_;     // the new contents of a regular file, renamed over it on commit
    bool beside_ = false;      // fd_ is temp_'s
    int fd_ = -1;
    int direct_fd_ = -1;       // a non-seekable destination that receives the spooled bytes on commit
    bool close_direct_ = false;
    int pending_slot_ = -1;
};

// The audio types an output can be written as, by extension or --type name: "wav, flac, ogg, ...".
std::string audio_type_names();

// 16-bit PCM at the given rate and channel count (compressed containers: their codec). The type comes from
// type when it is not empty, else from the path's extension; no extension (or "-") is WAV.
class AudioWriter {
public:
    AudioWriter(const std::string& path, int rate, int channels, const std::string& type = {});
    ~AudioWriter();
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    void write(const int16_t* frames, int64_t count);
    void commit();

private:
    int format_;  // before file_: an unknown type is refused before anything is created
    OutputFile file_;
    SNDFILE* sf_ = nullptr;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);

}  // namespace vemomix_cli
