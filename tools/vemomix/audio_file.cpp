#include "audio_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <cmath>
#include <csignal>
#include <cstring>

#include "cli_error.h"
#include "editor/durable_file.h"
#include "effects/pcm16.h"

namespace vemomix_cli {
namespace {

std::string sys_error() { return std::strerror(errno); }

// libsndfile's messages end with a full stop or a newline; the message we build goes on after them.
std::string sf_message(SNDFILE* sf) {
    std::string m = sf_strerror(sf);
    while (!m.empty() && (m.back() == '.' || m.back() == '\n' || m.back() == ' ')) m.pop_back();
    return m;
}

// Normalised samples (16-bit sources give s / 32768 exactly) back to 16 bits; louder ones are clipped and
// counted.
int16_t to_pcm16(double x, int64_t& clipped) {
    bool out_of_range = false;
    const int16_t v = vemo::pcm16_from_normalised(x, out_of_range);
    clipped += out_of_range;
    return v;
}

// Temporaries that have a name while they are written (where the system offers no unnamed ones), so that
// an interrupt can remove them (unlink is async-signal-safe). A render writes at most a WAV and two pictures.
constexpr int kPendingSlots = 4;
char g_pending[kPendingSlots][4096];

extern "C" void remove_pending_and_die(int sig) {
    for (auto& p : g_pending)
        if (p[0]) unlink(p);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

// Returns the slot that holds path, or -1 when all are taken (a later write of the same output removes it).
int watch_pending(const std::string& path) {
    static bool installed = false;
    if (!installed) {
        // A signal the caller ignores (nohup, a shell loop ignoring SIGPIPE) stays ignored.
        for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
            struct sigaction now {};
            if (sigaction(sig, nullptr, &now) == 0 && now.sa_handler != SIG_IGN) std::signal(sig, remove_pending_and_die);
        }
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
    for (size_t i = 0; i < samples; ++i) out[i] = to_pcm16(scratch_[i], clipped_);
    read_ += std::max<sf_count_t>(got, 0);
    return std::max<sf_count_t>(got, 0);
}

std::string AudioReader::truncation() const {
    // A header that announces more than the file holds: fewer frames than announced, or (WAV, AIFF, whose
    // length libsndfile corrects from the file size) a size that its log says "should be" another.
    if (info_.frames > read_ && info_.frames < SF_COUNT_MAX)
        return "truncated: " + std::to_string(read_) + " of the " + std::to_string(info_.frames) +
               " frames its header announces were read";
    char log[8192] = {};
    sf_command(sf_, SFC_GET_LOG_INFO, log, sizeof log);
    const std::string_view text(log);
    if (text.find("(should be") != std::string_view::npos || text.find("unexpectedly") != std::string_view::npos)
        return "truncated: the file is shorter than its header says; " + std::to_string(read_) + " frames were read";
    return {};
}

// ------------------------------------------------------------------ OutputFile

namespace {

bool seekable(int fd) { return lseek(fd, 0, SEEK_CUR) != static_cast<off_t>(-1); }

}  // namespace

OutputFile::OutputFile(std::string final_path) : final_path_(std::move(final_path)) {
    if (final_path_ == "-") {
        if (isatty(STDOUT_FILENO)) throw CliError("-", "standard output is a terminal; redirect it or name a file");
        open_direct(STDOUT_FILENO, "standard output");
        return;
    }
    std::string target;
    if (vemo::resolve_links(final_path_, target).problem == vemo::FileProblem::kLinkLoop)
        throw CliError(final_path_, "a loop of symbolic links; nothing was written");
    struct stat st;
    if (stat(target.c_str(), &st) != 0 || S_ISREG(st.st_mode)) {
        // Beside it, with the permissions (and owner) of the file it replaces, or those of any new file.
        const vemo::FileResult r = temp_.create(target);
        if (!r.ok()) throw CliError(final_path_, "cannot create the output: " + std::string(std::strerror(r.error)));
        fd_ = temp_.fd();
        beside_ = true;
        if (!temp_.name().empty()) pending_slot_ = watch_pending(temp_.name());
        return;
    }
    if (S_ISDIR(st.st_mode)) throw CliError(final_path_, "is a directory");
    const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) throw CliError(final_path_, "cannot open for writing: " + sys_error());
    close_direct_ = true;
    open_direct(fd, final_path_);
}

void OutputFile::open_direct(int fd, const std::string& what) {
    if (seekable(fd)) {
        fd_ = close_direct_ ? fd : dup(fd);
        close_direct_ = false;
        if (fd_ < 0) throw CliError(what, "cannot write: " + sys_error());
        return;
    }
    // A pipe, FIFO or terminal cannot take a header rewritten at the end: spool, then copy on commit.
    direct_fd_ = fd;
    const char* tmpdir = std::getenv("TMPDIR");
    std::string pattern = std::string(tmpdir && *tmpdir ? tmpdir : "/tmp") + "/vemomix-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    fd_ = mkstemp(buf.data());
    if (fd_ < 0) throw CliError(what, "cannot create a temporary file in " + std::string(buf.data()) + ": " + sys_error());
    unlink(buf.data());
}

OutputFile::~OutputFile() {
    if (fd_ >= 0 && !beside_) close(fd_);
    if (close_direct_ && direct_fd_ >= 0) close(direct_fd_);
    forget_pending(pending_slot_);
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

void OutputFile::commit() {
    if (direct_fd_ >= 0) {
        if (lseek(fd_, 0, SEEK_SET) != 0) throw CliError(final_path_, "cannot reread the spooled output: " + sys_error());
        char chunk[65536];
        for (;;) {
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw CliError(final_path_, "cannot reread the spooled output: " + sys_error());
            if (n == 0) break;
            for (ssize_t done = 0; done < n;) {
                const ssize_t w = ::write(direct_fd_, chunk + done, static_cast<size_t>(n - done));
                if (w < 0 && errno == EINTR) continue;
                if (w <= 0) throw CliError(final_path_, "write failed: " + sys_error());
                done += w;
            }
        }
    }
    if (beside_) {
        // Flushed to the disk before it replaces anything, and the directory after.
        const vemo::FileResult r = temp_.commit();
        forget_pending(pending_slot_);
        pending_slot_ = -1;
        if (!r.ok()) throw CliError(final_path_, "cannot put the output in place: " + std::string(std::strerror(r.error)));
        return;
    }
    const int rc = close(fd_);
    fd_ = -1;
    if (rc != 0) throw CliError(final_path_, "write failed: " + sys_error());
}

// ------------------------------------------------------------------ AudioWriter

namespace {

struct AudioType {
    const char* name;
    int format;
};

// Names are extensions as users write them; 16-bit PCM wherever the container stores PCM.
constexpr AudioType kAudioTypes[] = {
    {"wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},       {"wave", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
    {"w64", SF_FORMAT_W64 | SF_FORMAT_PCM_16},       {"rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_16},
    {"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},     {"aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
    {"aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},      {"caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16},
    {"au", SF_FORMAT_AU | SF_FORMAT_PCM_16},         {"snd", SF_FORMAT_AU | SF_FORMAT_PCM_16},
    {"ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},       {"oga", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
    {"opus", SF_FORMAT_OGG | SF_FORMAT_OPUS},        {"mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
    {"raw", SF_FORMAT_RAW | SF_FORMAT_PCM_16},
};

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The libsndfile format of an output; throws naming what chose it.
int output_format(const std::string& path, const std::string& type) {
    std::string name = type;
    if (name.empty()) {
        const size_t slash = path.rfind('/');
        const size_t dot = path.rfind('.');
        if (path == "-" || dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
            dot == (slash == std::string::npos ? 0 : slash + 1))
            return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        name = path.substr(dot + 1);
    }
    for (const AudioType& t : kAudioTypes)
        if (lower(name) == t.name) return t.format;
    if (!type.empty()) throw UsageError("--type", "\"" + type + "\" is not an audio type (" + audio_type_names() + ")");
    throw UsageError(path, "no audio type has the extension ." + name + "; name one with --type (" +
                               audio_type_names() + ")");
}

}  // namespace

std::string audio_type_names() {
    std::string all;
    for (const AudioType& t : kAudioTypes) all += (all.empty() ? "" : ", ") + std::string(t.name);
    return all;
}

AudioWriter::AudioWriter(const std::string& path, int rate, int channels, const std::string& type)
    : format_(output_format(path, type)), file_(path) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format_;
    if (!sf_format_check(&info))
        throw CliError(path, "this libsndfile cannot write that type at " + std::to_string(rate) + " Hz with " +
                                 std::to_string(channels) + " channel(s)");
    sf_ = sf_open_fd(file_.fd(), SFM_WRITE, &info, SF_FALSE);
    if (!sf_) throw CliError(path, "cannot write audio: " + sf_message(nullptr));
}

AudioWriter::~AudioWriter() {
    if (sf_) sf_close(sf_);
}

void AudioWriter::write(const int16_t* frames, int64_t count) {
    if (sf_writef_short(sf_, frames, count) != count)
        throw CliError(file_.final_path(), "write failed: " + sf_message(sf_));
}

void AudioWriter::commit() {
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

void write_file(const std::string& path, const std::string& bytes) {
    OutputFile out(path);
    out.write_all(bytes);
    out.commit();
}

}  // namespace vemomix_cli
