#include "params/ui/formconeth.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "common/bytes.h"
#include "common/ui/formwidgets.h"
#include "params/linkparams.h"
#include "params/ui/userformutil.h"

using namespace linktab;
using qvr::InputError;

namespace {

const char* const kGroupNames[3] = {"IP-адрес контроллера", "Маска подсети", "Шлюз по умолчанию"};
const char* const kPortNames[4] = {"Порт соединения 1", "Порт соединения 2", "Порт соединения 3",
                                   "Порт соединения 4"};

QLineEdit* DigitsOnly(QLineEdit* e) {
    // Addresses and ports are plain numbers: digits only, not even the '%' the integer
    // key filter lets through.
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
    return e;
}

}  // namespace

TFormConEth::TFormConEth(QWidget* owner) : LinkFormBase(owner) {
    setWindowTitle(QStringLiteral(" Параметры связи по Ethernet"));
    QLabel** groupLabels[3] = {&Label1, &Label2, &Label3};
    QLineEdit** groupEdits[3][4] = {{&ip1, &ip2, &ip3, &ip4}, {&im1, &im2, &im3, &im4}, {&is1, &is2, &is3, &is4}};
    const char* editNames[3][4] = {{"ip1", "ip2", "ip3", "ip4"}, {"im1", "im2", "im3", "im4"},
                                   {"is1", "is2", "is3", "is4"}};
    const char* labelNames[7] = {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7"};
    for (int g = 0; g < 3; ++g) {
        const int y = 16 + g * 56;
        *groupLabels[g] = qvr::MakeLabel(this, labelNames[g], kGroupNames[g], QRect(20, y, 340, 20));
        for (int k = 0; k < 4; ++k) {
            QLineEdit* e = DigitsOnly(qvr::MakeDigitEdit(this, editNames[g][k], 3, QRect(20 + k * 64, y + 22, 52, 24)));
            *groupEdits[g][k] = e;
            octets_[g * 4 + k] = e;
        }
    }
    QLabel** portLabels[4] = {&Label4, &Label5, &Label6, &Label7};
    QLineEdit** portEdits[4] = {&e1, &e2, &e3, &e4};
    const char* portNames[4] = {"e1", "e2", "e3", "e4"};
    for (int k = 0; k < 4; ++k) {
        const int y = 188 + k * 32;
        *portLabels[k] = qvr::MakeLabel(this, labelNames[3 + k], kPortNames[k], QRect(20, y + 2, 180, 20));
        // Ten digits show any stored u32; the accept check holds a port to 0..65535.
        *portEdits[k] = DigitsOnly(qvr::MakeDigitEdit(this, portNames[k], 10, QRect(212, y, 116, 24)));
        ports_[k] = *portEdits[k];
    }
    FormCreate();
}

void TFormConEth::FormCreate() {
    Mode = 0;
    Data = nullptr;
    Accepted = 0;
}

void TFormConEth::FormShow() {
    ShowFrame(394, 374);
    if (!Data) return;
    for (int i = 0; i < 12; ++i) octets_[i]->setText(QString::number(Data[kEthIp + i]));
    for (int k = 0; k < 4; ++k) ports_[k]->setText(QString::number(qvr::GetU32(Data + kEthPorts + 4 * k)));
}

void TFormConEth::BitBtn1Click() {
    if (!Data) return;
    for (QLineEdit* e : octets_)
        if (qvr::GivenText(e).empty()) {
            InputError("Введены не все параметры", "");
            return;
        }
    for (QLineEdit* e : ports_)
        if (qvr::GivenText(e).empty()) {
            InputError("Введены не все параметры", "");
            return;
        }
    // An octet above 255 or a port above 65535 cannot be meant: refused rather than cut.
    uint8_t octets[12];
    for (int i = 0; i < 12; ++i) {
        uint32_t v = 0;
        if (!qvr::ParseDecimal(qvr::GivenText(octets_[i]), v) || v > 255) {
            InputError(kGroupNames[i / 4], "Параметр вне допустимого диапазона");
            octets_[i]->setFocus();
            return;
        }
        octets[i] = uint8_t(v);
    }
    uint32_t ports[4];
    for (int k = 0; k < 4; ++k) {
        if (!qvr::ParseDecimal(qvr::GivenText(ports_[k]), ports[k]) || ports[k] > kEthPortMax) {
            InputError(kPortNames[k], "Параметр вне допустимого диапазона");
            ports_[k]->setFocus();
            return;
        }
    }
    for (int i = 0; i < 12; ++i) Data[kEthIp + i] = octets[i];
    for (int k = 0; k < 4; ++k) qvr::PutU32(Data + kEthPorts + 4 * k, ports[k]);
    Finish();
}
