// The 5-minute chromatograph archive view: one analysis per row, its status byte and the
// chromatograph's status word, the passport of one chosen analysis.
#pragma once
#include "data/passport.h"
#include "data/ui/chromarchform.h"

class TFormArhMom_Chr : public TChromArchiveForm {
    Q_OBJECT
public:
    explicit TFormArhMom_Chr(QWidget* parent = nullptr);

    qvr::MomentPassportRecord Passport;      // the record of the analysis to print
    char OrgTitle[qvr::kOrgTitleSize + 1] = {};  // organisation name from INI/title.ini
    uint8_t ReportIniLoaded = 0;             // REPORT/report.ini was read once
    uint8_t TitleIniLoaded = 0;              // INI/title.ini was read once

    void PrepareChromError(int row, TFormChromError& form) const override;

public slots:
    void BitBtn4Click();

protected:
    qvr::ChromViewKind ViewKind() const override { return qvr::ChromViewKind::Moment; }
    qvr::PrintHeadingKind HeadingKind() const override { return qvr::kPrintChrom5Min; }
    QList<int> StatusColumnList() const override { return {3, 4}; }
    void AfterShow() override;
};
