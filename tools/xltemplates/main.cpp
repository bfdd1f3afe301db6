// Writes the two report templates, day_report_title_v13.xlsx and
// mon_report_title_v13.xlsx, into the folder given on the command line (the program
// folder in the build).
#include <cstdio>
#include <exception>
#include <string>

#include "reports/xlsreport.h"
#include "reports/xltemplate.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    std::string dir = argv[1];
    if (!dir.empty() && dir.back() != '/') dir += '/';
    try {
        qvr::BuildXlsTemplate(0, dir + qvr::kDayTemplateName);
        qvr::BuildXlsTemplate(1, dir + qvr::kMonthTemplateName);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
