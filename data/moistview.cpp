#include "data/moistview.h"

#include <cstdio>

#include "common/bytes.h"
#include "common/suplfunc.h"

namespace qvr {

namespace {

std::string Fmt(const char* format, int a, int b, int c) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, a, b, c);
    return buf;
}

std::string StatusText(uint8_t status) {
    if (status == 0) return "  Норма";
    char buf[16];
    std::snprintf(buf, sizeof buf, "  0x%02X", status);
    return buf;
}

// Values are never shown for a record taken with the controller off or without a link.
std::string ValueText(uint8_t status, const uint8_t* value) {
    if (status & kWmtControllerOff) return "  Выкл.";
    if (status & kWmtNoLink) return "       0";
    return "  " + FormatValue6(GetF32(value));
}

}  // namespace

MoistureViewKind MoistureViewKindOf(DataKind kind) {
    switch (kind) {
    case DataKind::WmtHour:
        return MoistureViewKind::Hourly;
    case DataKind::WmtDay:
        return MoistureViewKind::Daily;
    default:
        return MoistureViewKind::Moment;
    }
}

DataKind MoistureDataKind(MoistureViewKind kind) {
    switch (kind) {
    case MoistureViewKind::Hourly:
        return DataKind::WmtHour;
    case MoistureViewKind::Daily:
        return DataKind::WmtDay;
    case MoistureViewKind::Moment:
        break;
    }
    return DataKind::Wmt5Min;
}

size_t MoistureRecordSize(MoistureViewKind kind) {
    return kind == MoistureViewKind::Moment ? kMoisture5MinRecordSize : kMoistureHourDayRecordSize;
}

int MoistureRowCount(MoistureViewKind kind, const ArchiveFileHeader& header, size_t bytes) {
    const size_t whole = bytes / MoistureRecordSize(kind);
    const size_t n = header.recordCount < whole ? header.recordCount : whole;
    return n > size_t(INT32_MAX) ? INT32_MAX : int(n);
}

std::string MoistureCaption(MoistureViewKind kind, const ArchiveFileHeader& h) {
    return ArchiveViewCaption(MoistureDataKind(kind), h);
}

std::string MoistureValueHeading(uint8_t moistureType, int valueColumn, int line) {
    static const char* const kLines[4][4] = {
        {"Т т.росы", "WDP", "при Рраб.", "°С"},
        {"Т т.росы", "HDP", "при Рраб.", "°С"},
        {"Р изб.", "WDP", "", "bar"},
        {"Прив. Т т.росы", "по воде", "к Р абс.", "°С"},
    };
    static const char* const kGasPressure[4] = {"", "Р. газа", "", "МПа"};
    if (valueColumn < 0 || valueColumn > 3 || line < 0 || line > 3) return {};
    if (valueColumn == 2 && moistureType == 2) return kGasPressure[line];
    return kLines[valueColumn][line];
}

std::array<std::string, 3> MoistureLeftHeading(MoistureViewKind kind, int column) {
    if (kind == MoistureViewKind::Moment) {
        switch (column) {
        case 0:
            return {"", "Дата", ""};
        case 1:
            return {"", "Время", ""};
        case 2:
            return {"", "Статус", "контроллера"};
        case 3:
            return {"Признаки", "состояния", "влагомера"};
        default:
            return {};
        }
    }
    switch (column) {
    case 0:
        return {"", "Дата", "начала"};
    case 1:
        return {"", "Время", "начала"};
    case 2:
        return {"", "Время", "конца"};
    case 3:
        return {"", "Статус", "контроллера"};
    default:
        return {};
    }
}

std::string MoistureCell(MoistureViewKind kind, const uint8_t* r, int column) {
    if (!r || column < 0 || column >= kMoistureGridColumns) return {};
    const size_t size = MoistureRecordSize(kind);
    if (!RecordCrcOk(r, size)) {
        if (column == 0) return "     Данные";
        if (column == 1) return " недостов.";
        return {};
    }
    if (column == 0) return Fmt("  %02d.%02d.%02d", r[2], r[1], r[0]);
    if (column == 1) return Fmt("  %02d:%02d:%02d", r[3], r[4], r[5]);

    if (kind == MoistureViewKind::Moment) {
        const uint8_t status = r[Moisture5MinRecord::kStatus];
        if (column == 2) return StatusText(status);
        if (column == 3) {
            if (!(status & (kWmtNoLink | kWmtControllerOff))) {
                const uint8_t lo = r[Moisture5MinRecord::kCode], hi = r[Moisture5MinRecord::kCode + 1];
                if (lo == 0 && hi == 0) return "  Норма";
                char buf[16];
                std::snprintf(buf, sizeof buf, "  0x%02X%02X", hi, lo);
                return buf;
            }
            if ((status & kWmtNoLink) && !(status & kWmtControllerOff)) return " Нет связи";
            return {};
        }
        return ValueText(status, r + Moisture5MinRecord::kValues + 4 * size_t(column - 4));
    }

    const uint8_t status = r[MoistureHourDayRecord::kStatus];
    if (column == 2) {
        const uint8_t* end = r + MoistureHourDayRecord::kEnd;
        if (kind == MoistureViewKind::Hourly) return Fmt("   %02d:%02d:%02d", end[0], end[1], end[2]);
        // A daily mean whose end hour lacks the flag bit closed early: marked with '*'.
        if (!(end[0] & 0x80)) return Fmt("   %02d:%02d:%02d*", end[0], end[1], end[2]);
        return Fmt("   %02d:%02d:%02d", end[0] & 0x7F, end[1], end[2]);
    }
    if (column == 3) return StatusText(status);
    return ValueText(status, r + MoistureHourDayRecord::kValues + 4 * size_t(column - 4));
}

DataSaveRequest MoistureSaveRequest(MoistureViewKind kind, uint8_t address, const std::tm& today) {
    DataSaveRequest r;
    const DataKind dk = MoistureDataKind(kind);
    r.title = "Введите имя файла для сохранения данных";
    r.folder = DataFolder(dk);
    r.proposal = DefaultDataFileName(r.folder, dk, address, today);
    if (kind == MoistureViewKind::Moment) {
        r.filters = {"Data Files (*.mwm)", "DataFiles(*.*)"};
        r.filterIndex = 1;
    } else {
        r.filters = {"Data Files (*.hwm)", "DataFiles(*.dwm)", "DataFiles(*.*)"};
        r.filterIndex = kind == MoistureViewKind::Daily ? 2 : 1;
    }
    return r;
}

}  // namespace qvr
