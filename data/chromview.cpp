#include "data/chromview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/fileutil.h"
#include "common/question.h"
#include "common/suplfunc.h"
#include "common/uihooks.h"
#include "reports/chromorder.h"
#include "reports/gascalc.h"

namespace qvr {

namespace {

constexpr uint8_t kNoValue = 255;
constexpr uint8_t kOffOrNoLink = kChromControllerOff | kChromNoLink;  // 0x22
constexpr float kMinMethane = 0.001f;

std::string Printf(const char* fmt, int a, int b, int c) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, a, b, c);
    return buf;
}

int Decimals(int p) {
    if (p < 0 || p >= kGasParamCount) return 4;
    return std::min<int>(ReportSettings.fr[p], 18);
}

// Whether converted value p of an analysis is a measurement that may enter a mean. An
// invalid float never is. The conversion carries an invalid component reading on as 0,
// and that 0 is no measurement either; a value the conversion computes for such a
// component from the others (methane by difference) is kept.
bool MeasuredValue(const GasAnalysis& raw, const GasAnalysis& converted, int p) {
    if (IsFloatNaN(converted.v[p])) return false;
    if (p < kGasComponentCount && IsFloatNaN(raw.v[p])) return converted.v[p] != 0.0f;
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------

ChromArchiveSet::ChromArchiveSet(ChromViewKind kind, const ArchiveFileHeader& header, const uint8_t* records,
                                 size_t bytes)
    : kind_(kind), header_(header) {
    const size_t size = RecordSize();
    const size_t present = records ? bytes / size : 0;
    rows_ = int(std::min<size_t>({size_t(header.recordCount), present, size_t(INT32_MAX / size)}));
    raw_.assign(records, records + size_t(rows_) * size);
    converted_.resize(size_t(rows_));
    counted_.assign(size_t(rows_), 0);

    const size_t gasOffset = kind == ChromViewKind::Moment ? Chrom5MinRecord::kGas : ChromHourDayRecord::kGas;
    double sums[kGasParamCount] = {};
    int counts[kGasParamCount] = {};
    for (int i = 0; i < rows_; ++i) {
        const GasAnalysis raw = GasAnalysis::Load(RawRecord(i) + gasOffset);
        GasAnalysis& a = converted_[size_t(i)];
        a = raw;
        ConvertGasAnalysis(a);
        if (!CrcOk(i)) continue;
        const uint8_t st = StatusByte(i);
        bool counted;
        if (kind == ChromViewKind::Moment) {
            counted = (st & (kOffOrNoLink | kChromAutoCalibration)) == 0;
        } else {
            const float methane = a.v[kGasMethane];
            counted = (st & kOffOrNoLink) == 0 && !IsFloatNaN(methane) && methane >= kMinMethane;
        }
        if (!counted) continue;
        counted_[size_t(i)] = 1;
        // Within a counted record each parameter adds only a value that was measured.
        for (int c = 0; c < kGasParamCount; ++c) {
            const uint8_t p = ActiveChromParamOrder[c];
            if (p >= kGasParamCount || !MeasuredValue(raw, a, p)) continue;
            sums[p] += double(a.v[p]);
            ++counts[p];
        }
    }
    for (int c = 0; c < kGasParamCount; ++c) {
        const uint8_t p = ActiveChromParamOrder[c];
        if (p < kGasParamCount && counts[p] > 0) means_[p] = float(sums[p] / counts[p]);
    }
}

DataKind ChromDataKind(ChromViewKind kind) {
    switch (kind) {
    case ChromViewKind::Moment: return DataKind::Chrom5Min;
    case ChromViewKind::Hourly: return DataKind::ChromHour;
    case ChromViewKind::Daily: break;
    }
    return DataKind::ChromDay;
}

DataKind ChromArchiveSet::DataFileKind() const { return ChromDataKind(kind_); }

size_t ChromArchiveSet::RecordSize() const {
    return kind_ == ChromViewKind::Moment ? kChrom5MinRecordSize : kChromHourDayRecordSize;
}

uint8_t ChromArchiveSet::StatusByte(int row) const {
    return RawRecord(row)[kind_ == ChromViewKind::Moment ? Chrom5MinRecord::kStatus : ChromHourDayRecord::kStatus];
}

bool ChromArchiveSet::CrcOk(int row) const { return RecordCrcOk(RawRecord(row), RecordSize()); }

bool ChromArchiveSet::Counted(int row) const { return row >= 0 && row < rows_ && counted_[size_t(row)]; }

std::string ChromArchiveSet::LeftCell(int row, int column) const {
    if (row < 0 || row >= rows_ || column < 1 || column >= kChromLeftColumns) return {};
    if (!CrcOk(row)) {
        // The date and time cells read together: data unreliable.
        if (column == 1) return "     Данные";
        if (column == 2) return "недостов.";
        return {};
    }
    const uint8_t* r = RawRecord(row);
    char buf[64];
    if (kind_ == ChromViewKind::Moment) {
        const uint8_t st = r[Chrom5MinRecord::kStatus];
        switch (column) {
        case 1: return Printf("  %02d.%02d.%02d", r[2], r[1], r[0]);
        case 2: return Printf("  %02d:%02d:%02d", r[3], r[4], r[5]);
        case 3:
            if (st == 0) return "Норма";
            std::snprintf(buf, sizeof buf, "  0x%02X", st);
            return buf;
        default:
            if (st & kChromControllerOff) return {};
            if (st & kChromNoLink) return " Нет связи";
            if (r[7] == 0 && r[8] == 0) return " Норма";
            std::snprintf(buf, sizeof buf, " 0x%02X%02X", r[8], r[7]);
            return buf;
        }
    }
    const uint8_t st = r[ChromHourDayRecord::kStatus];
    switch (column) {
    case 1: return Printf("   %02d.%02d.%02d", r[2], r[1], r[0]);
    case 2: return Printf("   %02d:%02d:%02d", r[3], r[4], r[5]);
    case 3:
        if (kind_ == ChromViewKind::Daily) {
            if (r[6] & 0x80) return Printf("   %02d:%02d:%02d", r[6] & 0x7F, r[7], r[8]);
            return Printf("   %02d:%02d:%02d*", r[6], r[7], r[8]);
        }
        return Printf("   %02d:%02d:%02d", r[6], r[7], r[8]);
    default:
        if (st == 0) return "    Норма";
        std::snprintf(buf, sizeof buf, "     0x%02X", st);
        return buf;
    }
}

std::string ChromArchiveSet::ValueCell(int row, int column) const {
    if (row < 0 || row >= rows_ || column < 1 || column >= kChromValueColumns) return {};
    const uint8_t p = ActiveChromParamOrder[column - 1];
    if (p >= kGasParamCount || !CrcOk(row)) return {};
    const uint8_t st = StatusByte(row);
    if (kind_ == ChromViewKind::Moment) {
        if (st & kChromControllerOff) return " Выкл.";
        if (st & kChromNoLink) return "       0";
        if (st & kChromAutoCalibration) return " Калибр.";
        return FormatChromValue(Converted(row).v[p], Decimals(p));
    }
    if (!Counted(row)) return " ---";
    return FormatChromValue(Converted(row).v[p], Decimals(p)) + (st == 0 ? " " : "\"");
}

std::string ArchiveViewCaption(DataKind kind, const ArchiveFileHeader& header) {
    const char* device;
    switch (kind) {
    case DataKind::Chrom5Min:
    case DataKind::ChromHour:
    case DataKind::ChromDay: device = "хроматографа"; break;
    case DataKind::Wmt5Min:
    case DataKind::WmtHour:
    case DataKind::WmtDay: device = "влагомера"; break;
    default: return {};
    }
    const uint8_t* s = header.periodStart;
    const uint8_t* e = header.periodEnd;
    char buf[256];
    if (kind == DataKind::Chrom5Min || kind == DataKind::Wmt5Min) {
        char a[40], b[40];
        std::snprintf(a, sizeof a, "%02d.%02d.%02d %02d:%02d:00", s[2], s[1], s[0], s[3], s[4]);
        std::snprintf(b, sizeof b, "%02d.%02d.%02d %02d:%02d:00", e[2], e[1], e[0], e[3], e[4]);
        std::snprintf(buf, sizeof buf, "Мгновенные данные %s за период  с  %s  по  %s", device, a, b);
    } else if (kind == DataKind::ChromHour || kind == DataKind::WmtHour) {
        std::snprintf(buf, sizeof buf, "Часовые данные %s за период с %02d.%02d.%02d  %02dч  по  %02d.%02d.%02d  %02dч",
                      device, s[2], s[1], s[0], s[3], e[2], e[1], e[0], e[3]);
    } else {
        std::snprintf(buf, sizeof buf, "Суточные данные %s за период с %02d.%02d.%02d  по  %02d.%02d.%02d", device,
                      s[2], s[1], s[0], e[2], e[1], e[0]);
    }
    return buf;
}

std::string ChromArchiveSet::Caption() const { return ArchiveViewCaption(DataFileKind(), header_); }

// ---------------------------------------------------------------------------------------

std::string ChromMethodLine(const ReportSettingsRecord& rs) {
    const std::string m = rs.metan_corr == 1 ? "корректировка по методу абс. калибровки"
                                             : "без корректировки доли компонентов";
    return (rs.calc_formula == 1 ? "  Расчет по ГОСТ, " : "  Расчет по ДСТУ ИСО, ") + m;
}

std::string ChromHeadingLine(const ReportSettingsRecord& rs, int displayColumn, int line) {
    if (displayColumn < 0 || displayColumn >= kGasParamCount || line < 0 || line > 2) return {};
    const uint8_t p = ChromParamDisplayOrder[displayColumn];
    if (p >= kGasParamCount) return {};
    const std::string t = rs.prz_composition == 1 ? ChromParamHeadersVolume[p][line] : ChromParamHeadersMolar[p][line];
    return t == " " ? std::string() : t;
}

std::string ChromHeadingUnit(const ReportSettingsRecord& rs, int displayColumn) {
    if (displayColumn < 0 || displayColumn >= kGasParamCount) return {};
    const uint8_t p = ChromParamDisplayOrder[displayColumn];
    if (p >= kGasParamCount) return {};
    const std::string t = rs.thermal_unit == 1 ? ChromParamUnitsKcal[p] : ChromParamUnitsMJ[p];
    return t == " " ? std::string() : t;
}

std::string ChromValueText(float v, int decimals) {
    if (IsFloatNaN(v)) return "NAN";
    decimals = std::clamp(decimals, 0, 18);
    const double d = double(v);
    char buf[96];
    if (std::fabs(d) >= 1e10) {
        // Too many integer digits for ten significant ones: exponent form.
        std::snprintf(buf, sizeof buf, "%.9E", d);
        return buf;
    }
    // At most ten significant digits, then the decimals asked for.
    std::snprintf(buf, sizeof buf, "%.9e", d);
    const double rounded = std::strtod(buf, nullptr);
    std::snprintf(buf, sizeof buf, "%.*f", decimals, rounded);
    std::string s = buf;
    // A negative value that rounds to zero is shown without its sign.
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

std::string FormatChromValue(float v, int decimals) {
    std::string s = ChromValueText(v, decimals);
    if (s.size() < 8) s.insert(0, 8 - s.size(), ' ');
    return s;
}

// ---------------------------------------------------------------------------------------

DataSaveRequest ChromSaveRequest(ChromViewKind kind, uint8_t address, const std::tm& today) {
    DataSaveRequest r;
    const DataKind dk = ChromDataKind(kind);
    r.title = "Введите имя файла для сохранения данных";
    r.folder = DataFolder(dk);
    r.proposal = DefaultDataFileName(r.folder, dk, address, today);
    if (kind == ChromViewKind::Moment) {
        r.filters = {"Data Files (*.mch)", "DataFiles(*.xls)", "DataFiles(*.*)"};
        r.filterIndex = 1;
    } else {
        r.filters = {"Data Files (*.hch)", "DataFiles(*.dch)", "DataFiles(*.xls)", "DataFiles(*.*)"};
        r.filterIndex = kind == ChromViewKind::Daily ? 2 : 1;
    }
    return r;
}

std::string WithDefaultExtension(const std::string& path, const char* ext) {
    const std::string name = FileNameOnly(path);
    if (name.find('.') != std::string::npos) return path;
    return path + ext;
}

bool SaveViewData(DataKind kind, const DataSaveRequest& request, const ArchiveFileHeader& header,
                  const std::vector<uint8_t>& raw, const DataSaveChooser& choose) {
    MakeDir(request.folder);  // a fresh installation may lack the folder
    DataSaveRequest req = request;
    std::string path;
    for (;;) {
        const std::string chosen = choose ? choose(req) : std::string();
        if (chosen.empty()) return false;
        path = WithDefaultExtension(chosen, KindInfo(kind).extension);
        if (!FileExists(path)) break;
        g_QuesKind = kQuesQuestion;
        ShowQues("Файл " + FileNameOnly(path) + " уже есть.", "Вы хотите заменить существующий файл?");
        if (g_QuesAnswer == 1) break;
        req.proposal = path;
    }
    bool ok;
    {
        HourglassScope hourglass;
        ok = SaveDataFile(path, header, raw, kind);
    }
    if (!ok) {
        g_QuesKind = kQuesError;
        ShowQues("Ошибка открытия файла", "");
        return false;
    }
    g_QuesKind = kQuesNotice;
    ShowQues("Данные сохранены в файле " + FileNameOnly(path) + ".", "");
    return true;
}

}  // namespace qvr
