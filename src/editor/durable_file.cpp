#include "editor/durable_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <random>
#include <system_error>
#include <thread>

#include "editor/module_paths.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#endif

namespace vemo {
namespace {

// ".<name>.tmp-" in the target's directory: hidden, and never a name the user gave.
std::string temporary_prefix(const std::string& target) {
    const size_t cut = target.find_last_of("/\\");
    const std::string dir = cut == std::string::npos ? std::string() : target.substr(0, cut + 1);
    return dir + "." + target.substr(cut == std::string::npos ? 0 : cut + 1) + ".tmp-";
}
constexpr size_t kSuffixLength = 6;

// Six letters or digits no other writer draws: process ids repeat across containers and clocks
// across hosts, so the system's entropy goes in as well.
std::string random_suffix() {
    static std::atomic<uint64_t> counter{0};
    std::random_device entropy;
    const uint64_t seed = (static_cast<uint64_t>(entropy()) << 32 ^ entropy()) ^
                          static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                          (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    std::mt19937_64 gen(seed);
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string s(kSuffixLength, 'x');
    for (char& c : s) c = kChars[gen() % (sizeof kChars - 1)];
    return s;
}

FileResult system_error(int e) { return {FileProblem::kSystem, e}; }

#ifdef _WIN32
FileResult last_error() { return system_error(static_cast<int>(GetLastError())); }
HANDLE native(intptr_t h) { return reinterpret_cast<HANDLE>(h); }
#else
FileResult last_error() { return system_error(errno); }
bool same_file(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }
#endif

// A file that is there must be a regular file to be read, locked or replaced.
FileResult regular_or_missing(const std::string& target) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {FileProblem::kNotRegular, 0};
#else
    struct stat st;
    if (stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return {FileProblem::kNotRegular, 0};
#endif
    return {};
}

}  // namespace

FileResult resolve_links(const std::string& path, std::string& target) {
    target = path;
#ifndef _WIN32
    for (int hop = 0; hop <= 40; ++hop) {
        struct stat st;
        // Missing (or unreachable) ends the chain: the write that follows says what is wrong.
        if (lstat(target.c_str(), &st) != 0) return errno == ELOOP ? FileResult{FileProblem::kLinkLoop, ELOOP} : FileResult{};
        if (!S_ISLNK(st.st_mode)) return {};
        std::string to(PATH_MAX, '\0');
        const ssize_t n = readlink(target.c_str(), to.data(), to.size());
        if (n <= 0) return n < 0 ? last_error() : system_error(ENOENT);
        if (static_cast<size_t>(n) >= to.size()) return system_error(ENAMETOOLONG);
        to.resize(static_cast<size_t>(n));
        const size_t slash = target.rfind('/');
        if (to.front() != '/' && slash != std::string::npos) to = target.substr(0, slash + 1) + to;
        target = to;
    }
    return {FileProblem::kLinkLoop, ELOOP};
#else
    return {};
#endif
}

FileResult read_regular_file(const std::string& path, std::string& bytes, bool* exists) {
    bytes.clear();
    if (exists != nullptr) *exists = false;
    FileResult r;
    char chunk[65536];
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD e = GetLastError();
        return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? FileResult{} : system_error(static_cast<int>(e));
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return {FileProblem::kNotRegular, 0};
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return last_error();
    if (GetFileType(h) != FILE_TYPE_DISK) r = {FileProblem::kNotRegular, 0};
    for (DWORD n = 0; r.ok();) {
        if (!ReadFile(h, chunk, sizeof chunk, &n, nullptr)) r = last_error();
        if (n == 0) break;
        bytes.append(chunk, n);
    }
    CloseHandle(h);
#else
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? FileResult{} : errno == ELOOP ? FileResult{FileProblem::kLinkLoop, ELOOP} : last_error();
    if (!S_ISREG(st.st_mode)) return {FileProblem::kNotRegular, 0};
    // Non-blocking, in case a FIFO took the file's place since the check.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? FileResult{} : last_error();
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) r = {FileProblem::kNotRegular, 0};
    while (r.ok()) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) r = last_error();
        if (n <= 0) break;
        bytes.append(chunk, static_cast<size_t>(n));
    }
    close(fd);
#endif
    if (!r.ok()) bytes.clear();
    if (exists != nullptr) *exists = r.ok();
    return r;
}

// ---------------------------------------------------------------- the lock

FileResult FileLock::acquire(const std::string& path, int wait_ms) {
    release();
    std::string target;
    if (const FileResult r = resolve_links(path, target); !r.ok()) return r;
    // Nothing is created beside a device (a link to /dev/null would put the lock in /dev).
    if (const FileResult r = regular_or_missing(target); !r.ok()) return r;
    const std::string lock_path = target + ".lock";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
    for (int pause_ms = 1;; pause_ms = std::min(pause_ms * 2, 50)) {
        bool gone = false;  // the lock was let go and its file removed: try again at once
#ifdef _WIN32
        // The file stays: Windows cannot take a name away from the writers still waiting on it.
        const HANDLE h = CreateFileA(lock_path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return last_error();
        OVERLAPPED at{};
        if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
            handle_ = reinterpret_cast<intptr_t>(h);
            lock_path_ = lock_path;
            return {};
        }
        const DWORD e = GetLastError();
        CloseHandle(h);
        if (e != ERROR_LOCK_VIOLATION && e != ERROR_IO_PENDING) return system_error(static_cast<int>(e));
#else
        const int fd = open(lock_path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd < 0) return last_error();
        struct stat held, named;
        if (fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            close(fd);
            return {FileProblem::kNotRegular, 0};
        }
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // The holder before us removes the file as it lets go: a lock on a name that is gone locks nothing.
            if (stat(lock_path.c_str(), &named) == 0 && same_file(held, named)) {
                handle_ = fd;
                lock_path_ = lock_path;
                return {};
            }
            close(fd);
            gone = true;
        } else {
            const int e = errno;
            close(fd);
            if (e != EWOULDBLOCK && e != EINTR) return system_error(e);
        }
#endif
        if (std::chrono::steady_clock::now() >= deadline) return {FileProblem::kBusy, 0};
        if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms));
    }
}

void FileLock::release() {
    if (handle_ == -1) return;
#ifdef _WIN32
    CloseHandle(native(handle_));
#else
    unlink(lock_path_.c_str());
    close(static_cast<int>(handle_));
#endif
    handle_ = -1;
}

// ---------------------------------------------------------------- temporaries

void remove_abandoned_temporaries(const std::string& target) {
    namespace fs = std::filesystem;
    const std::string prefix = fs::path(temporary_prefix(target)).filename().string();
    std::error_code ec;
    for (fs::directory_iterator it(directory_of(target), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + kSuffixLength || name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string path = it->path().string();
#ifdef _WIN32
        // A live writer holds its temporary open without sharing it, so only an abandoned one can go.
        DeleteFileA(path.c_str());
#else
        // A live writer holds its temporary locked; a lock that can be taken belongs to a writer that has ended.
        const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat held, named;
        if (fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            lstat(path.c_str(), &named) == 0 && same_file(held, named))
            unlink(path.c_str());
        close(fd);
#endif
    }
}

FileResult Temporary::create(const std::string& target) {
    target_ = target;
    remove_abandoned_temporaries(target);
#ifdef _WIN32
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = temporary_prefix(target) + random_suffix();
        const HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<intptr_t>(h);
            name_ = name;
            return {};
        }
        if (GetLastError() != ERROR_FILE_EXISTS) return last_error();
    }
    return system_error(ERROR_FILE_EXISTS);
#else
    struct stat old;
    const bool replaces = stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    int fd = -1;
    // No name until commit, where /proc gives it one; where either is missing, a locked named file.
    if (access("/proc/self/fd", X_OK) == 0) fd = open(directory_of(target).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd >= 0) flock(fd, LOCK_EX);
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        const std::string name = temporary_prefix(target) + random_suffix();
        fd = open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return last_error();
        // Another writer's scan may have judged it abandoned before it was locked, and removed it.
        struct stat held, named;
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 && lstat(name.c_str(), &named) == 0 &&
            same_file(held, named)) {
            name_ = name;
        } else {
            close(fd);
            fd = -1;
        }
    }
    if (fd < 0) return system_error(EEXIST);
    handle_ = fd;
    if (replaces) {
        // The replacement keeps the old file's permissions (a private file stays private) and, where
        // this process may give them, its owner and group.
        if (fchmod(fd, old.st_mode & 07777) != 0) return last_error();
        if (fchown(fd, old.st_uid, old.st_gid) != 0) {
        }
    }
    return {};
#endif
}

FileResult Temporary::write(std::string_view bytes) {
    while (!bytes.empty()) {
#ifdef _WIN32
        DWORD n = 0;
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        if (!WriteFile(native(handle_), bytes.data(), ask, &n, nullptr) || n == 0) return last_error();
#else
        const ssize_t n = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? last_error() : system_error(EIO);
#endif
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return {};
}

FileResult Temporary::commit() {
#ifdef _WIN32
    const HANDLE h = native(handle_);
    if (!FlushFileBuffers(h)) return last_error();
    CloseHandle(h);
    handle_ = -1;
    if (!MoveFileExA(name_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return last_error();
#else
    const int fd = static_cast<int>(handle_);
    if (fsync(fd) != 0) return last_error();
    if (name_.empty()) {
        // A link cannot replace a file, a rename can: linked under a temporary name first.
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        for (int attempt = 0; name_.empty(); ++attempt) {
            const std::string name = temporary_prefix(target_) + random_suffix();
            if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                name_ = name;
            else if (errno != EEXIST || attempt == 100)
                return last_error();
        }
    }
    if (std::rename(name_.c_str(), target_.c_str()) != 0) return last_error();
    // The new directory entry too, or a power cut could bring back the old file, or none.
    const int dir = open(directory_of(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
#endif
    name_.clear();
    committed_ = true;
    return {};
}

Temporary::~Temporary() {
#ifdef _WIN32
    if (handle_ != -1) CloseHandle(native(handle_));
    if (!committed_ && !name_.empty()) DeleteFileA(name_.c_str());
#else
    // The name goes while the lock is still held, so no scan takes it for abandoned first.
    if (!committed_ && !name_.empty()) unlink(name_.c_str());
    if (handle_ != -1) close(static_cast<int>(handle_));
#endif
}

// ---------------------------------------------------------------- whole files

namespace {

#ifndef _WIN32
// Every name of a hard-linked file sees the new contents only if they are written over the old ones.
// The space is reserved first, so a full disk refuses the write before anything is overwritten.
FileResult rewrite_in_place(const std::string& target, std::string_view bytes) {
    const int fd = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return last_error();
    struct stat st;
    FileResult r;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) r = {FileProblem::kNotRegular, 0};
    if (const int e = r.ok() ? posix_fallocate(fd, 0, static_cast<off_t>(bytes.size())) : 0; e != 0 && e != EOPNOTSUPP)
        r = system_error(e);
    for (size_t done = 0; r.ok() && done < bytes.size();) {
        const ssize_t n = pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) r = n < 0 ? last_error() : system_error(EIO);
        done += n > 0 ? static_cast<size_t>(n) : 0;
    }
    if (r.ok() && (ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || fsync(fd) != 0)) r = last_error();
    close(fd);
    return r;
}
#endif

}  // namespace

FileResult replace_file(const std::string& path, std::string_view bytes, bool keep_hard_links) {
    std::string target;
    if (const FileResult r = resolve_links(path, target); !r.ok()) return r;
    if (const FileResult r = regular_or_missing(target); !r.ok()) return r;
#ifdef _WIN32
    (void)keep_hard_links;
#else
    struct stat st;
    if (keep_hard_links && stat(target.c_str(), &st) == 0 && st.st_nlink > 1) return rewrite_in_place(target, bytes);
#endif
    Temporary t;
    FileResult r = t.create(target);
    if (r.ok()) r = t.write(bytes);
    return r.ok() ? t.commit() : r;
}

RewriteResult rewrite_file(const std::string& path, const std::function<bool(std::string& bytes)>& edit, int wait_ms,
                           bool keep_hard_links) {
    RewriteResult r;
    FileLock lock;
    std::string bytes;
    if (!(r.file = lock.acquire(path, wait_ms)).ok()) {
        r.failed = RewriteResult::Step::kLock;
    } else if (!(r.file = read_regular_file(path, bytes)).ok()) {
        r.failed = RewriteResult::Step::kRead;
    } else if ((r.edited = edit(bytes)) && !(r.file = replace_file(path, bytes, keep_hard_links)).ok()) {
        r.failed = RewriteResult::Step::kWrite;
    }
    return r;
}

}  // namespace vemo
