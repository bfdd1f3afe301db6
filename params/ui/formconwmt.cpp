#include "params/ui/formconwmt.h"

#include <QComboBox>

#include "common/stringi.h"
#include "common/suplfunc.h"
#include "common/ui/formwidgets.h"
#include "params/linkparams.h"
#include "params/ui/userformutil.h"

using namespace linktab;
using qvr::InputError;

TFormConWMT::TFormConWMT(QWidget* owner) : LinkFormBase(owner) {
    setWindowTitle(QStringLiteral(" Параметры связи с влагомером"));
    const int lx = 20, lw = 260, cx = 290, cw = 186;
    Label1 = qvr::MakeLabel(this, "Label1", "Адрес влагомера (MODBUS)", QRect(lx, 18, lw, 20));
    ComboBox1 = qvr::MakeNumberList(this, "ComboBox1", 1, 247, QRect(cx, 16, cw, 24), true, 3);
    Label2 = qvr::MakeLabel(this, "Label2", "Скорость обмена, бит/с", QRect(lx, 52, lw, 20));
    ComboBox2 = qvr::MakeRateList(this, "ComboBox2", QRect(cx, 50, cw, 24));
    Label3 = qvr::MakeLabel(this, "Label3", "Режим MODBUS", QRect(lx, 86, lw, 20));
    ComboBox3 = qvr::MakeTextList(this, "ComboBox3", {" ASCII", " RTU"}, QRect(cx, 84, cw, 24));
    Label4 = qvr::MakeLabel(this, "Label4", "Таймаут ответа влагомера", QRect(lx, 120, lw, 20));
    ComboBox4 = qvr::MakeNumberList(this, "ComboBox4", 5, 255, QRect(cx, 118, cw - 40, 24), true, 3);
    Label5 = qvr::MakeLabel(this, "Label5", "сс", QRect(cx + cw - 34, 120, 30, 20));
    Label6 = qvr::MakeLabel(this, "Label6", "Количество неудачных опросов\nдля создания сообщения",
                                QRect(lx, 148, lw, 36));
    ComboBox5 = qvr::MakeNumberList(this, "ComboBox5", 1, 10, QRect(cx, 154, cw, 24));
    Label7 = qvr::MakeLabel(this, "Label7", "Тип влагомера", QRect(lx, 194, lw, 20));
    ComboBox6 = qvr::MakeTextList(this, "ComboBox6", {}, QRect(cx, 192, cw, 24));
    FormCreate();
}

void TFormConWMT::FormCreate() {
    Mode = 0;
    Data = nullptr;
    Accepted = 0;
    ComboBox6->clear();
    for (int i = 0; i < kMoistureTypeNamesCount; ++i) ComboBox6->addItem(QString::fromUtf8(MoistureTypeNames[i]));
    ComboBox6->setCurrentIndex(-1);
}

void TFormConWMT::FormShow() {
    ShowFrame(516, 326);
    if (!Data) return;
    qvr::SelectItem(ComboBox1, Data[kMbAddress] - 1);
    qvr::SelectItem(ComboBox2, Data[kMbRate]);
    qvr::SelectItem(ComboBox3, Data[kMbMode]);
    qvr::SelectItem(ComboBox4, Data[kMbTimeout] - 5);
    qvr::SelectItem(ComboBox5, Data[kMbFailures] - 1);
    qvr::SelectItem(ComboBox6, Data[kMbType]);
}

void TFormConWMT::BitBtn1Click() {
    if (!Data) return;
    const std::string addrText = qvr::GivenText(ComboBox1);
    const std::string timeText = qvr::GivenText(ComboBox4);
    bool all = !addrText.empty() && !timeText.empty();
    for (QComboBox* list : {ComboBox2, ComboBox3, ComboBox5, ComboBox6}) all = all && list->currentIndex() >= 0;
    if (!all) {
        InputError("Введены не все параметры", "");
        return;
    }
    uint32_t adr = 0, timeout = 0;
    if (!qvr::ParseDecimal(addrText, adr) || adr < 1 || adr > 247) {
        InputError("Адрес должен быть", "в диапазоне 1...247");
        ComboBox1->setFocus();
        return;
    }
    if (!qvr::ParseDecimal(timeText, timeout) || timeout < 5 || timeout > 255) {
        InputError("Таймаут должен быть", "в диапазоне 5...255");
        ComboBox4->setFocus();
        return;
    }
    Data[kMbAddress] = uint8_t(adr);
    Data[kMbMode] = uint8_t(ComboBox3->currentIndex());
    Data[kMbParity] = 0;
    Data[kMbRate] = uint8_t(qvr::BaudToIndex(qvr::BaudRates[ComboBox2->currentIndex()]));
    Data[kMbTimeout] = uint8_t(timeout);
    Data[kMbFailures] = uint8_t(ComboBox5->currentIndex() + 1);
    Data[kMbType] = uint8_t(ComboBox6->currentIndex());
    Data[kMbZero] = 0;
    Finish();
}
