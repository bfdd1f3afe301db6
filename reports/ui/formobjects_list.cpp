#include "reports/ui/formobjects_list.h"

#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QToolButton>

#include <cstring>

#include "common/globals.h"
#include "common/question.h"
#include "common/ui/formwidgets.h"
#include "common/ui/qtext.h"
#include "common/uihooks.h"
#include "reports/ui/formobject.h"

namespace {

constexpr int kWidth = 536, kHeight = 500;
constexpr int kColumnWidths[3] = {36, 393, 79};

}  // namespace

TFormObjects_List::TFormObjects_List(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormObjects_List"));
    setWindowTitle(QStringLiteral(" Список объектов"));
    setFixedSize(kWidth, kHeight);
    StringGrid1 = qvr::MakeListGrid(this, "StringGrid1", 1, 3);
    StringGrid1->setGeometry(8, 8, kWidth - 16, kHeight - 64);
    StringGrid1->setHorizontalHeaderLabels({QStringLiteral("№"), QStringLiteral("Наименование"), QStringLiteral(" Адрес")});
    for (int c = 0; c < 3; ++c) StringGrid1->setColumnWidth(c, kColumnWidths[c]);

    SpeedButton1 = qvr::MakeSortButton(StringGrid1, "SpeedButton1", QStringLiteral("Упорядочить по наименованию"));
    SpeedButton2 = qvr::MakeSortButton(StringGrid1, "SpeedButton2", QStringLiteral("Упорядочить по адресу"));

    auto button = [this](const char* text, const char* name, int x) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(x, kHeight - 44, 96, 28);
        return b;
    };
    BitBtn1 = button("Изменить", "BitBtn1", 8);
    BitBtn2 = button("Добавить", "BitBtn2", 112);
    BitBtn3 = button("Удалить", "BitBtn3", 216);
    BitBtn4 = button("Принять", "BitBtn4", 328);
    BitBtn5 = button("Отменить", "BitBtn5", 432);

    connect(StringGrid1, &QTableWidget::cellClicked, this, [this](int row, int) { StringGrid1Click(row); });
    connect(StringGrid1, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { StringGrid1Click(row); });
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { StringGrid1DblClick(row); });
    connect(SpeedButton1, &QToolButton::clicked, this, &TFormObjects_List::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TFormObjects_List::SpeedButton2Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormObjects_List::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormObjects_List::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TFormObjects_List::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TFormObjects_List::BitBtn4Click);
    connect(BitBtn5, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormObjects_List::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFormObjects_List::PlaceSortButtons() {
    QHeaderView* h = StringGrid1->horizontalHeader();
    const int size = std::max(14, h->height() - 4);
    for (auto [b, col] : {std::pair{SpeedButton1, 1}, std::pair{SpeedButton2, 2}}) {
        const int right = h->sectionViewportPosition(col) + h->sectionSize(col);
        b->setGeometry(right - size - 2, 2, size, size);
        b->raise();
    }
}

void TFormObjects_List::FormShow() {
    SavedObjectList = ObjectList;
    shown_ = true;
    ShowObjectList();
    PlaceSortButtons();
}

void TFormObjects_List::ShowObjectList() {
    filling_ = true;
    ObjectListRecord& list = ObjectList;
    // A count beyond the entries (a hand-edited file) is taken as the entries there are.
    if (list.obj_num > kMaxObjects) list.obj_num = kMaxObjects;
    const int n = list.obj_num;
    if (n == 0) {
        StringGrid1->clearContents();
        StringGrid1->setRowCount(1);
        BitBtn1->setEnabled(false);
        BitBtn3->setEnabled(false);
        BitBtn2->setEnabled(true);
        filling_ = false;
        return;
    }
    if (n >= 2) {
        SortObjectList(&list);
        SpeedButton1->setEnabled(list.sort_prz != 0);
        SpeedButton2->setEnabled(list.sort_prz != 1);
    } else {
        SpeedButton1->setEnabled(false);
        SpeedButton2->setEnabled(false);
    }
    StringGrid1->setRowCount(n);
    for (int i = 0; i < n; ++i) {
        const ObjectEntry& e = list.entries[i];
        const QString cells[3] = {QStringLiteral("  %1").arg(i + 1),
                                  QStringLiteral(" %1").arg(qvr::FromWin(e.obj_name, sizeof e.obj_name)),
                                  QStringLiteral("  %1").arg(e.contr_adr)};
        for (int c = 0; c < 3; ++c) StringGrid1->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    if (list.obj_index >= n) list.obj_index = uint8_t(n - 1);
    StringGrid1->setCurrentCell(list.obj_index, 0);
    BitBtn1->setEnabled(true);
    BitBtn3->setEnabled(true);
    BitBtn2->setEnabled(n < kMaxObjects);
    filling_ = false;
}

void TFormObjects_List::StringGrid1Click(int row) {
    if (filling_) return;
    if (ObjectList.obj_num > 0 && row >= 0 && row < ObjectList.obj_num) ObjectList.obj_index = uint8_t(row);
}

void TFormObjects_List::StringGrid1DblClick(int row) {
    StringGrid1Click(row);
    if (ObjectList.obj_num > 0) BitBtn1Click();
}

void TFormObjects_List::BitBtn1Click() {
    ObjectListRecord& list = ObjectList;
    if (list.obj_num == 0 || list.obj_index >= list.obj_num) return;
    TFormObject f(this);
    f.EditMode = 1;
    f.Entry = &list.entries[list.obj_index];
    f.exec();
    if (f.Accepted) ShowObjectList();
}

void TFormObjects_List::BitBtn2Click() {
    ObjectListRecord& list = ObjectList;
    if (list.obj_num >= kMaxObjects) return;
    TFormObject f(this);
    f.EditMode = 0;
    f.Entry = &list.entries[list.obj_num];
    f.exec();
    if (!f.Accepted) return;
    list.obj_index = list.obj_num;
    ++list.obj_num;
    ShowObjectList();
}

void TFormObjects_List::BitBtn3Click() {
    ObjectListRecord& list = ObjectList;
    if (list.obj_num == 0 || list.obj_index >= list.obj_num) return;
    g_QuesKind = qvr::kQuesQuestion;
    qvr::ShowQues("Вы действительно хотите", "удалить этот объект?");
    if (g_QuesAnswer != 1) return;
    qvr::HourglassScope hourglass;
    const int n = list.obj_num, i = list.obj_index;
    std::memmove(&list.entries[i], &list.entries[i + 1], sizeof(ObjectEntry) * size_t(n - 1 - i));
    std::memset(&list.entries[n - 1], 0, sizeof(ObjectEntry));
    if (list.obj_index > 0) --list.obj_index;
    --list.obj_num;
    ShowObjectList();
}

void TFormObjects_List::SpeedButton1Click() {
    ObjectList.sort_prz = 0;
    ShowObjectList();
}

void TFormObjects_List::SpeedButton2Click() {
    ObjectList.sort_prz = 1;
    ShowObjectList();
}

void TFormObjects_List::BitBtn4Click() {
    if (!(ObjectList == SavedObjectList)) {
        qvr::HourglassScope hourglass;
        if (!WriteObjectList(g_ObjectsIniPath)) return;  // the write reported its failure
    }
    Accepted = 1;
    accept();
}

void TFormObjects_List::done(int r) {
    // Every way out but "Принять" undoes the changes of this visit.
    if (shown_ && Accepted == 0 && !(ObjectList == SavedObjectList)) ObjectList = SavedObjectList;
    QDialog::done(r);
}
