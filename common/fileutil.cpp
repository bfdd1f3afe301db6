#include "common/fileutil.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qvr {

namespace {
void SetError(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
}

// The folder part of a path ("dir/" with its slash, empty for a bare name) and the name.
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const size_t slash = path.rfind('/');
    folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether the link at `link` (its own lstat in `st`) may be followed, by the rule the
// system applies to links it follows itself: in a sticky folder that everyone may write to,
// only a link owned by this user or by the folder's owner. Anyone can plant a link there,
// and following it would let them choose which file this user's save replaces.
bool MayFollowLink(const std::string& link, const struct stat& st) {
    std::string folder, name;
    SplitPath(link, folder, name);
    struct stat dir;
    if (::stat(folder.empty() ? "." : folder.c_str(), &dir) != 0) return false;
    if ((dir.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH)) return true;
    return st.st_uid == ::geteuid() || st.st_uid == dir.st_uid;
}

// The file a write of `path` must replace: where a chain of symbolic links ends, so that a
// link stays a link and its target gets the new data. A relative link counts from the
// link's own folder. False (errno set) for a loop, a link that cannot be read, or one that
// the rule above forbids following (EACCES); a link to a file not there yet gives that
// file's path.
bool FinalTarget(const std::string& path, std::string& target) {
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(target.c_str(), &st) != 0) return errno == ENOENT;
        if (!S_ISLNK(st.st_mode)) return true;
        if (!MayFollowLink(target, st)) {
            errno = EACCES;
            return false;
        }
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(target.c_str(), buf, sizeof buf - 1);
        if (n <= 0) return false;
        std::string link(buf, size_t(n));
        const size_t slash = target.rfind('/');
        target = link[0] == '/' || slash == std::string::npos ? link : target.substr(0, slash + 1) + link;
    }
    errno = ELOOP;
    return false;
}

// The process's file mode creation mask. Read where the system shows it without a change
// (/proc/self/status, "Umask:"); otherwise set and put back at once, with a mask that can
// only narrow, never widen, what another thread might create in that instant.
mode_t CurrentUmask() {
    if (std::FILE* f = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, f)) {
            if (std::strncmp(line, "Umask:", 6) != 0) continue;
            char* end = nullptr;
            const unsigned long mask = std::strtoul(line + 6, &end, 8);
            if (end != line + 6) {
                std::fclose(f);
                return mode_t(mask & 0777);
            }
        }
        std::fclose(f);
    }
    const mode_t mask = ::umask(077);
    ::umask(mask);
    return mask;
}

// Temporary names are "." + name + "." + 8 random characters + ".tmp"; a long name is cut
// so that the whole stays within the system's limit for one name (at a character boundary
// of UTF-8 text). The random part and the exclusive creation keep it unique. Every file the
// program makes beside another for a while (a save's temporary, an export's scratch file)
// is named this way.
constexpr size_t kTempNameExtra = 1 + 1 + 8 + 4;

std::string TempStem(const std::string& name) {
    const size_t room = NAME_MAX - kTempNameExtra;
    if (name.size() <= room) return name;
    size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    return name.substr(0, cut);
}

// Creates a new file under a name nobody holds yet in `folder`, for a file named `name`.
// O_EXCL makes the creation fail on any existing name, a symbolic link included, so the
// write never lands in a file that was already there; mode 0600 keeps everyone else from
// opening it before it has its final mode (an open descriptor would show them the data
// written afterwards). It is opened for reading too, for a scratch file read back later.
int CreateTempBeside(const std::string& folder, const std::string& name, std::string& tmp) {
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    const std::string stem = TempStem(name);
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[8];
        if (::getrandom(random, sizeof random, 0) != ssize_t(sizeof random)) {
            const uint64_t t = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                               (uint64_t(::getpid()) << 32) ^ uint64_t(attempt);
            std::memcpy(random, &t, sizeof random);
        }
        std::string suffix;
        for (unsigned char b : random) suffix += digits[b % 36];
        tmp = folder + "." + stem + "." + suffix + ".tmp";
        const int fd = ::open(tmp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Opens `path` for reading when it is a regular file; -1 (errno set) otherwise. The name is
// looked at first, so that a device (a serial line raises its modem lines when opened) or a
// FIFO is refused without being opened; then the descriptor itself is checked, as something
// else may have taken the name in between: O_NONBLOCK keeps a FIFO from blocking the open,
// O_NOCTTY keeps a terminal from becoming the program's.
int OpenRegular(const std::string& path, struct stat& st) {
    if (::stat(path.c_str(), &st) != 0) return -1;
    if (S_ISREG(st.st_mode)) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) return -1;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
            // A regular file never blocks; the flag goes so that no later use sees it.
            const int flags = ::fcntl(fd, F_GETFL);
            if (flags >= 0) (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
            return fd;
        }
        ::close(fd);
    }
    errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return -1;
}

// Syncs the folder after a rename, so that the new name reaches the disk with the data. A
// folder this user may not read cannot be opened for it and is left as it is; a file system
// that cannot sync folders says EINVAL.
bool SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return true;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}
}  // namespace

bool WriteFileAtomic(const std::string& path, const void* data, size_t size, std::string* error) {
    std::string target;
    if (!FinalTarget(path, target)) {
        SetError(error, path);
        return false;
    }
    // The file being replaced decides. Only a regular file is replaced. One the user made
    // read-only is not replaced (root could, but the mode is the user's word); nor is one
    // the system's access check denies this user, whatever its mode says. The new file gets
    // its owner and mode.
    struct stat old;
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing) {
        int refused = 0;
        if (!S_ISREG(old.st_mode))
            refused = S_ISDIR(old.st_mode) ? EISDIR : EINVAL;
        else if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            refused = EACCES;
        else if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            refused = errno;
        if (refused != 0) {
            errno = refused;
            SetError(error, path);
            return false;
        }
    }
    std::string folder, name, tmp;
    SplitPath(target, folder, name);
    int fd = CreateTempBeside(folder, name, tmp);
    if (fd < 0) {
        SetError(error, tmp);
        return false;
    }
    const auto fail = [&](const std::string& what) {
        SetError(error, what);
        if (fd >= 0) ::close(fd);
        ::unlink(tmp.c_str());
        return false;
    };
    // Owner and group as before where this user may set them (root may: a file the user
    // owns stays the user's; another user may at least keep a group it belongs to).
    if (replacing && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)!::fchown(fd, uid_t(-1), old.st_gid);
    const char* p = static_cast<const char*>(data);
    size_t left = size;
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(tmp);
        }
        p += n;
        left -= size_t(n);
    }
    // Only now, with the data in place, the file gets its mode: the replaced file's, or what
    // a plain create would have given a new one.
    const mode_t mode = replacing ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (::fchmod(fd, mode) != 0) return fail(tmp);
    if (::fsync(fd) != 0 && errno != EINVAL) return fail(tmp);
    const int closing = fd;
    fd = -1;
    if (::close(closing) != 0) return fail(tmp);
    if (::rename(tmp.c_str(), target.c_str()) != 0) return fail(path);
    if (!SyncFolder(folder)) {
        SetError(error, folder.empty() ? "." : folder);
        return false;
    }
    return true;
}

int CreateTempFileBeside(const std::string& path, std::string& tmp) {
    std::string folder, name;
    SplitPath(path, folder, name);
    return CreateTempBeside(folder, name, tmp);
}

// Reads an open regular file of `size` bytes from its start by position (the descriptor's
// own place stays where it was): a whole file, or at most its first `limit` bytes. A whole
// file is read one byte past the limit, which tells a file that grew past it while being
// read from one that ends there. false (errno set, data empty) on a failed read or a whole
// file over the limit (EFBIG).
template <typename Buf>
static bool ReadFromStart(int fd, off_t size, Buf& data, size_t limit, bool whole) {
    data.clear();
    const uint64_t bytes = size > 0 ? uint64_t(size) : 0;
    if (whole && bytes > limit) {
        errno = EFBIG;
        return false;
    }
    data.reserve(size_t(std::min<uint64_t>(bytes, limit)));
    const size_t want = whole && limit < SIZE_MAX ? limit + 1 : limit;
    char buf[65536];
    while (data.size() < want) {
        const ssize_t n = ::pread(fd, buf, std::min(sizeof buf, want - data.size()), off_t(data.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            data.clear();
            return false;
        }
        if (n == 0) break;
        data.insert(data.end(), buf, buf + n);
    }
    if (data.size() > limit) {
        data.clear();
        errno = EFBIG;
        return false;
    }
    return true;
}

template <typename Buf>
static bool ReadInto(const std::string& path, Buf& data, size_t limit, bool whole) {
    data.clear();
    struct stat st;
    const int fd = OpenRegular(path, st);
    if (fd < 0) return false;
    const bool ok = ReadFromStart(fd, st.st_size, data, limit, whole);
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& data, size_t maxSize) {
    return ReadInto(path, data, maxSize, true);
}
bool ReadWholeFile(const std::string& path, std::string& data, size_t maxSize) {
    return ReadInto(path, data, maxSize, true);
}
bool ReadFileStart(const std::string& path, size_t limit, std::vector<uint8_t>& data) {
    return ReadInto(path, data, limit, false);
}

std::FILE* OpenRegularFile(const std::string& path) {
    struct stat st;
    const int fd = OpenRegular(path, st);
    if (fd < 0) return nullptr;
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f) ::close(fd);
    return f;
}

namespace {
// What refused a removal or creation of `path` that failed with errno: its folder (with a
// trailing '/') when the folder is missing, on a read-only disk or not open to this user
// for changes; else the file. A refused access is the folder's when the system's access
// check for writing and searching it fails too; otherwise the entry itself is protected
// (another user's file in a sticky folder, an immutable file). errno is kept.
std::string RefusedBy(const std::string& path) {
    const int err = errno;
    std::string folder, name;
    SplitPath(path, folder, name);
    if (folder.empty()) folder = "./";
    bool folderRefused = err == EROFS || err == ENOENT || err == ENOTDIR;
    if (err == EACCES || err == EPERM)
        folderRefused = ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0;
    errno = err;
    return folderRefused ? folder : path;
}
}  // namespace

std::FILE* CreateWorkingFile(const std::string& path, std::string* failedAt) {
    // A working file holds what one read received and is read back only by this program,
    // so nobody else needs to read it: 0600. It is opened for reading too, so that it is
    // read back through this handle and not through its name, which anyone who may write
    // to the folder could by then have given to another file.
    const auto fail = [&]() -> std::FILE* {
        if (failedAt) *failedAt = RefusedBy(path);
        return nullptr;
    };
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return fail();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return fail();
    std::FILE* f = ::fdopen(fd, "w+b");
    if (!f) {
        const int saved = errno;
        ::close(fd);
        if (failedAt) *failedAt = path;
        errno = saved;
    }
    return f;
}

bool ReadBackWorkingFile(std::FILE* f, std::vector<uint8_t>& data, size_t maxSize) {
    data.clear();
    if (!f) {
        errno = EBADF;
        return false;
    }
    if (std::fflush(f) != 0) return false;
    const int fd = ::fileno(f);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0) return false;
    return ReadFromStart(fd, st.st_size, data, maxSize, true);
}

namespace {
// Characters of UTF-8 text: bytes that do not continue a character.
size_t CharCount(const std::string& s) {
    return size_t(std::count_if(s.begin(), s.end(),
                                [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The last `chars` characters of UTF-8 text.
std::string LastChars(const std::string& s, size_t chars) {
    size_t at = s.size();
    for (size_t seen = 0; at > 0 && seen < chars;) {
        --at;
        if ((static_cast<unsigned char>(s[at]) & 0xC0) != 0x80) ++seen;
    }
    return s.substr(at);
}

// Why a file operation failed, in the program's words; the number for the rare rest.
std::string FailureReason(int err, bool folder) {
    switch (err) {
    case EACCES:
    case EPERM: return folder ? "нет доступа к папке" : "нет доступа";
    case ENOSPC:
    case EDQUOT: return "нет места на диске";
    case EROFS: return "диск только для чтения";
    case ENOENT:
    case ENOTDIR: return "папка не найдена";
    case EISDIR: return "это папка, а не файл";
    case EEXIST: return "имя уже занято";
    case ENAMETOOLONG: return "слишком длинное имя";
    case EFBIG: return "файл слишком велик";
    case EBUSY:
    case ETXTBSY: return "файл занят";
    case EMFILE:
    case ENFILE: return "открыто слишком много файлов";
    case EIO: return "ошибка чтения или записи диска";
    default: return "ошибка системы " + std::to_string(err);
    }
}
}  // namespace

std::string FileFailureText(const std::string& shownPath, int err) {
    const bool folder = shownPath.size() > 1 && shownPath.back() == '/';
    const std::string path = folder ? shownPath.substr(0, shownPath.size() - 1) : shownPath;
    const std::string reason = FailureReason(err, folder);
    const std::string ellipsis = "…";
    const size_t used = CharCount(reason) + 2;  // the reason and ": "
    const size_t room = kFailureTextChars > used ? kFailureTextChars - used : 1;
    std::string shown;
    if (CharCount(path) <= room) {
        shown = path;
    } else {
        // As much of the path's end as fits, from a folder boundary: the name and the
        // folders nearest to it tell the user where the file was to be.
        for (size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
            if (CharCount(path) - CharCount(path.substr(0, slash)) + 1 <= room) {
                shown = ellipsis + path.substr(slash);
                break;
            }
        if (shown.empty()) {
            const std::string name = FileNameOnly(path);
            shown = CharCount(name) <= room ? name : ellipsis + LastChars(name, room - 1);
        }
    }
    return shown + ": " + reason;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDir(const std::string& path) {
    if (DirExists(path)) return true;
    return ::mkdir(path.c_str(), 0755) == 0 || DirExists(path);
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

long long FileSize(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return -1;
    return (long long)st.st_size;
}

std::string ExecutableDir() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    std::string p(buf, size_t(n));
    size_t slash = p.rfind('/');
    return slash == std::string::npos ? "./" : p.substr(0, slash + 1);
}

std::string FileNameOnly(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace qvr
