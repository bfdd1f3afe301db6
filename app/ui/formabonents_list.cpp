#include "app/ui/formabonents_list.h"

#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QToolButton>

#include <cstring>

#include "app/ui/formabonent.h"
#include "common/question.h"
#include "common/ui/formwidgets.h"
#include "common/ui/qtext.h"
#include "common/uihooks.h"

namespace {

constexpr int kWidth = 682, kHeight = 560;
constexpr int kColumnWidths[4] = {36, 393, 54, 158};

QString Cell(const char* fmt, const QString& arg) { return QString::fromLatin1(fmt).arg(arg); }

}  // namespace

TFormAbonents_List::TFormAbonents_List(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormAbonents_List"));
    StringGrid1 = qvr::MakeListGrid(this, "StringGrid1", 1, 4);
    StringGrid1->setGeometry(8, 8, kWidth - 16, kHeight - 70);
    for (int c = 0; c < 4; ++c) StringGrid1->setColumnWidth(c, kColumnWidths[c]);
    StringGrid1->horizontalHeader()->setStretchLastSection(true);

    SpeedButton1 = qvr::MakeSortButton(StringGrid1, "SpeedButton1", QStringLiteral("Упорядочить по наименованию"));
    SpeedButton2 = qvr::MakeSortButton(StringGrid1, "SpeedButton2");  // its tip depends on the directory

    auto button = [this](const char* text, const char* name, int x) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(x, kHeight - 50, 110, 28);
        return b;
    };
    BitBtn3 = button("Добавить", "BitBtn3", 8);
    BitBtn4 = button("Изменить", "BitBtn4", 126);
    BitBtn5 = button("Удалить", "BitBtn5", 244);
    BitBtn1 = button("Принять", "BitBtn1", kWidth - 236);
    BitBtn2 = button("Отменить", "BitBtn2", kWidth - 118);

    connect(StringGrid1, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { StringGrid1Click(row); });
    connect(StringGrid1, &QTableWidget::cellClicked, this, [this](int row, int) { StringGrid1Click(row); });
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { StringGrid1DblClick(row); });
    connect(SpeedButton1, &QToolButton::clicked, this, &TFormAbonents_List::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TFormAbonents_List::SpeedButton2Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormAbonents_List::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn3, &QPushButton::clicked, this, &TFormAbonents_List::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TFormAbonents_List::BitBtn4Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TFormAbonents_List::BitBtn5Click);
}

bool TFormAbonents_List::Phone() const { return ConnSettings.Conn_Prz == 1; }

SubscriberListHead& TFormAbonents_List::Head() { return Phone() ? FonList.head : EthrList.head; }

void TFormAbonents_List::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFormAbonents_List::PlaceSortButtons() {
    QHeaderView* h = StringGrid1->horizontalHeader();
    const int size = std::max(14, h->height() - 4);
    for (auto [b, col] : {std::pair{SpeedButton1, 1}, std::pair{SpeedButton2, 3}}) {
        const int right = h->sectionViewportPosition(col) + std::min(h->sectionSize(col), kColumnWidths[col]);
        b->setGeometry(right - size - 2, 2, size, size);
        b->raise();
    }
}

void TFormAbonents_List::FormShow() {
    setFixedSize(kWidth, kHeight);
    setWindowTitle(Phone() ? QStringLiteral("Список абонентов (связь по телефону)")
                           : QStringLiteral("Список абонентов (Ethernet-интерфейс)"));
    FonList = ConnSettings.FonList;
    EthrList = ConnSettings.EthrList;
    StringGrid1->setHorizontalHeaderLabels({QStringLiteral("№"), QStringLiteral("Наименование"),
                                            QStringLiteral("Адрес"),
                                            Phone() ? QStringLiteral("№ телефона") : QStringLiteral("IP-адрес:порт")});
    SpeedButton2->setToolTip(Phone() ? QStringLiteral("Упорядочить по номеру телефона")
                                     : QStringLiteral("Упорядочить по IP-адресу"));
    FillGrid();
    PlaceSortButtons();
}

void TFormAbonents_List::FillGrid() {
    filling_ = true;
    SubscriberListHead& head = Head();
    const int n = std::min<int>(head.users_num, kMaxSubscribers);
    if (n > 1) {
        if (Phone())
            SortPhoneSubscribers(FonList);
        else
            SortEthSubscribers(EthrList);
    }
    SpeedButton1->setEnabled(head.sort_prz != 0);
    SpeedButton2->setEnabled(head.sort_prz != 1);

    if (n == 0) {
        StringGrid1->clearContents();
        StringGrid1->setRowCount(1);  // an empty directory keeps one empty row
        BitBtn3->setEnabled(true);
        BitBtn4->setEnabled(false);
        BitBtn5->setEnabled(false);
        filling_ = false;
        return;
    }
    StringGrid1->setRowCount(n);
    for (int i = 0; i < n; ++i) {
        QString name, fourth;
        int adr;
        if (Phone()) {
            const PhoneSubscriber& e = FonList.entries[i];
            name = qvr::FromWin(e.user_name, sizeof e.user_name);
            adr = e.contr_adr;
            fourth = Cell(" %1", qvr::FromWin(e.phone_code, sizeof e.phone_code));
        } else {
            const EthernetSubscriber& e = EthrList.entries[i];
            name = qvr::FromWin(e.user_name, sizeof e.user_name);
            adr = e.contr_adr;
            fourth = QStringLiteral("%1.%2.%3.%4:%5")
                         .arg(e.ip_adr >> 24)
                         .arg((e.ip_adr >> 16) & 0xFF)
                         .arg((e.ip_adr >> 8) & 0xFF)
                         .arg(e.ip_adr & 0xFF)
                         .arg(e.port);
        }
        const QString cells[4] = {QStringLiteral("  %1").arg(i + 1), Cell(" %1", name), QStringLiteral(" %1").arg(adr),
                                  fourth};
        for (int c = 0; c < 4; ++c) StringGrid1->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    const int current = head.user_index < n ? head.user_index : n - 1;
    StringGrid1->setCurrentCell(current, 0);
    BitBtn4->setEnabled(true);
    BitBtn5->setEnabled(true);
    BitBtn3->setEnabled(n < kMaxSubscribers);
    filling_ = false;
}

void TFormAbonents_List::StringGrid1Click(int row) {
    if (filling_) return;
    SubscriberListHead& head = Head();
    if (head.users_num > 0 && row >= 0 && row < head.users_num) head.user_index = uint8_t(row);
}

void TFormAbonents_List::StringGrid1DblClick(int row) {
    StringGrid1Click(row);
    if (Head().users_num > 0) BitBtn4Click();
}

void TFormAbonents_List::BitBtn4Click() {
    SubscriberListHead& head = Head();
    if (head.users_num == 0 || head.user_index >= head.users_num) return;
    TFormAbonent f(this);
    f.EditMode = 1;
    if (Phone())
        f.PhoneEntry = &FonList.entries[head.user_index];
    else
        f.EthEntry = &EthrList.entries[head.user_index];
    f.exec();
    if (f.Accepted) FillGrid();
}

void TFormAbonents_List::BitBtn3Click() {
    SubscriberListHead& head = Head();
    if (head.users_num >= kMaxSubscribers) return;
    const int slot = head.users_num;
    TFormAbonent f(this);
    f.EditMode = 0;
    if (Phone())
        f.PhoneEntry = &FonList.entries[slot];
    else
        f.EthEntry = &EthrList.entries[slot];
    f.exec();
    if (!f.Accepted) return;
    head.user_index = uint8_t(slot);
    head.users_num = uint8_t(slot + 1);
    FillGrid();
}

void TFormAbonents_List::BitBtn5Click() {
    SubscriberListHead& head = Head();
    if (head.users_num == 0 || head.user_index >= head.users_num) return;
    g_QuesKind = qvr::kQuesQuestion;
    qvr::ShowQues("Вы действительно хотите", "удалить этот абонент?");
    if (g_QuesAnswer != 1) return;
    qvr::HourglassScope hourglass;
    const int n = head.users_num, i = head.user_index;
    if (Phone()) {
        std::memmove(&FonList.entries[i], &FonList.entries[i + 1], sizeof(PhoneSubscriber) * size_t(n - 1 - i));
        std::memset(&FonList.entries[n - 1], 0, sizeof(PhoneSubscriber));
    } else {
        std::memmove(&EthrList.entries[i], &EthrList.entries[i + 1],
                     sizeof(EthernetSubscriber) * size_t(n - 1 - i));
        std::memset(&EthrList.entries[n - 1], 0, sizeof(EthernetSubscriber));
    }
    if (head.user_index > 0) --head.user_index;
    --head.users_num;
    FillGrid();
}

void TFormAbonents_List::SpeedButton1Click() {
    Head().sort_prz = 0;
    FillGrid();
}

void TFormAbonents_List::SpeedButton2Click() {
    Head().sort_prz = 1;
    FillGrid();
}

void TFormAbonents_List::BitBtn1Click() {
    if (Phone())
        ConnSettings.FonList = FonList;
    else
        ConnSettings.EthrList = EthrList;
    Changed = 1;
    accept();
}
