#include "data/ui/formarhmom_wmt.h"

TFormArhMom_Wmt::TFormArhMom_Wmt(QWidget* parent) : TMoistureArchiveForm(parent, qvr::MoistureViewKind::Moment) {}
