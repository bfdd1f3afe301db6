#include "params/ui/formconhgc.h"

#include <QComboBox>

#include "common/stringi.h"
#include "common/suplfunc.h"
#include "common/ui/formwidgets.h"
#include "params/linkparams.h"
#include "params/ui/userformutil.h"

using namespace linktab;
using qvr::InputError;

TFormConHGC::TFormConHGC(QWidget* owner) : LinkFormBase(owner) {
    setWindowTitle(QStringLiteral(" Параметры связи с хроматографом "));
    const int lx = 20, lw = 260, cx = 290, cw = 180;
    Label1 = qvr::MakeLabel(this, "Label1", "Адрес хроматографа (MODBUS)", QRect(lx, 18, lw, 20));
    ComboBox1 = qvr::MakeNumberList(this, "ComboBox1", 1, 247, QRect(cx, 16, cw, 24), true, 3);
    Label2 = qvr::MakeLabel(this, "Label2", "Скорость обмена, бит/с", QRect(lx, 52, lw, 20));
    ComboBox2 = qvr::MakeRateList(this, "ComboBox2", QRect(cx, 50, cw, 24));
    Label3 = qvr::MakeLabel(this, "Label3", "Режим MODBUS", QRect(lx, 86, lw, 20));
    ComboBox3 = qvr::MakeTextList(this, "ComboBox3", {" ASCII", " RTU"}, QRect(cx, 84, cw, 24));
    Label4 = qvr::MakeLabel(this, "Label4", "Контроль четности", QRect(lx, 120, lw, 20));
    ComboBox4 = qvr::MakeTextList(this, "ComboBox4",
                                  {" Бит четн. отсутствует", " Нечетный бит четности", " Четный бит четности"},
                                  QRect(cx, 118, cw, 24));
    Label5 = qvr::MakeLabel(this, "Label5", "Таймаут ответа хроматографа", QRect(lx, 154, lw, 20));
    ComboBox5 = qvr::MakeNumberList(this, "ComboBox5", 5, 255, QRect(cx, 152, cw - 40, 24));
    Label6 = qvr::MakeLabel(this, "Label6", "сс", QRect(cx + cw - 34, 154, 30, 20));
    Label7 = qvr::MakeLabel(this, "Label7", "Количество неудачных опросов\nдля создания сообщения",
                                QRect(lx, 182, lw, 36));
    ComboBox6 = qvr::MakeNumberList(this, "ComboBox6", 1, 10, QRect(cx, 188, cw, 24));
    Label8 = qvr::MakeLabel(this, "Label8", "Тип хроматографа", QRect(lx, 226, lw, 20));
    ComboBox7 = qvr::MakeTextList(this, "ComboBox7", {}, QRect(cx, 224, cw, 24));
    FormCreate();
}

void TFormConHGC::FormCreate() {
    Mode = 0;
    Data = nullptr;
    Accepted = 0;
    ComboBox7->clear();
    ComboBox7->addItem(QString::fromUtf8(ChromTypeNames[kChromType]));
    ComboBox7->setCurrentIndex(-1);
}

void TFormConHGC::FormShow() {
    ShowFrame(510, 356);
    if (!Data) return;
    qvr::SelectItem(ComboBox1, Data[kMbAddress] - 1);
    qvr::SelectItem(ComboBox2, Data[kMbRate]);
    qvr::SelectItem(ComboBox3, Data[kMbMode]);
    qvr::SelectItem(ComboBox4, Data[kMbParity]);
    qvr::SelectItem(ComboBox5, Data[kMbTimeout] - 5);
    qvr::SelectItem(ComboBox6, Data[kMbFailures] - 1);
    qvr::SelectItem(ComboBox7, Data[kMbType] == kChromType ? 0 : -1);
}

void TFormConHGC::BitBtn1Click() {
    if (!Data) return;
    const std::string addrText = qvr::GivenText(ComboBox1);
    bool all = !addrText.empty();
    for (QComboBox* list : {ComboBox2, ComboBox3, ComboBox4, ComboBox5, ComboBox6, ComboBox7})
        all = all && list->currentIndex() >= 0;
    if (!all) {
        InputError("Введены не все параметры", "");
        return;
    }
    uint32_t adr = 0;
    if (!qvr::ParseDecimal(addrText, adr) || adr < 1 || adr > 247) {
        InputError("Адрес должен быть", "в диапазоне 1...247");
        ComboBox1->setFocus();
        return;
    }
    Data[kMbAddress] = uint8_t(adr);
    Data[kMbRate] = uint8_t(qvr::BaudToIndex(qvr::BaudRates[ComboBox2->currentIndex()]));
    Data[kMbMode] = uint8_t(ComboBox3->currentIndex());
    Data[kMbParity] = uint8_t(ComboBox4->currentIndex());
    Data[kMbTimeout] = uint8_t(ComboBox5->currentIndex() + 5);
    Data[kMbFailures] = uint8_t(ComboBox6->currentIndex() + 1);
    Data[kMbType] = kChromType;
    Data[kMbZero] = 0;
    Finish();
}
