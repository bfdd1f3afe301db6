// What the chromatograph archive views show, without widgets: one record set (5-minute,
// hourly or daily) with its converted analyses, the texts of the left grid (date, time,
// status) and of the value grid (20 gas-parameter columns) formatted row by row on demand,
// the means, the captions and headings, and the saving of the set in a data file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "app/rd_wr_ini.h"
#include "data/archformat.h"

namespace qvr {

enum class ChromViewKind : uint8_t { Moment = 0, Hourly = 1, Daily = 2 };

// The archive kind of a view's data (Chrom5Min, ChromHour, ChromDay).
DataKind ChromDataKind(ChromViewKind kind);

// The window caption of an archive view (chromatograph or moisture analyser, 5-minute,
// hourly or daily data) from the header's period; empty for other kinds.
std::string ArchiveViewCaption(DataKind kind, const ArchiveFileHeader& header);

// Columns of the two grids. Column 0 of each is a narrow spacer; value column c + 1 shows
// display column c.
constexpr int kChromLeftColumns = 5;
constexpr int kChromValueColumns = kGasParamCount + 1;

// The record set of a view. The raw records are copied in and never changed; each copy's
// analysis is converted once by ReportSettings when the set is made.
class ChromArchiveSet {
public:
    ChromArchiveSet() = default;
    // header: the set's header; records/bytes: the raw records. The row count is the
    // header's record count, cut to the whole records actually given.
    ChromArchiveSet(ChromViewKind kind, const ArchiveFileHeader& header, const uint8_t* records, size_t bytes);

    ChromViewKind Kind() const { return kind_; }
    bool Daily() const { return kind_ == ChromViewKind::Daily; }
    DataKind DataFileKind() const;
    size_t RecordSize() const;
    const ArchiveFileHeader& Header() const { return header_; }
    const std::vector<uint8_t>& RawRecords() const { return raw_; }
    int RowCount() const { return rows_; }

    const uint8_t* RawRecord(int row) const { return raw_.data() + size_t(row) * RecordSize(); }
    const GasAnalysis& Converted(int row) const { return converted_[size_t(row)]; }
    uint8_t StatusByte(int row) const;
    bool CrcOk(int row) const;
    // The record's values are shown and count into the means.
    bool Counted(int row) const;

    // Grid texts (UTF-8). Columns outside the grid and rows outside the set give "".
    std::string LeftCell(int row, int column) const;
    std::string ValueCell(int row, int column) const;

    // Mean of each gas parameter (GasAnalysis index) over its measured values in the
    // counted records (not an invalid float, not the 0 the conversion puts in place of an
    // invalid component); 0 for the parameters without a column or without such a value.
    const float* Means() const { return means_; }

    std::string Caption() const;  // window caption from the header's period

private:
    ChromViewKind kind_ = ChromViewKind::Moment;
    ArchiveFileHeader header_;
    std::vector<uint8_t> raw_;
    std::vector<GasAnalysis> converted_;
    std::vector<uint8_t> counted_;
    int rows_ = 0;
    float means_[kGasParamCount] = {};
};

// "  Расчет по ГОСТ, ..." or "  Расчет по ДСТУ ИСО, ..." with the methane correction.
std::string ChromMethodLine(const ReportSettingsRecord& rs);
// Heading line 0..2 of a display column (empty for a blank line) and its unit.
std::string ChromHeadingLine(const ReportSettingsRecord& rs, int displayColumn, int line);
std::string ChromHeadingUnit(const ReportSettingsRecord& rs, int displayColumn);

// A value as a grid shows it: fixed point with the decimals (at most 10 significant
// digits), right-aligned in 8 characters; "NAN" for an invalid float.
std::string FormatChromValue(float v, int decimals);
// The same without the alignment.
std::string ChromValueText(float v, int decimals);

// ---------------------------------------------------------------------------------------
// Saving a view's set: the folder of the kind, the save dialog (through the chooser), the
// default extension, the replace question, the file and the messages.
struct DataSaveRequest {
    std::string title;                 // "Введите имя файла для сохранения данных"
    std::string folder;                // the kind's folder, no trailing '/'
    std::string proposal;              // the default path
    std::vector<std::string> filters;  // dialog filters, in order
    int filterIndex = 1;               // preselected filter, from 1
};
// Runs the save dialog: the chosen path, or empty for Cancel.
using DataSaveChooser = std::function<std::string(const DataSaveRequest&)>;

// The dialog filters and the preselected one of a chromatograph view.
DataSaveRequest ChromSaveRequest(ChromViewKind kind, uint8_t address, const std::tm& today);

// A path whose file name has no extension gets ext (".mch").
std::string WithDefaultExtension(const std::string& path, const char* ext);

// The save loop: dialog, extension, replace question (No runs the dialog again), file.
// Reports "Данные сохранены в файле %s." or "Ошибка открытия файла". true when written.
bool SaveViewData(DataKind kind, const DataSaveRequest& request, const ArchiveFileHeader& header,
                  const std::vector<uint8_t>& raw, const DataSaveChooser& choose);

}  // namespace qvr
