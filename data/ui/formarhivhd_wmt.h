// The hourly and daily moisture-analyser archive view: one mean per row with its start,
// end and status byte and the four values.
#pragma once
#include <cstdint>

#include "data/ui/formarh_wmt.h"

class TFormArhivHD_Wmt : public TMoistureArchiveForm {
    Q_OBJECT
public:
    explicit TFormArhivHD_Wmt(QWidget* parent = nullptr);

    // Input: the print heading kind of the data, 6 hourly or 7 daily.
    uint8_t Kind = qvr::kPrintWmtHour;

protected:
    void BeforeShow() override;
};
