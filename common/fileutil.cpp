#include "common/fileutil.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qvr {

namespace {
void SetError(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
}
}  // namespace

bool WriteFileAtomic(const std::string& path, const void* data, size_t size, std::string* error) {
    // The file being replaced decides: one the user made read-only is not replaced (root
    // could, but the mode is the user's word), and the new file gets its owner and mode.
    struct stat old;
    const bool replacing = ::stat(path.c_str(), &old) == 0;
    if (replacing && (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        errno = EACCES;
        SetError(error, path);
        return false;
    }
    const std::string tmp = path + ".tmp";
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        SetError(error, tmp);
        return false;
    }
    // Owner and group as before where this user may set them (root may: a file the user
    // owns stays the user's); then the mode.
    if (replacing && S_ISREG(old.st_mode) && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
        (void)!::fchown(fd, old.st_uid, old.st_gid);
    if (replacing && S_ISREG(old.st_mode) && ::fchmod(fd, old.st_mode & 07777) != 0) {
        SetError(error, tmp);
        ::close(fd);
        ::unlink(tmp.c_str());
        return false;
    }
    const char* p = static_cast<const char*>(data);
    size_t left = size;
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetError(error, tmp);
            ::close(fd);
            ::unlink(tmp.c_str());
            return false;
        }
        p += n;
        left -= size_t(n);
    }
    if (::fsync(fd) != 0 && errno != EINVAL) {
        SetError(error, tmp);
        ::close(fd);
        ::unlink(tmp.c_str());
        return false;
    }
    if (::close(fd) != 0) {
        SetError(error, tmp);
        ::unlink(tmp.c_str());
        return false;
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        SetError(error, path);
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

template <typename Buf>
static bool ReadInto(const std::string& path, Buf& data, size_t limit) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    data.clear();
    char buf[65536];
    size_t n;
    while (data.size() < limit && (n = std::fread(buf, 1, std::min(sizeof buf, limit - data.size()), f)) > 0)
        data.insert(data.end(), buf, buf + n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& data) { return ReadInto(path, data, SIZE_MAX); }
bool ReadWholeFile(const std::string& path, std::string& data) { return ReadInto(path, data, SIZE_MAX); }
bool ReadFileStart(const std::string& path, size_t limit, std::vector<uint8_t>& data) {
    return ReadInto(path, data, limit);
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
