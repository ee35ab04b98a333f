#include "intake/file_ops.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

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
#endif

#include "base/run_error.h"

namespace scourvane::files {

namespace {
BeforeRenameHook beforeRename = nullptr;

#ifndef _WIN32
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};
#endif
}  // namespace

void setBeforeRenameHook(BeforeRenameHook hook) {
    beforeRename = hook;
}

[[noreturn]] void throwFor(int e, const fs::path& p) {
    const std::string name = display(p);
    switch (e) {
        case ENOENT: {
            std::error_code ec;
            if (p.has_parent_path() && !fs::is_directory(p.parent_path(), ec))
                throw RunError(err::kPathNotFound, "パスが見つかりません: " + name);
            throw RunError(err::kFileNotFound, "ファイルが見つかりません: " + name);
        }
        case ENOTDIR:
            throw RunError(err::kPathNotFound, "パスが見つかりません: " + name);
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
            throw RunError(err::kPermissionDenied, "書き込みできません: " + name);
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
        case EFBIG:
            throw RunError(err::kDiskFull, "ディスクの空き容量が不足しています: " + name);
        case ENAMETOOLONG:
        case EINVAL:
        case EILSEQ:
            throw RunError(err::kBadFileName, "ファイル名が不正です: " + name);
        case ENOMEM:
            throw RunError(err::kOutOfMemory, "メモリが不足しています: " + name);
        case EISDIR:
            throw RunError(err::kPathFileAccess, "フォルダーです。ファイルではありません: " + name);
        default:
            throw RunError(err::kPathFileAccess,
                           "パス名が無効です (" + std::to_string(e) + "): " + name);
    }
}

bool exists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec)) || fs::exists(p, ec);
}

namespace {

// A device, a pipe or a socket would be read forever or block: only regular files are read.
[[noreturn]] void throwNotRegular(const fs::path& p) {
    throw RunError(err::kPathFileAccess, "通常のファイルではありません: " + display(p));
}

}  // namespace

std::int64_t fileSize(const fs::path& p) {
    std::error_code ec;
    if (fs::is_directory(p, ec)) throwFor(EISDIR, p);
    const fs::file_status status = fs::status(p, ec);
    if (!ec && fs::exists(status) && !fs::is_regular_file(status)) throwNotRegular(p);
    auto size = fs::file_size(p, ec);
    if (ec) throwFor(ec.value(), p);
    return static_cast<std::int64_t>(size);
}

void createFolder(const fs::path& p) {
    std::error_code ec;
    if (!fs::create_directory(p, ec) && ec) throwFor(ec.value(), p);
}

#ifndef _WIN32

namespace {

// What ReuseReplacedFiles keeps. A kept file held an old content that a reader may still be
// reading through a descriptor it opened before the replacement: readAll names the files it
// reads here, and a kept file being read is not overwritten.
struct Reuse {
    std::mutex mutex;
    std::string root;                                      // the scope's folder, while one is open
    bool exchangeFails = false;                            // the file system cannot swap two names
    std::map<std::string, std::vector<std::string>> kept;  // by folder
    std::multiset<std::pair<dev_t, ino_t>> reading;
};

Reuse& reuse() {
    static Reuse r;
    return r;
}

bool below(const std::string& folder, const std::string& root) {
    return !root.empty() && folder.compare(0, root.size(), root) == 0 &&
           (folder.size() == root.size() || folder[root.size()] == '/');
}

// Names the file open as `st` as being read until the object dies. current() is false when
// `p` no longer names that file: it was swapped out after being opened (and may be overwritten
// before it was named here), and the caller opens it again. Without a scope open when the name
// is given nothing needs checking: files are kept only while a scope is open, a kept file has
// no name a reader asks for, and a scope opened later sees the name before it overwrites.
class Reading {
  public:
    Reading(const fs::path& p, const struct stat& st) : key_(st.st_dev, st.st_ino) {
        Reuse& r = reuse();
        bool scope = false;
        {
            std::lock_guard<std::mutex> lock(r.mutex);
            r.reading.insert(key_);
            scope = !r.root.empty();
        }
        if (!scope) return;
        struct stat now {};
        current_ =
            ::stat(p.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino;
    }
    ~Reading() {
        Reuse& r = reuse();
        std::lock_guard<std::mutex> lock(r.mutex);
        r.reading.erase(r.reading.find(key_));
    }
    Reading(const Reading&) = delete;
    Reading& operator=(const Reading&) = delete;
    bool current() const { return current_; }

  private:
    std::pair<dev_t, ino_t> key_;
    bool current_ = true;
};

// A kept file of `folder` opened for overwriting, or -1. `name` receives its name.
int takeKept(const std::string& folder, std::string& name) {
    Reuse& r = reuse();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!below(folder, r.root)) return -1;
    const auto it = r.kept.find(folder);
    while (it != r.kept.end() && !it->second.empty()) {
        name = std::move(it->second.back());
        it->second.pop_back();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
        struct stat st {};
        // Only a plain file of one name that nobody is reading may be overwritten.
        if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 &&
            r.reading.count({st.st_dev, st.st_ino}) == 0)
            return fd;
        if (fd >= 0) ::close(fd);
        ::unlink(name.c_str());
    }
    return -1;
}

// Swaps the finished `tmp` with the file `p` of `folder` and keeps the old content under
// `tmp`'s name. False when it was not swapped: the caller renames as usual.
bool exchangeAndKeep(const std::string& folder, const std::string& tmp, const fs::path& p) {
    Reuse& r = reuse();
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        if (!below(folder, r.root) || r.exchangeFails) return false;
    }
    if (::renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, p.c_str(), RENAME_EXCHANGE) != 0) {
        if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP || errno == EXDEV) {
            std::lock_guard<std::mutex> lock(r.mutex);
            r.exchangeFails = true;
        }
        return false;
    }
    std::lock_guard<std::mutex> lock(r.mutex);
    if (below(folder, r.root))
        r.kept[folder].push_back(tmp);
    else
        ::unlink(tmp.c_str());  // the scope closed meanwhile
    return true;
}

}  // namespace

ReuseReplacedFiles::ReuseReplacedFiles(const fs::path& folder) {
    Reuse& r = reuse();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!r.root.empty()) return;  // one scope at a time; an inner one changes nothing
    r.root = folder.string();
    while (r.root.size() > 1 && r.root.back() == '/') r.root.pop_back();
    r.exchangeFails = false;
    owner_ = true;
}

ReuseReplacedFiles::~ReuseReplacedFiles() {
    if (!owner_) return;
    Reuse& r = reuse();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (const auto& entry : r.kept)
        for (const std::string& name : entry.second) ::unlink(name.c_str());
    r.kept.clear();
    r.root.clear();
}

namespace {

// The whole content of the regular file `st` open on `fd`.
std::string readOpen(int fd, const struct stat& st, const fs::path& p) {
    // Read straight into the string; a file that grows meanwhile is read to its end.
    std::string content(st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0, '\0');
    std::size_t have = 0;
    char more[1 << 12];
    for (;;) {
        const bool room = have < content.size();
        ssize_t n = room ? ::read(fd, content.data() + have, content.size() - have)
                         : ::read(fd, more, sizeof more);
        if (n < 0) {
            if (errno == EINTR) continue;
            throwFor(errno, p);
        }
        if (n == 0) break;
        if (room)
            have += static_cast<std::size_t>(n);
        else
            content.append(more, static_cast<std::size_t>(n)), have = content.size();
    }
    content.resize(have);
    return content;
}

}  // namespace

std::string readAll(const fs::path& p) {
    constexpr int kTries = 100;
    for (int tries = 0;;) {
        // Non-blocking, so that opening a pipe nobody writes to returns at once; it is refused
        // below.
        Fd fd(::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (fd.get() < 0) throwFor(errno, p);
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0) throwFor(errno, p);
        if (S_ISDIR(st.st_mode)) throwFor(EISDIR, p);
        if (!S_ISREG(st.st_mode)) throwNotRegular(p);
        // A file replaced again and again as it is opened is read as it stands at last.
        const Reading reading(p, st);
        if (reading.current() || ++tries == kTries) return readOpen(fd.get(), st, p);
    }
}

void writeAll(const fs::path& p, const std::string& content) {
    struct stat old {};
    bool replacing = ::stat(p.c_str(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode)) throwFor(EISDIR, p);
    // A file without its owner's write permission counts as read-only, even for root.
    if (replacing && (old.st_mode & S_IWUSR) == 0) throwFor(EACCES, p);

    const fs::path dir = p.parent_path();
    const std::string folder = dir.string();
    std::string tmp;
    int opened = replacing ? takeKept(folder, tmp) : -1;
    const bool overwriting = opened >= 0;
    if (!overwriting) {
        std::string tmpName = ".";
        tmpName += p.filename().string();
        tmpName += ".scourvane-XXXXXX";
        tmp = (dir / tmpName).string();
        opened = ::mkstemp(tmp.data());
        if (opened < 0) throwFor(errno, p);
    }
    Fd fd(opened);
    try {
        mode_t mode = replacing ? (old.st_mode & 07777) : 0644;
        if (!replacing) {
            mode_t mask = ::umask(0);
            ::umask(mask);
            mode &= ~mask;
        }
        ::fchmod(fd.get(), mode);
        const char* data = content.data();
        std::size_t left = content.size();
        while (left > 0) {
            ssize_t n = ::write(fd.get(), data, left);
            if (n < 0) {
                if (errno == EINTR) continue;
                throwFor(errno, p);
            }
            data += n;
            left -= static_cast<std::size_t>(n);
        }
        // A kept file may be longer than the new content.
        if (overwriting && ::ftruncate(fd.get(), static_cast<off_t>(content.size())) != 0)
            throwFor(errno, p);
        if (::close(fd.release()) != 0) throwFor(errno, p);
        if (beforeRename) beforeRename(p);
        // A file of more than one name is not kept: overwriting it would change the others.
        if (replacing && old.st_nlink == 1 && exchangeAndKeep(folder, tmp, p)) return;
        if (::rename(tmp.c_str(), p.c_str()) != 0) throwFor(errno, p);
    } catch (...) {
        ::unlink(tmp.c_str());
        throw;
    }
}

#else

// Windows keeps no replaced file: a file cannot be swapped with another by name.
ReuseReplacedFiles::ReuseReplacedFiles(const fs::path&) {}
ReuseReplacedFiles::~ReuseReplacedFiles() = default;

std::string readAll(const fs::path& p) {
    std::error_code ec;
    if (fs::is_directory(p, ec)) throwFor(EISDIR, p);
    const fs::file_status status = fs::status(p, ec);
    if (!ec && fs::exists(status) && !fs::is_regular_file(status)) throwNotRegular(p);
    // Shared for deleting too: a pass may replace the file while another thread reads it (the
    // words of the other modules are read ahead), and Windows refuses to rename over a file
    // that is open without that share; the reader goes on with the content it opened.
    HANDLE h = ::CreateFileW(
        p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) throwFor(files::exists(p) ? EACCES : ENOENT, p);
    struct Close {
        HANDLE h;
        ~Close() { ::CloseHandle(h); }
    } close{h};
    std::string content;
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(h, &size) && size.QuadPart > 0)
        content.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[1 << 16];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(h, buffer, sizeof buffer, &got, nullptr)) throwFor(EIO, p);
        if (got == 0) break;
        content.append(buffer, got);
    }
    return content;
}

void writeAll(const fs::path& p, const std::string& content) {
    std::error_code ec;
    if (fs::is_directory(p, ec)) throwFor(EISDIR, p);
    auto perms = fs::status(p, ec).permissions();
    if (!ec && (perms & fs::perms::owner_write) == fs::perms::none) throwFor(EACCES, p);
    fs::path tmp = p;
    tmp += L".scourvane-tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) throwFor(fs::is_directory(p.parent_path(), ec) ? EACCES : ENOENT, p);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.flush();
        if (!out) {
            fs::remove(tmp, ec);
            throwFor(ENOSPC, p);
        }
    }
    try {
        if (beforeRename) beforeRename(p);
        // Another program (a virus scanner, an indexer) may hold the file for a moment without
        // sharing it for deleting: the rename is tried again for a little while.
        for (int attempt = 0;; ++attempt) {
            if (::MoveFileExW(tmp.c_str(), p.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                break;
            const DWORD error = ::GetLastError();
            const bool held = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
            if (held && attempt < 20) {
                ::Sleep(attempt < 5 ? 5 : 50);
                continue;
            }
            throwFor(held                                                             ? EACCES
                     : error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL    ? ENOSPC
                     : error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND ? ENOENT
                                                                                      : EIO,
                     p);
        }
    } catch (const std::filesystem::filesystem_error& e) {
        fs::remove(tmp, ec);
        throwFor(e.code().value(), p);
    } catch (...) {
        fs::remove(tmp, ec);
        throw;
    }
}

#endif

#ifndef _WIN32

FolderLock::FolderLock(const fs::path& folder) {
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) throwFor(errno, folder);
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
    const int e = errno;
    ::close(fd_);
    fd_ = -1;
    if (e == EWOULDBLOCK)
        throw RunError(err::kPermissionDenied,
                       "作業フォルダーは別の処理が使用中です: " + display(folder));
    throwFor(e, folder);
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

#else

FolderLock::FolderLock(const fs::path& folder) {
    const fs::path file = folder / L".scourvane-lock";
    HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        handle_ = h;
        return;
    }
    const DWORD e = ::GetLastError();
    if (e == ERROR_SHARING_VIOLATION || e == ERROR_ACCESS_DENIED)
        throw RunError(err::kPermissionDenied,
                       "作業フォルダーは別の処理が使用中です: " + display(folder));
    throwFor(EIO, folder);
}

FolderLock::~FolderLock() {
    if (handle_) ::CloseHandle(static_cast<HANDLE>(handle_));  // closing deletes the file
}

#endif

namespace {

// ".NAME.scourvane-XXXXXX" (mkstemp) or "NAME.scourvane-tmp" (Windows), as writeAll makes them.
bool isLeftover(const std::string& name) {
    const std::size_t at = name.rfind(".scourvane-");
    if (at == std::string::npos || at == 0) return false;
    const std::string tail = name.substr(at + 11);
    if (tail == "tmp") return true;
    return name[0] == '.' && tail.size() == 6;
}

}  // namespace

void removeLeftovers(const fs::path& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileEc;
        if (!it->is_regular_file(fileEc) || !isLeftover(display(it->path().filename()))) continue;
        fs::remove(it->path(), fileEc);
    }
}

void copyFile(const fs::path& from, const fs::path& to) {
    writeAll(to, readAll(from));
}

}  // namespace scourvane::files
