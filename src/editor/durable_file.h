// Files the user cares about (the preset file, the settings file, the command-line host's outputs): read
// only when they are regular files, changed by one writer at a time under an exclusive lock, and replaced
// through a flushed temporary file that no other writer can mistake for its own.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vemo {

// How long a writer waits for another writer's lock before it gives up and says so.
constexpr int kFileLockWaitMs = 5000;

enum class FileProblem {
    kNone,
    kNotRegular,  // a directory, device, FIFO or socket: never opened, never replaced
    kLinkLoop,    // symbolic links that do not end
    kBusy,        // another writer held the lock for the whole wait
    kSystem,      // the system refused; `error` says why
};

struct FileResult {
    FileProblem problem = FileProblem::kNone;
    int error = 0;  // errno (Windows: GetLastError) for kSystem
    bool ok() const { return problem == FileProblem::kNone; }
};

// The file a write of path changes: symbolic links followed to their end, which need not exist yet.
FileResult resolve_links(const std::string& path, std::string& target);

// The whole of a regular file (links followed).  A missing file reads as empty, with *exists false.
// Anything else is refused before it is opened (a FIFO would block, a device would be read) and again
// on the open file, in case it was swapped meanwhile.
FileResult read_regular_file(const std::string& path, std::string& bytes, bool* exists = nullptr);

// The exclusive lock of one file's read-modify-write, taken on "<file>.lock" beside it (links
// followed), so that the file itself can be replaced by a rename while the lock is held.  A killed
// holder's lock ends with its process.  On Linux the lock file goes when the lock is released.
class FileLock {
public:
    FileLock() = default;
    ~FileLock() { release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Waits up to wait_ms for the lock.
    FileResult acquire(const std::string& path, int wait_ms = kFileLockWaitMs);
    void release();

private:
    std::string lock_path_;
    intptr_t handle_ = -1;
};

// A new file beside `target` (links already followed) under a name no other writer takes,
// ".<name>.tmp-XXXXXX", held exclusively while it lives: a later write of the same target removes
// only temporaries nobody holds, which are provably abandoned.  On Linux it has no name at all until
// commit, so a writer killed before then leaves nothing.  It takes the permissions (and, where the
// process may give them, the owner) of the file it replaces.  Removed unless committed.
class Temporary {
public:
    Temporary() = default;
    ~Temporary();
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;

    FileResult create(const std::string& target);
    FileResult write(std::string_view bytes);
    // Data to the disk, the rename over the target, the directory entry to the disk.
    FileResult commit();
    // The name while it has one (an interrupt handler may remove it); empty otherwise.
    const std::string& name() const { return name_; }
#ifndef _WIN32
    int fd() const { return static_cast<int>(handle_); }
#endif

private:
    std::string target_;
    std::string name_;
    intptr_t handle_ = -1;
    bool committed_ = false;
};

// Removes the temporaries of target that their writers left behind (killed, or cut off by a power
// failure); those still held by a live writer stay.
void remove_abandoned_temporaries(const std::string& target);

// Replaces the file at path with these bytes through a Temporary.  Where path is a symbolic link its
// target is replaced and the link stays; a target that is there and not a regular file is refused.
// With keep_hard_links, a file that has other names is instead rewritten in place (and flushed), so
// that every name sees the new contents.
FileResult replace_file(const std::string& path, std::string_view bytes, bool keep_hard_links = false);

// One writer's read-modify-write of the file at path: under its FileLock (waiting up to wait_ms),
// the file is read, its bytes handed to edit, and where edit returns true the file is replaced
// (replace_file, with keep_hard_links) by what edit left in them.  Other writers' changes made before
// the lock are kept, and none can come between the read and the write.
struct RewriteResult {
    enum class Step { kNone, kLock, kRead, kWrite };
    Step failed = Step::kNone;  // the step `file` reports on
    FileResult file;
    bool edited = false;  // edit asked for the write
    bool written() const { return edited && file.ok(); }
};
RewriteResult rewrite_file(const std::string& path, const std::function<bool(std::string& bytes)>& edit,
                           int wait_ms = kFileLockWaitMs, bool keep_hard_links = false);

}  // namespace vemo
