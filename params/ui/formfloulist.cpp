#include "params/ui/formfloulist.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

#include <cstdio>
#include <cstring>

#include "common/question.h"
#include "common/stringi.h"
#include "common/ui/formwidgets.h"
#include "link/tabledir.h"
#include "params/ui/formfloupar.h"
#include "params/ui/userformutil.h"

namespace {

constexpr int kGridTop = 16;
constexpr int kGridLeft = 12;
constexpr int kColumnWidths[4] = {70, 210, 210, 110};
constexpr int kWidth = 640;

}  // namespace

namespace qvr {

QString FlowComputerCell(const FlowComputerEntry& e, int column) {
    char buf[120];
    switch (column) {
    case 0:
        std::snprintf(buf, sizeof buf, "   %d", e.address);
        break;
    case 1:
        if (e.type < kFlowComputerTypeCount)
            std::snprintf(buf, sizeof buf, " %s", FlowComputerTypeNames[e.type]);
        else
            std::snprintf(buf, sizeof buf, " ?");
        break;
    case 2:
        if (e.byteOrder < kByteOrderCount)
            std::snprintf(buf, sizeof buf, " %s", ByteOrderNames[e.byteOrder]);
        else
            std::snprintf(buf, sizeof buf, " ?");
        break;
    default:
        std::snprintf(buf, sizeof buf, "      0x%02X", e.pipelines);
        break;
    }
    return QString::fromUtf8(buf);
}

}  // namespace qvr

TFormFlouList::TFormFlouList(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Параметры вычислителей расхода газа"));
    for (FlowComputerEntry& e : work_) e = EmptyFlowComputer();

    StringGrid1 = qvr::MakeListGrid(this, "StringGrid1", 0, 4);
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int gridWidth = 2;
    for (int c = 0; c < 4; ++c) {
        StringGrid1->setColumnWidth(c, kColumnWidths[c]);
        gridWidth += kColumnWidths[c];
    }
    StringGrid1->setGeometry(kGridLeft, kGridTop, gridWidth, 40);

    BitBtn3 = qvr::MakeButton(this, "BitBtn3", "Добавить", QRect(12, 0, 110, 30));
    BitBtn4 = qvr::MakeButton(this, "BitBtn4", "Изменить", QRect(130, 0, 110, 30));
    BitBtn5 = qvr::MakeButton(this, "BitBtn5", "Удалить", QRect(248, 0, 110, 30));
    BitBtn1 = qvr::MakeButton(this, "BitBtn1", "Принять", QRect(12, 0, 220, 30));
    BitBtn2 = qvr::MakeButton(this, "BitBtn2", "Отменить", QRect(248, 0, 110, 30));
    for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn3, BitBtn4, BitBtn5}) b->setAutoDefault(false);

    connect(BitBtn1, &QPushButton::clicked, this, &TFormFlouList::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormFlouList::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TFormFlouList::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TFormFlouList::BitBtn4Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TFormFlouList::BitBtn5Click);
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this](int, int) { BitBtn4Click(); });
    resize(kWidth, 200);
}

void TFormFlouList::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormFlouList::FormShow() {
    Accepted = 0;
    count_ = ClampFlowComputerCount(Count);
    if (count_ == 0 || !Entries) {
        work_[0] = EmptyFlowComputer();
        count_ = 1;
        Count = 1;
    } else {
        for (int i = 0; i < count_; ++i) work_[i] = FlowComputerFromBytes(Entries + kFlowComputerEntryBytes * size_t(i));
    }
    BitBtn1->setText(Mode == 1 ? QStringLiteral("Записать в устройство") : QStringLiteral("Принять"));
    SetRows();
    StringGrid1->selectRow(0);
    SetButtons();
}

void TFormFlouList::FillRow(int row) {
    for (int c = 0; c < 4; ++c) {
        auto* item = new QTableWidgetItem(qvr::FlowComputerCell(work_[row], c));
        StringGrid1->setItem(row, c, item);
    }
}

// The grid gets the rows and the window the height they need.
void TFormFlouList::SetRows() {
    StringGrid1->setRowCount(count_);
    for (int r = 0; r < count_; ++r) FillRow(r);
    const int rowHeight = StringGrid1->verticalHeader()->defaultSectionSize();
    const int gridHeight = (rowHeight + 1) * count_ + 3;
    StringGrid1->setFixedHeight(gridHeight);
    const int buttonsTop = kGridTop + gridHeight + 20;
    BitBtn3->move(12, buttonsTop);
    BitBtn4->move(130, buttonsTop);
    BitBtn5->move(248, buttonsTop);
    BitBtn1->move(270, buttonsTop + 44);
    BitBtn2->move(502, buttonsTop + 44);
    setFixedSize(kWidth, kGridTop + gridHeight + 120);
}

void TFormFlouList::SetButtons() {
    BitBtn3->setEnabled(count_ < kFlowComputerMax);
    BitBtn5->setEnabled(count_ > 1);
}

int TFormFlouList::SelectedRow() const {
    const int r = StringGrid1->currentRow();
    return r >= 0 && r < count_ ? r : -1;
}

void TFormFlouList::BitBtn4Click() {
    const int row = SelectedRow();
    if (row < 0) return;
    TFormFlouPar f(this);
    f.Number = uint8_t(row + 1);
    f.Entry = &work_[row];
    f.Sou = &sou_[row];
    f.exec();
    if (!f.Accepted) return;
    FillRow(row);
    if (f.PasswordChanged == 1) PasswordSet[row] = 1;
}

void TFormFlouList::BitBtn3Click() {
    if (count_ >= kFlowComputerMax) return;
    FlowComputerEntry entry = EmptyFlowComputer();
    uint8_t sou = 0;
    TFormFlouPar f(this);
    f.Number = uint8_t(count_ + 1);
    f.Entry = &entry;
    f.Sou = &sou;
    f.exec();
    if (!f.Accepted) return;
    const int row = count_;
    work_[row] = entry;
    sou_[row] = sou;
    PasswordSet[row] = 1;
    ++count_;
    SetRows();
    StringGrid1->selectRow(row);
    SetButtons();
}

void TFormFlouList::BitBtn5Click() {
    const int row = SelectedRow();
    if (row < 0 || count_ <= 1) return;
    char line2[64];
    std::snprintf(line2, sizeof line2, "вычислитель адр. %d?", work_[row].address);
    g_QuesKind = qvr::kQuesQuestion;
    qvr::ShowQues("Вы действительно хотите удалить", line2);
    if (g_QuesAnswer != 1) return;
    if (!DeleteFlowComputerRow(work_, sou_, PasswordSet, count_, row)) return;
    SetRows();
    StringGrid1->selectRow(row < count_ ? row : count_ - 1);
    SetButtons();
}

void TFormFlouList::BitBtn1Click() {
    FlowComputerMessage message;
    if (!CheckFlowComputerList(work_, count_, &message)) {
        qvr::InputError(message.line1, message.line2);
        return;
    }
    if (Entries)
        for (int i = 0; i < count_; ++i) FlowComputerToBytes(work_[i], Entries + kFlowComputerEntryBytes * size_t(i));
    Count = uint8_t(count_);
    Accepted = 1;
    accept();
}

void TFormFlouList::BitBtn2Click() { reject(); }

namespace qvr {

namespace {

// Shows the list in device mode over the rows of the image; on acceptance the rows go back
// into the image and the flags into passwordSet.
bool RunDeviceList(QWidget* parent, int n, uint8_t* passwordSet) {
    FlowComputerEntry rows[kFlowComputerMax];
    FlowComputerRowsFromImage(rows, n);
    uint8_t bytes[kFlowComputerRowsBytes];
    for (int i = 0; i < kFlowComputerMax; ++i) FlowComputerToBytes(rows[i], bytes + kFlowComputerEntryBytes * size_t(i));
    TFormFlouList f(parent);
    f.Mode = 1;
    f.Entries = bytes;
    f.Count = uint8_t(n);
    f.exec();
    if (!f.Accepted) return false;
    std::memcpy(passwordSet, f.PasswordSet, sizeof f.PasswordSet);
    for (int i = 0; i < kFlowComputerMax; ++i) rows[i] = FlowComputerFromBytes(bytes + kFlowComputerEntryBytes * size_t(i));
    FlowComputerRowsToImage(rows, f.Count);
    return true;
}

}  // namespace

bool EditFlowComputers(QWidget* parent, IStatusBar* statusBar) {
    FlowComputerTables tables;
    {
        HourglassScope hourglass;
        if (!ReadFlowComputerTables(&tables, statusBar, true)) return false;
    }
    uint8_t passwordSet[kFlowComputerMax] = {};
    if (!RunDeviceList(parent, tables.count, passwordSet)) return false;
    HourglassScope hourglass;
    return WriteFlowComputerTables(tables, passwordSet, nullptr, statusBar);
}

bool EnterFlowComputers(QWidget* parent, const uint8_t* oldTable9, IStatusBar* statusBar) {
    // Ended without a write, the image goes back to the controller's table 9, so that it
    // does not keep a count the controller never got.
    auto restore = [oldTable9] {
        if (oldTable9) std::memcpy(TablePtr(9), oldTable9, TableSize(9));
        return false;
    };
    FlowComputerTables tables;
    {
        HourglassScope hourglass;
        if (!ReadFlowComputerTables(&tables, statusBar, false)) return restore();
    }
    uint8_t passwordSet[kFlowComputerMax] = {};
    if (!RunDeviceList(parent, tables.count, passwordSet)) return restore();
    HourglassScope hourglass;
    return WriteFlowComputerTables(tables, passwordSet, oldTable9, statusBar);
}

}  // namespace qvr
