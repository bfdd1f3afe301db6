#include "data/ui/formarhivhd_wmt.h"

TFormArhivHD_Wmt::TFormArhivHD_Wmt(QWidget* parent) : TMoistureArchiveForm(parent, qvr::MoistureViewKind::Hourly) {}

void TFormArhivHD_Wmt::BeforeShow() {
    // The heading kind chooses the caption, the end-time rule, the save folder and the print.
    SetViewKind(Kind == qvr::kPrintWmtDay ? qvr::MoistureViewKind::Daily : qvr::MoistureViewKind::Hourly);
}
