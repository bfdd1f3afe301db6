// Runs the seeded sweep of the archive and log reads over a range of seeds, in parallel
// worker processes, and counts the runs: complete, told (not all records, and the user was
// told), wrong (a read broke the invariant: each listed as WRONG with its seed and what broke;
// those the plain loop's read broke alike, repeating no record, are counted apart and do not
// fail the sweep), worse than the plain loop (a read that
// keeps other or fewer right records than the plain loop's under the same schedule, or,
// where that read is right, asks more questions, sends more frames or takes longer than 1.05
// times its time plus 2 ms a request; each listed as WORSE). Every mode but --healthy also
// counts what the plain loop made of the same schedules. Faulty runs whose replies and
// stalls went past the horizon are counted as "beyond" (and judged all the same); mild and
// healthy runs kept from running on time as "disturbed"; runs, or reads, not judged by their
// time for a stall (the process kept from running) as "stalled". Runs whose date check
// caught a reply the clean read did not have (a question the clean read did not ask) are
// counted and their seeds listed.
//
//   faultsweep [--from N] [--count N] [--jobs N] [--mild | --healthy | --late | --inorder]
//              [--plant sleep|extrasend|wrongskip|sendtwice|nocheck] [--trace] [--verbose]
//
// --inorder: the busy controller that answers every send in turn, on long reads (a seed takes
// up to a minute or so). --late: replies later than the horizon; its wrong runs are counted,
// not failed. --plant: a fault put into the engine (hgcbox::Planted) that the sweep must
// find: a 40 ms sleep before each request, one send more after an answer taken in a later
// try, an answer skipped every 10th request, every try sent twice, the reader's check off.
// --trace: every wrong run comes with the requests and replies of the read that broke, each
// with its time in ms (> a request the controller took, < what it wrote). --verbose: every
// told run is listed too, with the first read that was not complete.
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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
                 "[--plant sleep|extrasend|wrongskip|sendtwice|nocheck] [--trace] [--verbose]\n");
    std::exit(2);
}

// One run as a line: flags (c complete, w wrong, a every wrong read of it the plain loop's
// too, x worse than the plain loop, b beyond, d disturbed, s stalled, q a date question the
// clean read did not ask, p the plain loop complete, P the plain loop wrong; on lines an earlier
// read parted: y the engine worse, o its own wrong, Y the plain loop worse, O the plain loop
// wrong where the engine is right), seconds of the engine's and the plain loop's reads, the
// reads on parted lines judged against the plain loop on the engine's line and those whose
// earlier reads did not go again, then the case and what broke.
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
    if (r.wrongAlike) flags += 'a';
    if (r.worseParted) flags += 'y';
    if (r.ownWrongParted) flags += 'o';
    if (r.plainWorseParted) flags += 'Y';
    if (r.plainWrongParted) flags += 'O';
    std::string text = c.name + (r.wrong.empty() ? "" : "\n    " + r.wrong) +
                       (r.worse.empty() ? "" : "\n    worse than the plain loop: " + r.worse);
    if (r.wrong.empty() && verbose && !r.short_.empty()) text += "\n    " + r.short_;
    for (char& ch : text)
        if (ch == '\t') ch = ' ';
    std::fprintf(out, "%s\t%.3f\t%.3f\t%d\t%d\t%s\x1e", flags.c_str(), r.seconds, r.plainSeconds, r.forked,
                 r.unforked, text.c_str());
    std::fflush(out);
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t from = 1, count = 100;
    long jobs = sysconf(_SC_NPROCESSORS_ONLN);
    ctlsim::SweepMode mode = ctlsim::SweepMode::Faults;
    bool trace = false, verbose = false;
    hgcbox::Planted plant = hgcbox::Planted::None;
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
        else if (a == "--plant" && i + 1 < argc) {
            static const char* const kPlants[] = {"none", "sleep", "extrasend", "wrongskip", "sendtwice", "nocheck"};
            const std::string name = argv[++i];
            const auto at = std::find(std::begin(kPlants), std::end(kPlants), name);
            if (at == std::end(kPlants)) Usage();
            plant = hgcbox::Planted(at - std::begin(kPlants));
        }
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
                c.plant = plant;
                Put(out, c, ctlsim::RunSweepCase(c), verbose);
            }
            std::_Exit(0);
        }
        close(p[1]);
        fds.push_back(p[0]);
        pids.push_back(pid);
    }
    uint64_t runs = 0, complete = 0, told = 0, wrong = 0, worse = 0, beyond = 0,
             disturbed = 0, stalled = 0, caught = 0, plainComplete = 0, plainWrong = 0, wrongAlike = 0;
    // Runs by what happened on lines an earlier read had parted: y o Y O (see Put).
    uint64_t parted[4] = {}, forked = 0, unforked = 0;
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
                // flags, seconds, plain seconds, forked, unforked, text (t4: the tab before it)
                const size_t t1 = line.find('\t'), t2 = line.find('\t', t1 + 1), tf = line.find('\t', t2 + 1),
                             tu = line.find('\t', tf + 1), t4 = line.find('\t', tu + 1);
                forked += std::strtoull(line.c_str() + tf + 1, nullptr, 10);
                unforked += std::strtoull(line.c_str() + tu + 1, nullptr, 10);
                const std::string flags = line.substr(0, t1);
                auto has = [&flags](char f) { return flags.find(f) != std::string::npos; };
                const bool isWrong = has('w'), isWorse = has('x'), isBeyond = has('b');
                if (has('s')) ++stalled;
                if (has('p')) ++plainComplete;
                if (has('P')) ++plainWrong;
                for (int k = 0; k < 4; ++k) parted[k] += has("yoYO"[k]);
                ++runs;
                seconds += std::strtod(line.c_str() + t1 + 1, nullptr);
                plainSeconds += std::strtod(line.c_str() + t2 + 1, nullptr);
                if (flags.find('d') != std::string::npos) ++disturbed;
                if (flags.find('q') != std::string::npos) {
                    ++caught;
                    caughtSeeds += " " + line.substr(t4 + 6, line.find(' ', t4 + 6) - t4 - 6);
                }
                if (isBeyond) ++beyond;
                if (isWorse) ++worse;
                if (isWrong) {
                    ++wrong;
                    if (has('a')) ++wrongAlike;
                    std::printf("WRONG%s%s%s %s\n", has('a') ? " (the plain loop's too)" : "", has('o') ? " (parted)" : "",
                                isWorse ? has('y') ? " and WORSE (parted)" : " and WORSE" : "", line.c_str() + t4 + 1);
                } else if (isWorse) {
                    std::printf("WORSE%s %s\n", has('y') ? " (parted)" : "", line.c_str() + t4 + 1);
                }
                if (!isWrong && has('c')) {
                    ++complete;
                } else if (!isWrong) {
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
    std::printf("runs %llu, complete %llu, told %llu, wrong %llu (the plain loop's read too %llu), worse than the "
                "plain loop %llu",
                u(runs), u(complete), u(told), u(wrong), u(wrongAlike), u(worse));
    if (mode == ctlsim::SweepMode::Faults) std::printf(", beyond the horizon %llu", u(beyond));
    if (mode == ctlsim::SweepMode::Mild || mode == ctlsim::SweepMode::Healthy)
        std::printf(", disturbed %llu", u(disturbed));
    std::printf(", not judged by time for a stall %llu (%.1f %%)", u(stalled),
                runs ? 100.0 * double(stalled) / double(runs) : 0.0);
    if (mode == ctlsim::SweepMode::Late) std::printf(" (told: caught by the readers; wrong: slipped through)");
    std::printf("\n");
    if (mode == ctlsim::SweepMode::Healthy)
        std::printf("time %.1f s against the plain loop's %.1f s\n", seconds, plainSeconds);
    else
        std::printf("the plain loop on the same schedules: complete %llu, wrong %llu; time %.1f s, the engine's "
                    "%.1f s\n",
                    u(plainComplete), u(plainWrong), plainSeconds, seconds);
    if (mode != ctlsim::SweepMode::Healthy)
        std::printf("on lines an earlier read had parted: the engine worse %llu, wrong where the plain loop is "
                    "right %llu; the plain loop worse %llu, wrong where the engine is right %llu; reads judged "
                    "on the engine's line %llu, not so judged %llu\n",
                    u(parted[0]), u(parted[1]), u(parted[2]), u(parted[3]), u(forked), u(unforked));
    if (caught)
        std::printf("date questions the clean reads did not ask: %llu, seeds%s\n", u(caught), caughtSeeds.c_str());
    const bool ok = runs == count && worse == 0 && (wrong == wrongAlike || mode == ctlsim::SweepMode::Late);
    return ok ? 0 : 1;
}
