#include "reports/ui/formrepformate.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <vector>

#include "common/ui/qtext.h"
#include "params/ui/userformutil.h"

namespace {

constexpr int kWidth = 720;

QLineEdit* MakeEdit(QWidget* parent, const char* name, int maxLength, int y) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaxLength(maxLength);
    e->setGeometry(150, y, kWidth - 180, 24);
    return e;
}

void MakeLabel(QWidget* parent, const char* text, int y) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setGeometry(8, y, 140, 24);
}

}  // namespace

TFormRepFormate::TFormRepFormate(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormRepFormate"));

    pn_sert = new QFrame(this);
    pn_sert->setObjectName(QStringLiteral("pn_sert"));
    pn_sert->setFrameShape(QFrame::StyledPanel);
    pn_sert->setGeometry(8, 8, kWidth - 16, 200);
    MakeLabel(pn_sert, "Строка 1", 8);
    Edit1 = MakeEdit(pn_sert, "Edit1", 99, 8);
    MakeLabel(pn_sert, "Строка 2", 38);
    Edit2 = MakeEdit(pn_sert, "Edit2", 99, 38);
    MakeLabel(pn_sert, "Строка 3", 68);
    Edit3 = MakeEdit(pn_sert, "Edit3", 99, 68);
    MakeLabel(pn_sert, "Строка 4", 98);
    Edit4 = MakeEdit(pn_sert, "Edit4", 99, 98);
    MakeLabel(pn_sert, "Представитель", 136);
    Edit5 = MakeEdit(pn_sert, "Edit5", 49, 136);
    MakeLabel(pn_sert, "Представитель", 166);
    Edit6 = MakeEdit(pn_sert, "Edit6", 49, 166);

    pn_pasp = new QFrame(this);
    pn_pasp->setObjectName(QStringLiteral("pn_pasp"));
    pn_pasp->setFrameShape(QFrame::StyledPanel);
    pn_pasp->setGeometry(8, 8, kWidth - 16, 200);
    QLineEdit** pasp[6] = {&Edit7, &Edit8, &Edit9, &Edit10, &Edit11, &Edit12};
    const char* names[6] = {"Edit7", "Edit8", "Edit9", "Edit10", "Edit11", "Edit12"};
    for (int i = 0; i < 6; ++i) {
        MakeLabel(pn_pasp, QStringLiteral("Подпись %1").arg(i + 1).toUtf8().constData(), 8 + 30 * i);
        *pasp[i] = MakeEdit(pn_pasp, names[i], 49, 8 + 30 * i);
    }

    BitBtn1 = new QPushButton(QStringLiteral("Принять"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(kWidth / 2 - 150, 222, 120, 28);
    BitBtn2 = new QPushButton(QStringLiteral("Отменить"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(kWidth / 2 + 30, 222, 120, 28);
    setFixedSize(kWidth, 264);

    // Enter steps through the lines of a panel and from its last line to "Принять".
    QLineEdit* sert[6] = {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6};
    for (int i = 0; i < 5; ++i) qvr::EnterMovesTo(sert[i], sert[i + 1]);
    qvr::EnterMovesTo(Edit6, BitBtn1);
    QLineEdit* p[6] = {Edit7, Edit8, Edit9, Edit10, Edit11, Edit12};
    for (int i = 0; i < 5; ++i) qvr::EnterMovesTo(p[i], p[i + 1]);
    qvr::EnterMovesTo(Edit12, BitBtn1);

    connect(BitBtn1, &QPushButton::clicked, this, &TFormRepFormate::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormRepFormate::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFormRepFormate::FormShow() {
    setWindowTitle(Kind == 1 ? QStringLiteral("Формат суточного паспорта")
                             : QStringLiteral("Формат суточного сертификата"));
    if (!Record) return;
    using R = qvr::ReportFormatRecord;
    if (Record->contractHour > 23) Record->contractHour = 9;
    if (Kind == 1) {
        pn_sert->hide();
        pn_pasp->show();
        QLineEdit* p[6] = {Edit7, Edit8, Edit9, Edit10, Edit11, Edit12};
        for (int i = 0; i < 6; ++i) p[i]->setText(qvr::FromWin(Record->passportLine[i], R::kPassportLineSize));
        Edit7->setFocus();
    } else {
        pn_pasp->hide();
        pn_sert->show();
        QLineEdit* c[4] = {Edit1, Edit2, Edit3, Edit4};
        for (int i = 0; i < 4; ++i) c[i]->setText(qvr::FromWin(Record->certLine[i], R::kCertLineSize));
        Edit5->setText(qvr::FromWin(Record->representative[0], R::kRepresentativeSize));
        Edit6->setText(qvr::FromWin(Record->representative[1], R::kRepresentativeSize));
        Edit1->setFocus();
    }
}

void TFormRepFormate::BitBtn1Click() {
    if (!Record) return;
    using R = qvr::ReportFormatRecord;
    struct Target {
        QLineEdit* edit;
        char* field;
        size_t width;
    };
    std::vector<Target> targets;
    if (Kind == 1) {
        QLineEdit* p[6] = {Edit7, Edit8, Edit9, Edit10, Edit11, Edit12};
        for (int i = 0; i < 6; ++i) targets.push_back({p[i], Record->passportLine[i], R::kPassportLineSize});
    } else {
        QLineEdit* c[4] = {Edit1, Edit2, Edit3, Edit4};
        for (int i = 0; i < 4; ++i) targets.push_back({c[i], Record->certLine[i], R::kCertLineSize});
        targets.push_back({Edit5, Record->representative[0], R::kRepresentativeSize});
        targets.push_back({Edit6, Record->representative[1], R::kRepresentativeSize});
    }
    // Every line is checked before any is stored: a character the report's code page
    // cannot hold keeps the dialog open with the record unchanged.
    std::vector<std::string> texts(targets.size());
    for (size_t i = 0; i < targets.size(); ++i) {
        if (qvr::ToWin(targets[i].edit->text(), texts[i])) continue;
        qvr::InputError("Введен символ, недопустимый в тексте отчета", "Повторите ввод");
        targets[i].edit->setFocus();
        return;
    }
    for (size_t i = 0; i < targets.size(); ++i) qvr::StoreTextField(targets[i].field, targets[i].width, texts[i]);
    Accepted = 1;
    accept();
}
