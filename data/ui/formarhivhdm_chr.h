// The hourly and daily chromatograph archive view: one mean per row with its interval and
// status byte.
#pragma once
#include "data/ui/chromarchform.h"

class TFormArhivHDM_Chr : public TChromArchiveForm {
    Q_OBJECT
public:
    explicit TFormArhivHDM_Chr(QWidget* parent = nullptr);

    uint8_t PeriodKind = 0;  // 0 hourly, 1 daily

    void PrepareChromError(int row, TFormChromError& form) const override;

protected:
    qvr::ChromViewKind ViewKind() const override {
        return PeriodKind == 1 ? qvr::ChromViewKind::Daily : qvr::ChromViewKind::Hourly;
    }
    qvr::PrintHeadingKind HeadingKind() const override {
        return PeriodKind == 1 ? qvr::kPrintChromDay : qvr::kPrintChromHour;
    }
    QList<int> StatusColumnList() const override { return {4}; }
};
