// Time and memory of the Excel export of a 5-minute chromatograph view (a program to run
// by hand, not a test). For each row count given (default 17900 and 105000) a child
// process builds the view's record set, exports it to a workbook in a temporary folder
// and prints: the time of the export, the resident memory before it, its peak while it
// runs, what stays resident after it, the same after malloc_trim, the heap still in use
// and the size of the file.
//
//   xlsexport_bench [rows ...]
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/fileutil.h"
#include "data/archformat.h"
#include "data/chromview.h"
#include "reports/xlsexport.h"

using namespace qvr;

namespace {

// A line of /proc/self/status ("VmRSS", "VmHWM") in MB.
double StatusMb(const char* key) {
    std::ifstream f("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(f, line))
        if (line.rfind(prefix, 0) == 0) return std::strtod(line.c_str() + prefix.size(), nullptr) / 1024.0;
    return -1;
}

// Starts the peak (VmHWM) again from the present resident size.
void ResetPeak() {
    std::ofstream f("/proc/self/clear_refs");
    f << "5";
}

// 5-minute records one after another, values varying from record to record as a real
// archive's do, every 50th with "no link" so some rows carry the blanked texts.
std::vector<uint8_t> Records(int n) {
    std::vector<uint8_t> all(size_t(n) * kChrom5MinRecordSize);
    CtlDateTime t(25, 1, 1, 0, 0, 0);
    for (int i = 0; i < n; ++i) {
        uint8_t* r = all.data() + size_t(i) * kChrom5MinRecordSize;
        t = CtlDateTime(uint8_t(25 + i / 105120), uint8_t(1 + (i / 8640) % 12), uint8_t(1 + (i / 288) % 28),
                        uint8_t((i / 12) % 24), uint8_t((i % 12) * 5), 0);
        StoreCtl(t, r);
        r[6] = i % 50 == 0 ? 0x20 : 0;
        for (int k = 0; k < kGasParamCount; ++k)
            PutF32(r + 11 + 4 * k, float(k + 1) * (1.0f + float((i * 7 + k * 13) % 1000) / 997.0f));
        PutF32(r + 11 + 4 * 8, 90.0f + float(i % 500) / 100.0f);  // methane
        SealRecord(r, kChrom5MinRecordSize);
    }
    return all;
}

int Run(int rows, const std::string& folder) {
    const std::vector<uint8_t> records = Records(rows);
    uint8_t name[20];
    std::memset(name, ' ', sizeof name);
    std::memcpy(name, "KVR-1", 5);
    const ArchiveFileHeader header =
        MakeArchiveFileHeader(DataKind::Chrom5Min, name, 12, CtlDateTime(26, 1, 1, 0, 0, 0), CtlDateTime(25, 1, 1, 0, 0, 0),
                              CtlDateTime(25, 12, 31, 23, 55, 0), uint32_t(rows), 9, 0);
    const ChromArchiveSet set(ChromViewKind::Moment, header, records.data(), records.size());
    ChromExcelExport in;
    in.leftColumns = 2;
    in.caption = set.Caption();
    in.methodLine = ChromMethodLine(ReportSettings);
    in.recordCount = set.RowCount();
    in.leftText = [&set](int row, int column) { return set.LeftCell(row, column); };
    in.valueText = [&set](int row, int column) { return set.ValueCell(row, column + 1); };

    const std::string path = folder + "/bench.xlsx";
    malloc_trim(0);
    const double before = StatusMb("VmRSS");
    ResetPeak();
    const auto t0 = std::chrono::steady_clock::now();
    const bool ok = ExportChromViewToExcel(in, path, nullptr, {});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double peak = StatusMb("VmHWM");
    const double after = StatusMb("VmRSS");
    const struct mallinfo2 mi = mallinfo2();
    malloc_trim(0);
    const double trimmed = StatusMb("VmRSS");
    std::printf("%7d rows: %s %6.2f s, RSS before %6.1f MB, peak %7.1f MB (+%7.1f), after %6.1f MB (+%6.1f), "
                "after malloc_trim %6.1f MB, heap in use %6.1f MB, file %5.1f MB\n",
                rows, ok ? "saved" : "FAILED", seconds, before, peak, peak - before, after, after - before, trimmed,
                double(mi.uordblks + mi.hblkhd) / 1048576.0, double(FileSize(path)) / 1048576.0);
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
    if (counts.empty()) counts = {17900, 105000};
    char tmpl[] = "/tmp/xlsbench-XXXXXX";
    const char* folder = mkdtemp(tmpl);
    if (!folder) {
        std::perror("mkdtemp");
        return 2;
    }
    int status = 0;
    for (int rows : counts) {
        std::fflush(stdout);
        const pid_t pid = fork();
        if (pid == 0) {
            const int rc = Run(rows, folder);
            std::fflush(stdout);
            _exit(rc);
        }
        int st = 0;
        if (pid < 0 || waitpid(pid, &st, 0) < 0 || !WIFEXITED(st) || WEXITSTATUS(st) != 0) status = 1;
    }
    std::filesystem::remove_all(folder);
    return status;
}
