#include "data/ui/formarhivhdm_chr.h"

#include "common/ui/qtext.h"
#include "data/chromstatus.h"
#include "data/ui/formchromerr.h"

using namespace qvr;

TFormArhivHDM_Chr::TFormArhivHDM_Chr(QWidget* parent) : TChromArchiveForm(parent, false) { StatusColumns = 0; }

void TFormArhivHDM_Chr::PrepareChromError(int row, TFormChromError& form) const {
    const uint8_t* r = ArchiveSet().RawRecord(row);
    form.Mode = kChromStatusHourDay;
    form.StatusByte = r[ChromHourDayRecord::kStatus];
    form.setWindowTitle(FromUtf8(ChromStatusCaptionHourDay(r, PeriodKind == 1)));
}
