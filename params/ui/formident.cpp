#include "params/ui/formident.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "common/ui/formwidgets.h"
#include "link/tabledir.h"
#include "params/linkparams.h"
#include "params/ui/formlinkutil.h"
#include "params/ui/userformutil.h"

namespace {

const char* const kIdentCaptions[TFormIdent::kRows] = {
    "Код типа контроллера",
    "Версия программного обеспечения",
    "Версия аппаратного обеспечения",
    "Дата создания ПО",
    "Порядок расположения байтов",
    "Наличие разрушенных таблиц",
    "Возможность работы на разных\nскоростях обмена",
    "Возможность изменения адреса\nконтроллера",
    "Номер последней версии протокола\nPLX-MR51-K, которая поддерживается\nконтроллером",
};

QLabel* ValueLabel(QWidget* parent, QRect geometry) {
    auto* l = new QLabel(parent);
    l->setGeometry(geometry);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setIndent(6);
    return l;
}

}  // namespace

// ---------------------------------------------------------------- TFormIdent

TFormIdent::TFormIdent(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Параметры идентификации контроллера"));
    // Row heights follow the caption's line count.
    const int heights[kRows] = {26, 26, 26, 26, 26, 26, 38, 38, 52};
    int y = 14;
    for (int i = 0; i < kRows; ++i) {
        const QString n = QString::number(i + 1);
        Caption[i] = qvr::MakeLabel(this, "", kIdentCaptions[i], QRect(16, y, 250, heights[i]));
        Caption[i]->setObjectName(QStringLiteral("Caption") + n);
        Value[i] = ValueLabel(this, QRect(272, y + (heights[i] - 24) / 2, 200, 24));
        Value[i]->setObjectName(QStringLiteral("Value") + n);
        y += heights[i] + 6;  // the last caption ends above the button
    }
    BitBtn1 = qvr::MakeButton(this, "BitBtn1", "Выход", QRect(185, 360, 120, 30));
    connect(BitBtn1, &QPushButton::clicked, this, &TFormIdent::BitBtn1Click);
}

void TFormIdent::FormShow() {
    setFixedSize(490, 416);
    const qvr::IdentTexts t = qvr::MakeIdentTexts(Data, Mode);
    const std::string* texts[kRows] = {&t.typeCode,  &t.softwareVersion, &t.hardwareVersion,
                                       &t.buildDate, &t.byteOrder,       &t.destroyed,
                                       &t.multiRate, &t.addressChange,   &t.protocol};
    for (int i = 0; i < kRows; ++i) {
        Value[i]->setText(QString::fromStdString(*texts[i]));
        // Beyond the type and the software version a new record knows nothing.
        Caption[i]->setEnabled(i < 2 || Mode == 1);
    }
    Value[5]->setStyleSheet(t.destroyedAlarm ? QStringLiteral("color: red;") : QString());
    BitBtn1->setFocus();
}

void TFormIdent::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormIdent::BitBtn1Click() { accept(); }

// ---------------------------------------------------------------- TFormFunInfo

TFormFunInfo::TFormFunInfo(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Возможность исполнения контроллером его функций"));
    Header = qvr::MakeLabel(this, "Header", "Исполнение", QRect(372, 12, 120, 20));
    Header->setAlignment(Qt::AlignCenter);
    Caption1 = qvr::MakeLabel(this, "Caption1", " Автоматический переход на зимнее/летнее время",
                                  QRect(12, 38, 352, 24));
    Caption2 = qvr::MakeLabel(this, "Caption2", " Обмен данными с вычислителями расхода газа (РГ)",
                                  QRect(12, 68, 352, 24));
    Value1 = ValueLabel(this, QRect(372, 38, 120, 24));
    Value1->setObjectName(QStringLiteral("Value1"));
    Value2 = ValueLabel(this, QRect(372, 68, 120, 24));
    Value2->setObjectName(QStringLiteral("Value2"));
    for (QLabel* v : {Value1, Value2}) v->setAlignment(Qt::AlignCenter);
    Hint = qvr::MakeLabel(this, "Hint", "  См. информацию о состоянии таблиц параметров конфигурации",
                              QRect(12, 104, 480, 20));
    BitBtn1 = qvr::MakeButton(this, "BitBtn1", "Выход", QRect(194, 144, 120, 30));
    connect(BitBtn1, &QPushButton::clicked, this, &TFormFunInfo::BitBtn1Click);
}

void TFormFunInfo::FormShow() {
    setFixedSize(508, 202);
    const uint8_t* t = TablePtr(8);
    Value1->setText(QString::fromStdString(qvr::FunctionStateText(t ? t[0] : 0)));
    Value2->setText(QString::fromStdString(qvr::FunctionStateText(t ? t[1] : 0)));
    BitBtn1->setFocus();
}

void TFormFunInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormFunInfo::BitBtn1Click() { accept(); }
