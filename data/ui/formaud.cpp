#include "data/ui/formaud.h"

#include "link/conffun.h"

using namespace qvr;

TFormAud::TFormAud(QWidget* parent) : TLogViewForm(parent, kAuditLog, 810) {}

void TFormAud::FillGrid() {
    if (Data && Data->mode == kLogModeFromFile) FillAuditGridFromText();
    else FillAuditGrid();
}

void TFormAud::FillAuditGrid() {
    rows_.clear();
    if (!Data) return;
    const size_t n = LogRowCount(*Data);
    rows_.reserve(n);
    // The controller's text code page decides how table 5's name characters are shown.
    const uint8_t codePage = IdentByte(ident::kTextCodePage);
    bool warned = false;
    for (size_t i = 0; i < n; ++i) {
        bool ok = true;
        rows_.push_back(AuditRow(Data->rows.data() + i * kAuditRecordSize, codePage, &ok));
        if (!ok && !warned) {
            warned = true;
            ShowCrcWarning();
        }
    }
}

void TFormAud::FillAuditGridFromText() {
    rows_.clear();
    if (!Data) return;
    rows_ = BuildLogRows(*Data, 1).rows;
}

std::vector<uint8_t> TFormAud::SaveBody() const { return BuildTextRows(rows_, kAuditLog); }
