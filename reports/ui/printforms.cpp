#include "reports/ui/printforms.h"

#include "data/ui/chromarchform.h"
#include "data/ui/formarh_wmt.h"
#include "reports/ui/formpasport_mom.h"
#include "reports/ui/formprnhdm_chr.h"
#include "reports/ui/formprnhdm_wmt.h"
#include "reports/ui/formsertif.h"
#include "reports/ui/reportcommands.h"

namespace qvr {

void InstallPrintForms() {
    SetChromArchivePrintHook([](QWidget* parent, const ChromArchivePrintJob& job) {
        TFormPrnHDM_Chr form;
        BuildChromArchivePrint(form, job);
        form.QuickRep1.Preview(parent);
    });
    SetMomentPassportPrintHook(PrintMomentPassport);
    SetMoistureArchivePrintHook([](QWidget* parent, const MoistureArchivePrintJob& job) {
        TFormPrnHDM_Wmt form;
        BuildMoistureArchivePrint(form, job);
        form.QuickRep1.Preview(parent);
    });
    SetDailyPrintHook(PrintDailyDocument);
}

}  // namespace qvr
