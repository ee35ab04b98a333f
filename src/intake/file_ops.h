#pragma once
// The file operations every part uses. Each reports a failure by throwing RunError with the
// Visual Basic number for its cause and a description that names the file. Writers replace a
// file atomically: a temporary file in the same folder, then a rename (or, while a
// ReuseReplacedFiles lives, an exchange of the two names), so a file is always either its old
// or its new content.
#include <cstdint>
#include <filesystem>
#include <string>

#include "base/paths.h"

namespace scourvane::files {

namespace fs = std::filesystem;

// True when a file or a folder of that name exists.
bool exists(const fs::path& p);
std::int64_t fileSize(const fs::path& p);
// Creates one folder whose parent exists.
void createFolder(const fs::path& p);
// The whole content of a file.
std::string readAll(const fs::path& p);
// Replaces (or creates) the file with exactly `content`. A destination marked read-only is
// not replaced (error 70), as on Windows.
void writeAll(const fs::path& p, const std::string& content);
// Copies the file `from` to `to`, replacing an existing destination unless it is read-only.
void copyFile(const fs::path& from, const fs::path& to);

// While it lives, a file below `folder` that writeAll replaces is not deleted: it is swapped
// with its new content by name, kept under a temporary file's name, and overwritten by the
// next replacement in its folder. A run replaces a thousand files one after another; this
// spares the file system making and freeing a file for each (ext4 without a journal searches
// for each new file past every one freed in the last minutes). A name always holds its old or
// its new content, as with a rename. A file readAll is reading, or that has a second name, is
// never overwritten. The kept files are removed when the object dies, or by removeLeftovers
// after a crash. One at a time (a second changes nothing while the first lives); nothing is
// kept on Windows or on a file system that cannot swap two names.
class ReuseReplacedFiles {
  public:
    explicit ReuseReplacedFiles(const fs::path& folder);
    ~ReuseReplacedFiles();
    ReuseReplacedFiles(const ReuseReplacedFiles&) = delete;
    ReuseReplacedFiles& operator=(const ReuseReplacedFiles&) = delete;

  private:
    bool owner_ = false;
};

// An advisory lock on a folder, held while the object lives and released when the process
// ends, however it ends: two intakes or runs never work on one working copy at once. Throws
// RunError 70 when another holds it. On Windows, where a folder cannot be locked, the lock is an
// unshared file ".scourvane-lock" inside it that is deleted when its handle closes.
class FolderLock {
  public:
    explicit FolderLock(const fs::path& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

  private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

// Removes the temporary files a writer killed before its rename left in `folder` (only files
// named as writeAll names them). Failures are ignored: the files are only clutter.
void removeLeftovers(const fs::path& folder);

// The error for an errno value met on `p`.
[[noreturn]] void throwFor(int errnoValue, const fs::path& p);

// Hooks for tests of failure paths: when set, called before a temporary file is renamed over
// its destination; it may throw to simulate a failure at that moment.
using BeforeRenameHook = void (*)(const fs::path& destination);
void setBeforeRenameHook(BeforeRenameHook hook);

}  // namespace scourvane::files
