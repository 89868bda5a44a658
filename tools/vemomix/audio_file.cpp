#include "audio_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>

#include "cli_error.h"

namespace vemomix_cli {
namespace {

std::string sys_error() { return std::strerror(errno); }

// libsndfile's messages end with a full stop or a newline; the message we build goes on after them.
std::string sf_message(SNDFILE* sf) {
    std::string m = sf_strerror(sf);
    while (!m.empty() && (m.back() == '.' || m.back() == '\n' || m.back() == ' ')) m.pop_back();
    return m;
}

// Normalised samples (16-bit sources give s / 32768 exactly) back to 16 bits; louder ones are clipped.
int16_t to_pcm16(double x) {
    double v = x * 32768.0;
    if (std::isnan(v)) v = 0.0;
    v = std::clamp(v, -32768.0, 32767.0);
    return static_cast<int16_t>(std::lrint(v));
}

// The temporary files being written, so that an interrupt can remove them (unlink is async-signal-safe).
// A render writes at most a WAV and two pictures at once.
constexpr int kPendingSlots = 4;
char g_pending[kPendingSlots][4096];

extern "C" void remove_pending_and_die(int sig) {
    for (auto& p : g_pending)
        if (p[0]) unlink(p);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

// Returns the slot that holds path, or -1 when all are taken (the file is then only removed on a normal exit).
int watch_pending(const std::string& path) {
    static bool installed = false;
    if (!installed) {
        for (int sig : {SIGINT, SIGTERM, SIGHUP}) std::signal(sig, remove_pending_and_die);
        installed = true;
    }
    for (int slot = 0; slot < kPendingSlots; ++slot) {
        char* p = g_pending[slot];
        if (p[0]) continue;
        const size_t n = std::min(path.size(), sizeof g_pending[slot] - 1);
        std::memcpy(p + 1, path.data() + 1, n > 0 ? n - 1 : 0);
        p[n] = '\0';
        p[0] = n > 0 ? path[0] : '\0';  // the first byte last: the handler never sees half a name
        return slot;
    }
    return -1;
}

void forget_pending(int slot) {
    if (slot >= 0) g_pending[slot][0] = '\0';
}

}  // namespace

// ------------------------------------------------------------------ AudioReader

AudioReader::AudioReader(const std::string& path) : path_(path) {
    sf_ = sf_open(path.c_str(), SFM_READ, &info_);
    if (!sf_) {
        // libsndfile words a missing file as a "System error"; say it plainly.
        if (access(path.c_str(), R_OK) != 0) throw CliError(path, "cannot open: " + sys_error());
        throw CliError(path, "not audio that libsndfile reads: " + sf_message(nullptr));
    }
    if (info_.channels < 1) throw CliError(path, "the file has no channels");
}

AudioReader::~AudioReader() {
    if (sf_) sf_close(sf_);
}

int64_t AudioReader::read(int16_t* out, int64_t max_frames) {
    scratch_.resize(static_cast<size_t>(max_frames) * static_cast<size_t>(info_.channels));
    const sf_count_t got = sf_readf_double(sf_, scratch_.data(), max_frames);
    if (got <= 0 && sf_error(sf_) != SF_ERR_NO_ERROR) throw CliError(path_, "read failed: " + sf_message(sf_));
    const size_t samples = static_cast<size_t>(std::max<sf_count_t>(got, 0)) * static_cast<size_t>(info_.channels);
    for (size_t i = 0; i < samples; ++i) out[i] = to_pcm16(scratch_[i]);
    return std::max<sf_count_t>(got, 0);
}

// ------------------------------------------------------------------ OutputFile

OutputFile::OutputFile(std::string final_path) : final_path_(std::move(final_path)) {
    const size_t slash = final_path_.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : final_path_.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? final_path_ : final_path_.substr(slash + 1);
    std::string pattern = (slash == std::string::npos ? std::string() : dir) + "." + base + ".tmp-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    fd_ = mkstemp(buf.data());
    if (fd_ < 0) throw CliError(final_path_, "cannot create the output: " + sys_error());
    temp_path_ = buf.data();
    pending_slot_ = watch_pending(temp_path_);
    // mkstemp makes the file private; the result gets the permissions any new file would.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, 0666 & ~mask);
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) close(fd_);
    if (!committed_) unlink(temp_path_.c_str());
    forget_pending(pending_slot_);
}

int OutputFile::release_fd() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void OutputFile::commit() {
    if (fd_ >= 0) {
        const int rc = close(fd_);
        fd_ = -1;
        if (rc != 0) throw CliError(final_path_, "write failed: " + sys_error());
    }
    if (std::rename(temp_path_.c_str(), final_path_.c_str()) != 0)
        throw CliError(final_path_, "cannot put the output in place: " + sys_error());
    committed_ = true;
}

// ------------------------------------------------------------------ WavWriter

WavWriter::WavWriter(const std::string& path, int rate, int channels) : file_(path) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    sf_ = sf_open_fd(file_.fd(), SFM_WRITE, &info, SF_TRUE);
    if (!sf_) throw CliError(path, "cannot write WAV: " + sf_message(nullptr));
    file_.release_fd();
}

WavWriter::~WavWriter() {
    if (sf_) sf_close(sf_);
}

void WavWriter::write(const int16_t* frames, int64_t count) {
    if (sf_writef_short(sf_, frames, count) != count)
        throw CliError(file_.final_path(), "write failed: " + sf_message(sf_));
}

void WavWriter::commit() {
    const int rc = sf_close(sf_);
    sf_ = nullptr;
    if (rc != 0) throw CliError(file_.final_path(), std::string("write failed: ") + sf_error_number(rc));
    file_.commit();
}

// ------------------------------------------------------------------ whole files

std::string read_file(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw CliError(path, "cannot read: " + sys_error());
    std::string all;
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const std::string why = sys_error();
            close(fd);
            throw CliError(path, "cannot read: " + why);
        }
        if (n == 0) break;
        all.append(chunk, static_cast<size_t>(n));
    }
    close(fd);
    return all;
}

void OutputFile::write_all(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw CliError(final_path_, "write failed: " + sys_error());
        done += static_cast<size_t>(n);
    }
}

void write_file(const std::string& path, const std::string& bytes) {
    OutputFile out(path);
    out.write_all(bytes);
    out.commit();
}

}  // namespace vemomix_cli
