// The 5-minute moisture-analyser archive view: one measurement per row with its status
// byte, the analyser's state word and the four values.
#pragma once
#include "data/ui/formarh_wmt.h"

class TFormArhMom_Wmt : public TMoistureArchiveForm {
    Q_OBJECT
public:
    explicit TFormArhMom_Wmt(QWidget* parent = nullptr);
};
