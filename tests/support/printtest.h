// Print tests: the report settings and the chromatograph display order are program-wide;
// each test starts from cleared settings and leaves the old ones behind. The header and
// organisation name of the printed set are filled by the test.
#pragma once
#include <gtest/gtest.h>

#include <QStandardItemModel>

#include <cstring>
#include <string>

#include "app/rd_wr_ini.h"
#include "common/dtfun.h"
#include "data/archformat.h"
#include "reports/chromorder.h"

class PrintTestBase : public ::testing::Test {
protected:
    void SetUp() override {
        savedSettings = ReportSettings;
        savedOrder = ActiveChromParamOrder;
        ReportSettings = {};
        ReportSettings.calc_formula = 1;
        ActiveChromParamOrder = ChromParamDisplayOrderNoOxygen;
    }
    void TearDown() override {
        ReportSettings = savedSettings;
        ActiveChromParamOrder = savedOrder;
    }
    // The station name (Windows-1251), address, read time and period of the printed set,
    // and the organisation name (Windows-1251, at most 40 characters).
    void SetPrintedSet(const std::string& name, uint8_t address, CtlDateTime readTime, CtlDateTime start,
                       CtlDateTime end, const std::string& orgName) {
        std::memcpy(header.name, name.data(), name.size());
        header.address = address;
        header.readTime = readTime;
        StoreCtl(start, header.periodStart);
        StoreCtl(end, header.periodEnd);
        std::strcpy(org, orgName.c_str());
    }
    ReportSettingsRecord savedSettings{};
    const uint8_t* savedOrder = nullptr;
    qvr::ArchiveFileHeader header;
    char org[41] = {};
};

// Empty grids shaped as the chromatograph views give them: 5 left columns, 21 value
// columns, rows rows each.
inline void ShapeChromGrids(QStandardItemModel& left, QStandardItemModel& values, int rows) {
    left.clear();
    values.clear();
    left.setColumnCount(5);
    values.setColumnCount(21);
    left.setRowCount(rows);
    values.setRowCount(rows);
}
