// Ways to make a file write fail that hold for root too, for tests of the failure paths.
#pragma once
#include <csignal>
#include <sys/resource.h>
#include <sys/types.h>
#include <unistd.h>

// While it lives, no regular file can grow beyond `bytes`: a longer write fails with EFBIG,
// as on a full disk (the signal that would end the process is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit lower = old_;
        lower.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
};

// While it lives, a process started as root acts as the given ordinary user and group: the
// system's access checks and the owner of new files are that user's. ok() is false when
// the process cannot change its user (it does not run as root).
class AsUser {
public:
    AsUser(uid_t uid, gid_t gid) {
        ok_ = ::geteuid() == 0 && ::setegid(gid) == 0;
        if (ok_ && ::seteuid(uid) != 0) {
            (void)!::setegid(oldGid_);
            ok_ = false;
        }
    }
    ~AsUser() {
        if (ok_) {
            (void)!::seteuid(0);
            (void)!::setegid(oldGid_);
        }
    }
    AsUser(const AsUser&) = delete;
    AsUser& operator=(const AsUser&) = delete;
    bool ok() const { return ok_; }

private:
    gid_t oldGid_ = ::getegid();
    bool ok_ = false;
};
