// Runs the seeded sweep of the archive and log reads over a range of seeds, in parallel
// worker processes, and counts the runs: complete, told (not all records, and the user was
// told), wrong (the invariant broken; each listed with its seed and what broke), worse than
// the plain loop (faulty and in-order runs: a read the plain loop read whole that the engine
// did not, or with more questions, other frames, or slower than allowed; each listed as
// WORSE). Faulty runs in which the replies and the process's stalls went past the horizon
// are counted apart as "beyond" (their wrong and worse ones listed as BEYOND); mild and
// healthy runs kept from running on time as "disturbed"; runs, or faulty reads, not judged
// by their time for a stall (the process kept from running) as "stalled". Faulty runs also
// count what the plain loop made of the same schedule. --late counts what the readers catch
// (told) and what slips through (wrong); --healthy also the confirming sends. Runs whose
// date check caught a reply the clean read did not have (a question the clean read did not
// ask) are counted and their seeds listed. Runs that hold only by the judge's allowances for
// the engine's listens, its tries after unsettled sends and copies are counted and listed as
// EXCUSED, with what they would be without them.
//
//   faultsweep [--from N] [--count N] [--jobs N] [--mild | --healthy | --late | --inorder] [--trace]
//              [--verbose]
//
// --inorder: the busy controller that answers every send in turn, on long reads (a seed takes
// up to a minute or so).
// --trace: every wrong run comes with the requests and replies of the read that broke, each
// with its time in ms (> a request the controller took, < what it wrote). --verbose: every
// told run is listed too, with the first read that was not complete.
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
    std::fprintf(stderr,
                 "usage: faultsweep [--from N] [--count N] [--jobs N] [--mild | --healthy | --late | --inorder] "
                 "[--trace] [--verbose]\n");
    std::exit(2);
}

// One run as a line: flags (c complete, w wrong, x worse than the plain loop, b beyond, d
// disturbed, s stalled, q a date question the clean read did not ask, p the plain loop
// complete, P the plain loop wrong, e excused), confirming sends, seconds of the engine's and
// the plain loop's reads, then the case and what broke (or what was excused).
void Put(FILE* out, const ctlsim::SweepCase& c, const ctlsim::SweepResult& r, bool verbose) {
    std::string flags = "-";
    if (r.complete) flags += 'c';
    if (!r.wrong.empty()) flags += 'w';
    if (!r.worse.empty()) flags += 'x';
    if (r.beyond) flags += 'b';
    if (r.disturbed) flags += 'd';
    if (r.stalled) flags += 's';
    if (!r.caught.empty()) flags += 'q';
    if (r.plainComplete) flags += 'p';
    if (r.plainWrong) flags += 'P';
    if (!r.excused.empty()) flags += 'e';
    std::string text = c.name + (r.wrong.empty() ? "" : "\n    " + r.wrong) +
                       (r.worse.empty() ? "" : "\n    worse than the plain loop: " + r.worse);
    if (r.wrong.empty() && verbose && !r.short_.empty()) text += "\n    " + r.short_;
    if (r.wrong.empty() && r.worse.empty() && !r.excused.empty()) text += "\n    held only by the allowances: " + r.excused;
    for (char& ch : text)
        if (ch == '\t') ch = ' ';
    std::fprintf(out, "%s\t%u\t%.3f\t%.3f\t%s\x1e", flags.c_str(), r.confirms, r.seconds, r.plainSeconds, text.c_str());
    std::fflush(out);
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t from = 1, count = 100;
    long jobs = sysconf(_SC_NPROCESSORS_ONLN);
    ctlsim::SweepMode mode = ctlsim::SweepMode::Faults;
    bool trace = false, verbose = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&] {
            if (i + 1 >= argc) Usage();
            return std::strtoull(argv[++i], nullptr, 10);
        };
        if (a == "--from") from = value();
        else if (a == "--count") count = value();
        else if (a == "--jobs") jobs = long(value());
        else if (a == "--mild") mode = ctlsim::SweepMode::Mild;
        else if (a == "--healthy") mode = ctlsim::SweepMode::Healthy;
        else if (a == "--late") mode = ctlsim::SweepMode::Late;
        else if (a == "--inorder") mode = ctlsim::SweepMode::InOrder;
        else if (a == "--trace") trace = true;
        else if (a == "--verbose") verbose = true;
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
                ctlsim::SweepCase c = ctlsim::DrawSweepCase(s, mode);
                c.trace = trace;
                Put(out, c, ctlsim::RunSweepCase(c), verbose);
            }
            std::_Exit(0);
        }
        close(p[1]);
        fds.push_back(p[0]);
        pids.push_back(pid);
    }
    uint64_t runs = 0, complete = 0, told = 0, wrong = 0, worse = 0, beyond = 0, beyondWrong = 0, beyondWorse = 0,
             disturbed = 0, stalled = 0, confirms = 0, caught = 0, plainComplete = 0, plainWrong = 0, excused = 0;
    std::string caughtSeeds;
    double seconds = 0, plainSeconds = 0;
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
            size_t end;
            while ((end = partial[i].find('\x1e')) != std::string::npos) {
                const std::string line = partial[i].substr(0, end);
                partial[i].erase(0, end + 1);
                const size_t t1 = line.find('\t'), t2 = line.find('\t', t1 + 1), t3 = line.find('\t', t2 + 1),
                             t4 = line.find('\t', t3 + 1);
                const std::string flags = line.substr(0, t1);
                auto has = [&flags](char f) { return flags.find(f) != std::string::npos; };
                const bool isWrong = has('w'), isWorse = has('x'), isBeyond = has('b');
                if (has('s')) ++stalled;
                if (has('p')) ++plainComplete;
                if (has('P')) ++plainWrong;
                const bool isExcused = has('e') && !has('w') && !has('x');
                if (isExcused) {
                    ++excused;
                    std::printf("EXCUSED %s\n", line.c_str() + t4 + 1);
                }
                ++runs;
                confirms += std::strtoull(line.c_str() + t1 + 1, nullptr, 10);
                seconds += std::strtod(line.c_str() + t2 + 1, nullptr);
                plainSeconds += std::strtod(line.c_str() + t3 + 1, nullptr);
                if (flags.find('d') != std::string::npos) ++disturbed;
                if (flags.find('q') != std::string::npos) {
                    ++caught;
                    caughtSeeds += " " + line.substr(t4 + 6, line.find(' ', t4 + 6) - t4 - 6);
                }
                if (isBeyond) {
                    ++beyond;
                    if (isWrong) ++beyondWrong;
                    if (isWorse) ++beyondWorse;
                    if (isWrong || isWorse) std::printf("BEYOND %s\n", line.c_str() + t4 + 1);
                } else if (isWrong) {
                    ++wrong;
                    std::printf("WRONG %s\n", line.c_str() + t4 + 1);
                } else if (isWorse) {
                    ++worse;
                    std::printf("WORSE %s\n", line.c_str() + t4 + 1);
                } else if (flags.find('c') != std::string::npos) {
                    ++complete;
                } else {
                    ++told;
                    if (verbose) std::printf("TOLD %s\n", line.c_str() + t4 + 1);
                }
                std::fflush(stdout);
                if (runs % 100 == 0) std::fprintf(stderr, "%llu runs\n", (unsigned long long)runs);
            }
        }
    }
    for (pid_t pid : pids) waitpid(pid, nullptr, 0);
    auto u = [](uint64_t v) { return (unsigned long long)v; };
    std::printf("runs %llu, complete %llu, told %llu, wrong %llu", u(runs), u(complete), u(told), u(wrong));
    if (mode == ctlsim::SweepMode::Faults)
        std::printf(", worse than the plain loop %llu, beyond the horizon %llu (wrong %llu, worse %llu)", u(worse),
                    u(beyond), u(beyondWrong), u(beyondWorse));
    if (mode == ctlsim::SweepMode::InOrder) std::printf(", worse than the plain loop %llu", u(worse));
    if (mode == ctlsim::SweepMode::Mild || mode == ctlsim::SweepMode::Healthy)
        std::printf(", disturbed %llu", u(disturbed));
    if (mode == ctlsim::SweepMode::Faults || mode == ctlsim::SweepMode::Healthy || mode == ctlsim::SweepMode::InOrder)
        std::printf(", not judged by time for a stall %llu (%.1f %%)", u(stalled),
                    runs ? 100.0 * double(stalled) / double(runs) : 0.0);
    if (mode == ctlsim::SweepMode::Healthy)
        std::printf(", confirming sends %llu, time %.1f s against the plain loop's %.1f s", u(confirms), seconds,
                    plainSeconds);
    if (mode == ctlsim::SweepMode::Late) std::printf(" (told: caught by the readers; wrong: slipped through)");
    if (mode != ctlsim::SweepMode::Late && mode != ctlsim::SweepMode::Mild)
        std::printf(", held only by the allowances for listens, unsettled sends and copies %llu", u(excused));
    std::printf("\n");
    if (mode == ctlsim::SweepMode::Faults || mode == ctlsim::SweepMode::InOrder)
        std::printf("the plain loop on the same schedules: complete %llu, wrong %llu; time %.1f s, the engine's "
                    "%.1f s\n",
                    u(plainComplete), u(plainWrong), plainSeconds, seconds);
    if (caught)
        std::printf("date questions the clean reads did not ask: %llu, seeds%s\n", u(caught), caughtSeeds.c_str());
    const bool ok = runs == count && ((wrong == 0 && worse == 0) || mode == ctlsim::SweepMode::Late);
    return ok ? 0 : 1;
}
