#include "params/ui/formconvich.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

#include "common/suplfunc.h"
#include "common/ui/formwidgets.h"
#include "params/linkparams.h"
#include "params/ui/userformutil.h"

using namespace linktab;
using qvr::InputError;

TFormConVich::TFormConVich(QWidget* owner) : LinkFormBase(owner) {
    setWindowTitle(QStringLiteral(" Параметры связи с ВРГ"));
    const int lx = 20, lw = 240, cx = 276, cw = 120;
    Label1 = qvr::MakeLabel(this, "Label1", "Количество вычислителей", QRect(lx, 18, lw, 20));
    ComboBox1 = qvr::MakeNumberList(this, "ComboBox1", 1, kVichMaxCount, QRect(cx, 16, cw, 24));
    Label2 = qvr::MakeLabel(this, "Label2", "Скорость обмена, бит/с", QRect(lx, 54, lw, 20));
    ComboBox2 = qvr::MakeRateList(this, "ComboBox2", QRect(cx, 52, cw, 24));
    Label3 = qvr::MakeLabel(this, "Label3", "Количество неудачных обменов\nдля создания сообщения",
                                QRect(lx, 84, lw, 36));
    ComboBox3 = qvr::MakeNumberList(this, "ComboBox3", 1, 10, QRect(cx, 90, cw, 24));
    Label4 = qvr::MakeLabel(this, "Label4", "Таймаут ответа вычислителя", QRect(lx, 130, lw, 20));
    ComboBox4 = qvr::MakeNumberList(this, "ComboBox4", 1, 255, QRect(cx, 128, cw, 24));
    Label5 = qvr::MakeLabel(this, "Label5", "дс", QRect(cx + cw + 6, 130, 30, 20));
    Label6 = qvr::MakeLabel(this, "Label6", "Количество преамбул", QRect(lx, 166, lw, 20));
    Edit1 = qvr::MakeDigitEdit(this, "Edit1", 3, QRect(cx, 164, cw, 24));

    GroupBox1 = new QGroupBox(QStringLiteral(" Режим записи параметров газа в вычислители "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(lx, 200, 400, 112);
    RadioButton1 = new QRadioButton(QStringLiteral("Не записывать"), GroupBox1);
    RadioButton1->setGeometry(12, 24, 380, 22);
    RadioButton2 = new QRadioButton(QStringLiteral("Записывать средние за час при отклонении от значений в ВРГ"),
                                    GroupBox1);
    RadioButton2->setGeometry(12, 52, 380, 22);
    RadioButton3 = new QRadioButton(QStringLiteral("Записывать средние за час периодически (безусловно)"), GroupBox1);
    RadioButton3->setGeometry(12, 80, 380, 22);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton3->setObjectName(QStringLiteral("RadioButton3"));
    modeGroup_ = new QButtonGroup(this);
    modeGroup_->addButton(RadioButton1, 0);
    modeGroup_->addButton(RadioButton2, 1);
    modeGroup_->addButton(RadioButton3, 2);

    Label7 = qvr::MakeLabel(this, "Label7", "Индекс вычислителя\nдля чтения температуры газа",
                                QRect(lx, 324, lw, 36));
    ComboBox5 = qvr::MakeNumberList(this, "ComboBox5", 0, -1, QRect(cx, 330, cw, 24));
    Label8 = qvr::MakeLabel(this, "Label8", "Номер нитки вычислителя", QRect(lx, 374, lw, 20));
    ComboBox6 = qvr::MakeNumberList(this, "ComboBox6", 1, 3, QRect(cx, 372, cw, 24));
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TFormConVich::ComboBox1Change);
    FormCreate();
}

void TFormConVich::FormCreate() {
    Mode = 0;
    Data = nullptr;
    Accepted = 0;
}

void TFormConVich::RebuildSourceList(int count, int select) {
    ComboBox5->clear();
    for (int i = 0; i < count; ++i) ComboBox5->addItem(QString::number(i));
    qvr::SelectItem(ComboBox5, select);
}

void TFormConVich::FormShow() {
    ShowFrame(440, 482);
    if (!Data) return;
    loading_ = true;
    if (!haveOldCount_) {
        oldCount_ = Data[kVichCount];
        haveOldCount_ = true;
    }
    qvr::SelectItem(ComboBox2, Data[kVichRate]);
    qvr::SelectItem(ComboBox1, Data[kVichCount] - 1);
    RebuildSourceList(ComboBox1->currentIndex() + 1, Data[kVichTempSource]);
    qvr::SelectItem(ComboBox3, Data[kVichFailures] - 1);
    qvr::SelectItem(ComboBox4, Data[kVichTimeout] - 1);
    qvr::SelectItem(ComboBox6, Data[kVichPipeline] - 1);
    const uint8_t mode = Data[kVichWriteMode];
    modeGroup_->setExclusive(false);
    for (QAbstractButton* b : modeGroup_->buttons()) b->setChecked(modeGroup_->id(b) == mode);
    modeGroup_->setExclusive(true);
    Edit1->setText(QString::number(Data[kVichPreambles]));
    loading_ = false;
}

void TFormConVich::ComboBox1Change(int index) {
    if (loading_ || !Data || index < 0) return;
    Data[kVichCount] = uint8_t(index + 1);
    RebuildSourceList(index + 1, ComboBox5->currentIndex());
}

void TFormConVich::BitBtn1Click() {
    if (!Data) return;
    const std::string preText = qvr::GivenText(Edit1);
    for (QComboBox* list : {ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox5, ComboBox6}) {
        if (list->currentIndex() < 0) {
            InputError("Введены не все параметры", "");
            return;
        }
    }
    if (preText.empty() || modeGroup_->checkedId() < 0) {
        InputError("Введены не все параметры", "");
        return;
    }
    uint32_t pre = 0;
    if (!qvr::ParseDecimal(preText, pre) || pre > 255) {
        InputError("Количество преамбул не должно превышать 255", "");
        Edit1->setFocus();
        return;
    }
    Data[kVichPreambles] = uint8_t(pre);
    Data[kVichRate] = uint8_t(qvr::BaudToIndex(qvr::BaudRates[ComboBox2->currentIndex()]));
    Data[kVichFailures] = uint8_t(ComboBox3->currentIndex() + 1);
    Data[kVichTimeout] = uint8_t(ComboBox4->currentIndex() + 1);
    Data[kVichTempSource] = uint8_t(ComboBox5->currentIndex());
    Data[kVichPipeline] = uint8_t(ComboBox6->currentIndex() + 1);
    Data[kVichWriteMode] = uint8_t(modeGroup_->checkedId());
    Finish();
}

void TFormConVich::reject() {
    // The count was stored as it was chosen; a form left without accepting changes nothing.
    if (!Accepted && Data && haveOldCount_) Data[kVichCount] = oldCount_;
    LinkFormBase::reject();
}
