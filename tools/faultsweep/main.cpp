// Runs the fault sweep of the archive and log reads over a range of seeds, in parallel
// worker processes, and counts the runs: complete, told (not all records, and the user was
// told), wrong (the invariant broken; each one listed with its seed).
//
//   faultsweep [--from N] [--count N] [--jobs N] [--mild]
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ctlsim/faultsweep.h"

namespace {

void Usage() {
    std::fprintf(stderr, "usage: faultsweep [--from N] [--count N] [--jobs N] [--mild]\n");
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t from = 1, count = 100;
    long jobs = sysconf(_SC_NPROCESSORS_ONLN);
    bool mild = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&] {
            if (i + 1 >= argc) Usage();
            return std::strtoull(argv[++i], nullptr, 10);
        };
        if (a == "--from") from = value();
        else if (a == "--count") count = value();
        else if (a == "--jobs") jobs = long(value());
        else if (a == "--mild") mild = true;
        else Usage();
    }
    if (jobs < 1) jobs = 1;
    std::vector<int> fds;
    std::vector<pid_t> pids;
    for (long j = 0; j < jobs; ++j) {
        int p[2];
        if (pipe(p) != 0) return 1;
        const pid_t pid = fork();
        if (pid == 0) {
            close(p[0]);
            FILE* out = fdopen(p[1], "w");
            for (uint64_t s = from + uint64_t(j); s < from + count; s += uint64_t(jobs)) {
                const ctlsim::SweepCase c = ctlsim::DrawSweepCase(s, mild);
                const ctlsim::SweepResult r = ctlsim::RunSweepCase(c);
                std::fprintf(out, "%d %d %s%s%s\n", int(r.complete), int(r.wrong.empty()), c.name.c_str(),
                             r.wrong.empty() ? "" : ": ", r.wrong.c_str());
                std::fflush(out);
            }
            std::_Exit(0);
        }
        close(p[1]);
        fds.push_back(p[0]);
        pids.push_back(pid);
    }
    uint64_t runs = 0, complete = 0, told = 0, wrong = 0;
    std::vector<std::string> partial(fds.size());
    size_t open = fds.size();
    while (open > 0) {
        std::vector<pollfd> p;
        for (int fd : fds) p.push_back({fd, POLLIN, 0});
        poll(p.data(), p.size(), -1);
        for (size_t i = 0; i < fds.size(); ++i) {
            if (fds[i] < 0 || !(p[i].revents & (POLLIN | POLLHUP))) continue;
            char buf[4096];
            const ssize_t n = read(fds[i], buf, sizeof buf);
            if (n <= 0) {
                close(fds[i]);
                fds[i] = -1;
                --open;
                continue;
            }
            partial[i].append(buf, size_t(n));
            size_t nl;
            while ((nl = partial[i].find('\n')) != std::string::npos) {
                const std::string line = partial[i].substr(0, nl);
                partial[i].erase(0, nl + 1);
                ++runs;
                if (line[2] == '0') {
                    ++wrong;
                    std::printf("WRONG %s\n", line.c_str() + 4);
                } else if (line[0] == '1') {
                    ++complete;
                } else {
                    ++told;
                }
                if (runs % 100 == 0) std::fprintf(stderr, "%llu runs\n", (unsigned long long)runs);
            }
        }
    }
    for (pid_t pid : pids) waitpid(pid, nullptr, 0);
    std::printf("runs %llu, complete %llu, told %llu, wrong %llu\n", (unsigned long long)runs,
                (unsigned long long)complete, (unsigned long long)told, (unsigned long long)wrong);
    return wrong == 0 && runs == count ? 0 : 1;
}
