#include "params/ui/formconvu.h"

#include <QComboBox>
#include <QLineEdit>

#include "app/rd_wr_ini.h"
#include "common/suplfunc.h"
#include "common/ui/formwidgets.h"
#include "link/conffun.h"
#include "params/linkparams.h"
#include "params/ui/userformutil.h"

using namespace linktab;
using qvr::GivenText;
using qvr::InputError;

TFormConVU::TFormConVU(QWidget* owner) : LinkFormBase(owner) {
    setWindowTitle(QStringLiteral(" Параметры связи с верхним уровнем "));
    Label1 = qvr::MakeLabel(this, "Label1", "Адрес контроллера", QRect(20, 18, 200, 20));
    ComboBox1 = qvr::MakeNumberList(this, "ComboBox1", 1, 254, QRect(224, 16, 116, 24), true, 3);
    Label2 = qvr::MakeLabel(this, "Label2", "Скорость обмена, бит/с", QRect(20, 54, 200, 20));
    ComboBox2 = qvr::MakeRateList(this, "ComboBox2", QRect(224, 52, 116, 24));
    Label3 = qvr::MakeLabel(this, "Label3", "Количество преамбул", QRect(20, 90, 200, 20));
    Edit1 = qvr::MakeDigitEdit(this, "Edit1", 3, QRect(224, 88, 116, 24));
    FormCreate();
}

void TFormConVU::FormCreate() {
    Mode = 0;
    Data = nullptr;
    Accepted = 0;
}

void TFormConVU::FormShow() {
    ShowFrame(364, 210);
    if (!Data) return;
    qvr::SelectItem(ComboBox1, Data[kVuAddress] - 1);
    qvr::SelectItem(ComboBox2, Data[kVuRate]);
    Edit1->setText(QString::number(Data[kVuPreambles]));
    // Over a modem or TCP, or when the controller runs at one rate only, a new rate would
    // cut the link (or cannot be set): the rate stays as it is.
    const bool rateFixed = Mode == 1 && (ConnSettings.Conn_Prz != 0 || IdentByte(ident::kMultiRate) == 0);
    ComboBox2->setEnabled(!rateFixed);
}

void TFormConVU::BitBtn1Click() {
    if (!Data) return;
    const bool rateOn = ComboBox2->isEnabled();
    const std::string addrText = GivenText(ComboBox1);
    const std::string preText = GivenText(Edit1);
    if (addrText.empty() || (rateOn && ComboBox2->currentIndex() < 0) || preText.empty()) {
        InputError("Введены не все параметры", "");
        return;
    }
    uint32_t pre = 0, adr = 0;
    if (!qvr::ParseDecimal(preText, pre) || pre > 255) {
        InputError("Количество преамбул не должно превышать 255", "");
        Edit1->setFocus();
        return;
    }
    if (!qvr::ParseDecimal(addrText, adr) || adr < 1 || adr > 254) {
        InputError("Адрес должен быть", "в диапазоне 1...254");
        ComboBox1->setFocus();
        return;
    }
    Data[kVuPreambles] = uint8_t(pre);
    Data[kVuAddress] = uint8_t(adr);
    if (rateOn) Data[kVuRate] = uint8_t(qvr::BaudToIndex(qvr::BaudRates[ComboBox2->currentIndex()]));
    Data[kVuZero] = 0;
    Finish();
}
