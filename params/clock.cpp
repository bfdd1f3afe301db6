#include "params/clock.h"

#include "common/question.h"
#include "link/hgcbox.h"

namespace qvr {

int16_t ClockCorrectionSeconds(const CtlDateTime& ctl, const CtlDateTime& pc) {
    const int ctlInHour = ctl.minute * 60 + ctl.second;
    if (CompareCtlDateTimeByUnit(ctl, pc, kUnitHour) != 0) {
        if (CompareCtlDateTime(ctl, pc) != 1) return int16_t((59 - ctl.minute) * 60 + (60 - ctl.second));
        return int16_t(-ctlInHour);
    }
    return int16_t(pc.minute * 60 + pc.second - ctlInHour);
}

bool SendClockCorrection(int16_t seconds, IStatusBar* statusBar) {
    bool ok = false;
    {
        HourglassScope busy;
        if (statusBar) statusBar->SetPanelText(2, "");
        if (g_Hgc) {
            const uint16_t v = uint16_t(seconds);
            const uint8_t body[2] = {uint8_t(v & 0xFF), uint8_t(v >> 8)};
            ok = g_Hgc->Request(12, body, sizeof body, 0);
        }
    }
    if (statusBar) {
        if (ok)
            statusBar->SetPanelText(2, "Корректировка времени выполнена");
        else if (g_Hgc)
            statusBar->SetPanelText(2, g_Hgc->ResultText());
        statusBar->Repaint();
    }
    if (!ok) {
        g_QuesKind = kQuesNotice;
        ShowQues("Корректировка времени не выполнена", "");
    }
    return ok;
}

}  // namespace qvr
