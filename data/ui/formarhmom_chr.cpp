#include "data/ui/formarhmom_chr.h"

#include <QPushButton>
#include <cstring>
#include <exception>

#include "common/fileutil.h"
#include "common/question.h"
#include "common/uihooks.h"
#include "common/ui/qtext.h"
#include "data/chromstatus.h"
#include "data/ui/formchromerr.h"
#include "reports/dailyreport.h"
#include "reports/ui/formquesprn.h"

using namespace qvr;

TFormArhMom_Chr::TFormArhMom_Chr(QWidget* parent) : TChromArchiveForm(parent, true) {
    StatusColumns = 1;  // the toggle at show time hides the status columns
    connect(BitBtn4, &QPushButton::clicked, this, &TFormArhMom_Chr::BitBtn4Click);
}

void TFormArhMom_Chr::AfterShow() {
    N1Click();
    Passport.Reset(ArchiveSet().Header());
}

void TFormArhMom_Chr::PrepareChromError(int row, TFormChromError& form) const {
    const uint8_t* r = ArchiveSet().RawRecord(row);
    form.Mode = kChromStatusMoment;
    form.StatusByte = r[Chrom5MinRecord::kStatus];
    form.StatusWord[0] = r[Chrom5MinRecord::kAlarm];
    form.StatusWord[1] = r[Chrom5MinRecord::kAlarm + 1];
    form.setWindowTitle(FromUtf8(ChromStatusCaptionMoment(r)));
}

void TFormArhMom_Chr::BitBtn4Click() {
    const int row = SelectedRow();
    if (row < 0 || row >= ArchiveSet().RowCount()) return;  // an empty set has no analysis to print

    // A passport certifies one analysis: a record that failed its check, or one written
    // with the controller off or without a link to the chromatograph, holds none.
    const char* refusal = nullptr;
    const uint8_t status = ArchiveSet().StatusByte(row);
    if (!ArchiveSet().CrcOk(row))
        refusal = "(данные анализа недостоверны)";
    else if (status & kChromControllerOff)
        refusal = "(контроллер был выключен)";
    else if (status & kChromNoLink)
        refusal = "(не было связи с хроматографом)";
    if (refusal) {
        g_QuesKind = kQuesError;
        ShowQues("Паспорт анализа не может быть напечатан", refusal);
        return;
    }

    // The report texts and the organisation name are read until each was read once.
    if (!ReportIniLoaded) {
        std::vector<uint8_t> bytes;
        if (ReadFileStart(ReportFormatPath(), MomentPassportRecord::kReportTextsSize, bytes)) {
            std::memcpy(Passport.bytes + MomentPassportRecord::kReportTexts, bytes.data(), bytes.size());
            ReportIniLoaded = 1;
        }
    }
    if (!TitleIniLoaded && FileExists(OrgTitlePath())) {
        ReadOrgTitle(OrgTitle);
        TitleIniLoaded = 1;
    }
    Passport.bytes[MomentPassportRecord::kKind] = 0;
    Passport.SetAnalysis(ArchiveSet().RawRecord(row), ArchiveSet().Converted(row));

    for (;;) {
        const uint8_t choice = AskPrintChoice(this, 1, nullptr, Passport.bytes);
        ProcessMessages();
        if (choice == 0) break;
        const MomentPassportPrintHook& print = CurrentMomentPassportPrintHook();
        if (!print) continue;  // no passport print in this build
        try {
            print(this, Passport.bytes, OrgTitle, choice == 1);
        } catch (...) {
            g_QuesKind = kQuesError;
            ShowQues("Ошибка печати данных", "");
        }
    }
}
