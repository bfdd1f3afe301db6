// The diagnostic and intervention log views offscreen: captions, the grid's texts, the CRC
// warning, window size and last row, save to .ala / .aud and the same rows after reopening,
// the print heading question, and the hand-over from the log commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <cstring>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/ui/statusbar.h"
#include "data/ui/formala.h"
#include "data/ui/formaud.h"
#include "data/ui/logcommands.h"
#include "link/tabledir.h"
#include "reports/ui/formquesprn.h"
#include "support/tempdir.h"

using namespace qvr;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes Diag(uint8_t code, uint8_t object, uint8_t sub, float value = 0, float setPoint = 0) {
    Bytes r(kDiagRecordSize);
    const uint8_t t[6] = {26, 12, 7, 8, 9, 10};
    std::memcpy(r.data(), t, 6);
    r[DiagRecord::kCode] = code;
    r[DiagRecord::kObject] = object;
    r[DiagRecord::kSubObject] = sub;
    uint32_t u;
    std::memcpy(&u, &value, 4);
    PutU32(r.data() + DiagRecord::kValue, u);
    std::memcpy(&u, &setPoint, 4);
    PutU32(r.data() + DiagRecord::kSetPoint, u);
    SealRecord(r.data(), r.size());
    return r;
}

Bytes Audit(uint8_t table, uint8_t field, uint8_t oldB, uint8_t newB, const char op[5] = "IVAN") {
    Bytes r(kAuditRecordSize);
    const uint8_t t[6] = {26, 12, 6, 7, 8, 9};
    std::memcpy(r.data(), t, 6);
    r[AuditRecord::kTable] = table;
    r[AuditRecord::kField] = field;
    r[AuditRecord::kOld] = oldB;
    r[AuditRecord::kNew] = newB;
    std::memcpy(r.data() + AuditRecord::kOperator, op, 4);
    SealRecord(r.data(), r.size());
    return r;
}

LogData Set(uint8_t log, uint8_t mode, const std::vector<Bytes>& records, uint32_t first = 0) {
    LogData d;
    d.log = log;
    d.mode = mode;
    d.firstIndex = first;
    uint8_t name[20] = {'K', 'V', 'R'};
    d.header = MakeArchiveFileHeader(log == kAuditLog ? DataKind::AuditLog : DataKind::DiagLog, name, 9,
                                     CtlDateTime(26, 12, 7, 14, 30, 45), CtlDateTime(26, 12, 1, 0, 0, 0),
                                     CtlDateTime(26, 12, 7, 23, 59, 59), uint32_t(records.size()), 9, 2);
    for (const Bytes& r : records) d.rows.insert(d.rows.end(), r.begin(), r.end());
    return d;
}

QString Cell(const TLogViewForm& f, int row, int column) {
    return f.Model->data(f.Model->index(row, column)).toString();
}

std::vector<std::vector<QString>> AllCells(const TLogViewForm& f) {
    std::vector<std::vector<QString>> all;
    for (int r = 0; r < f.Model->rowCount(); ++r) {
        std::vector<QString> row;
        for (int c = 0; c < f.Model->columnCount(); ++c) row.push_back(Cell(f, r, c));
        all.push_back(row);
    }
    return all;
}

class LogViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedProgDir = g_ProgDir;
        g_ProgDir = tmp.dir();
        ClearQuesRecord();
    }
    void TearDown() override {
        SetLogSaveDialogHook(nullptr);
        SetPrintHeadingAsker(nullptr);
        SetLogViewHook(nullptr);
        ClearQuesRecord();
        g_ProgDir = savedProgDir;
    }
    TempDir tmp;
    std::string savedProgDir;
};

}  // namespace

TEST_F(LogViewsTest, DiagnosticViewByIndex) {
    std::vector<Bytes> records(10, Diag(3, 0, 0));
    records.push_back(Diag(12, 0, 25, 1.5f, 2.0f));
    const LogData data = Set(kDiagLog, kLogModeByIndex, records, 100);
    TFormAla f;
    f.Data = &data;
    f.show();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Диагностические сообщения с индексами от 100 до 110"));
    EXPECT_EQ(f.width(), 992);
    EXPECT_EQ(f.Model->rowCount(), 11);
    EXPECT_EQ(f.Model->columnCount(), 8);
    EXPECT_EQ(f.StringGrid1->columnWidth(0), 4);
    EXPECT_EQ(f.StringGrid1->currentIndex().row(), 10);  // the last row is selected
    EXPECT_EQ(Cell(f, 0, 0), QString());
    EXPECT_EQ(Cell(f, 0, 1), QStringLiteral("  07.12.26"));
    EXPECT_EQ(Cell(f, 0, 3), QStringLiteral("Подано напряжение питания"));
    EXPECT_EQ(Cell(f, 10, 4), QStringLiteral("  ?"));
    EXPECT_EQ(Cell(f, 10, 5), QStringLiteral("1.5000"));
    EXPECT_EQ(Cell(f, 10, 7), QString());
    EXPECT_EQ(f.Model->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Объект / Причина"));
    EXPECT_EQ(f.StatusBar1->PanelText(0), "");
    // The view's own text rows, one per record.
    ASSERT_EQ(f.TextRows.size(), 11 * kDiagTextRowSize);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(f.TextRows.data()), 10), "  07.12.26");
    f.BitBtn1->click();
    EXPECT_TRUE(f.TextRows.empty());
}

TEST_F(LogViewsTest, RecordsFailingTheirCrcAreMarkedAndWarnedOnce) {
    Bytes bad = Diag(3, 0, 0);
    bad[0] ^= 1;
    const LogData data = Set(kDiagLog, kLogModeByPeriod, {bad, bad});
    TFormAla f;
    f.Data = &data;
    f.show();
    EXPECT_EQ(f.windowTitle(),
              QStringLiteral("Диагностические сообщения за период с 01.12.26 00:00:00 по 07.12.26 23:59:59"));
    EXPECT_EQ(Cell(f, 0, 1), QStringLiteral("   ***"));
    EXPECT_EQ(Cell(f, 1, 1), QStringLiteral("   ***"));
    EXPECT_EQ(Cell(f, 1, 3), QString());
    EXPECT_EQ(f.StatusBar1->PanelText(0), "  ***  Данные в записи недостоверны (не совпадает КС)");

    Bytes badAudit = Audit(3, 0, 1, 2);
    badAudit[10] ^= 1;
    const LogData audit = Set(kAuditLog, kLogModeByPeriod, {Audit(3, 0, 1, 2), badAudit});
    TFormAud a;
    a.Data = &audit;
    a.show();
    EXPECT_EQ(Cell(a, 0, 3), QStringLiteral("Адрес контроллера"));
    EXPECT_EQ(Cell(a, 1, 1), QStringLiteral("   ***"));
    EXPECT_EQ(a.StatusBar1->PanelText(0), "  ***  Данные в записи недостоверны (не совпадает КС)");
}

TEST_F(LogViewsTest, DiagnosticSaveAndReopenShowTheSameRows) {
    const LogData data = Set(kDiagLog, kLogModeByPeriod, {Diag(59, 0, 0), Diag(22, 201, 3), Diag(4, 1, 0)});
    TFormAla f;
    f.Data = &data;
    f.show();
    EXPECT_EQ(Cell(f, 1, 4), QStringLiteral("Ошибка датчика давления"));

    DataSaveRequest asked;
    SetLogSaveDialogHook([&](const DataSaveRequest& r) {
        asked = r;
        return tmp.dir() + "ALAFILES/saved";
    });
    f.BitBtn2->click();
    EXPECT_EQ(asked.folder, tmp.dir() + "ALAFILES");
    EXPECT_NE(asked.proposal.find("ALAFILES/qvr_13-009-"), std::string::npos);
    EXPECT_EQ(asked.proposal.substr(asked.proposal.size() - 4), ".ala");
    ASSERT_FALSE(ShownQues().empty());
    EXPECT_EQ(ShownQues().back().text1, "Данные сохранены в файле saved.ala.");

    const std::string path = tmp.dir() + "ALAFILES/saved.ala";
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    ASSERT_EQ(bytes.size(), kArchiveFileHeaderSize + 3 * kDiagTextRowSize);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()), 3), "ALA");
    EXPECT_EQ(GetU32(bytes.data() + hdr::kCount), 3u);

    LogData loaded;
    ASSERT_TRUE(LoadLogFile(kDiagLog, path, loaded));
    TFormAla reopened;
    reopened.Data = &loaded;
    reopened.show();
    EXPECT_EQ(reopened.windowTitle(), f.windowTitle());
    EXPECT_EQ(AllCells(reopened), AllCells(f));
    EXPECT_TRUE(reopened.TextRows.empty());  // the caller's rows are used

    // Saving the reopened set writes the same file again.
    SetLogSaveDialogHook([&](const DataSaveRequest&) { return tmp.dir() + "again.ala"; });
    reopened.BitBtn2->click();
    std::vector<uint8_t> again;
    ASSERT_TRUE(ReadWholeFile(tmp.dir() + "again.ala", again));
    EXPECT_EQ(again, bytes);
}

TEST_F(LogViewsTest, InterventionViewSaveAndReopen) {
    const LogData data = Set(kAuditLog, kLogModeByIndex, {Audit(14, 1, 11, 13), Audit(6, 1, 0x89, 0x15, "AB\0C")}, 5);
    TFormAud f;
    f.Data = &data;
    f.show();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Сообщения о вмешательствах оператора с индексами от 5 до 6"));
    EXPECT_EQ(f.width(), 810);
    EXPECT_EQ(f.StringGrid1->currentIndex().row(), 1);
    EXPECT_EQ(Cell(f, 0, 1), QStringLiteral("    06.12.26"));
    EXPECT_EQ(Cell(f, 0, 4), QStringLiteral("9600"));
    EXPECT_EQ(Cell(f, 0, 5), QStringLiteral("12800"));
    EXPECT_EQ(Cell(f, 0, 6), QStringLiteral("бит/с"));
    EXPECT_EQ(Cell(f, 0, 7), QStringLiteral("IVAN"));
    EXPECT_EQ(Cell(f, 1, 4), QStringLiteral("1Вс"));
    EXPECT_EQ(Cell(f, 1, 5), QStringLiteral("21"));
    EXPECT_EQ(Cell(f, 1, 7), QStringLiteral("AB"));
    EXPECT_EQ(f.Model->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Наименование\nизмененного параметра"));

    // An existing file is replaced only after Yes.
    const std::string path = tmp.dir() + "list.aud";
    const uint8_t junk[1] = {7};
    ASSERT_TRUE(WriteFileAtomic(path, junk, 1));
    int dialogs = 0;
    SetLogSaveDialogHook([&](const DataSaveRequest& r) {
        ++dialogs;
        EXPECT_EQ(r.filters[0], "Data Files (*.aud)");
        return path;
    });
    QueueQuesAnswers({0, 1});
    f.BitBtn2->click();
    EXPECT_EQ(dialogs, 2);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    ASSERT_EQ(bytes.size(), kArchiveFileHeaderSize + 2 * kAuditTextRowSize);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + kArchiveFileHeaderSize + 140)), "9600");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + kArchiveFileHeaderSize + 200)), "IVAN");

    LogData loaded;
    ASSERT_TRUE(LoadLogFile(kAuditLog, path, loaded));
    TFormAud reopened;
    reopened.Data = &loaded;
    reopened.show();
    EXPECT_EQ(reopened.windowTitle(),
              QStringLiteral("Сообщения о вмешательствах оператора за период с 01.12.26 00:00:00 по 07.12.26 23:59:59"));
    EXPECT_EQ(AllCells(reopened), AllCells(f));
}

TEST_F(LogViewsTest, SaveFailureIsReported) {
    const LogData data = Set(kAuditLog, kLogModeByIndex, {Audit(3, 0, 1, 2)}, 1);
    TFormAud f;
    f.Data = &data;
    f.show();
    SetLogSaveDialogHook([&](const DataSaveRequest&) { return tmp.dir() + "no/such/folder/x.aud"; });
    f.BitBtn2->click();
    ASSERT_FALSE(ShownQues().empty());
    EXPECT_EQ(ShownQues().back().text1, "Ошибка открытия файла");
    EXPECT_EQ(ShownQues().back().kind, kQuesError);
    EXPECT_TRUE(f.isVisible());
}

TEST_F(LogViewsTest, PrintAsksTheHeadingWithTheKindOfTheLog) {
    const LogData diag = Set(kDiagLog, kLogModeByIndex, {Diag(3, 0, 0)}, 1);
    const LogData audit = Set(kAuditLog, kLogModeByIndex, {Audit(3, 0, 1, 2)}, 1);
    std::vector<int> kinds;
    SetPrintHeadingAsker([&](const ArchiveFileHeader* h, PrintHeadingKind kind, char*) {
        kinds.push_back(kind);
        EXPECT_EQ(h->address, 9);
        return false;  // cancelled: nothing is printed
    });
    TFormAla a;
    a.Data = &diag;
    a.show();
    a.BitBtn3->click();
    TFormAud u;
    u.Data = &audit;
    u.show();
    u.BitBtn3->click();
    EXPECT_EQ(kinds, (std::vector<int>{3, 4}));
}

TEST_F(LogViewsTest, LogCommandsHandTheSetToTheViewOfItsLog) {
    InstallLogViews();
    QStringList opened;
    auto closeNext = [&] {
        QTimer::singleShot(0, [&] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                opened << QString::fromLatin1(w->metaObject()->className());
                w->close();
            }
        });
    };
    closeNext();
    ShowLogView(nullptr, Set(kAuditLog, kLogModeByIndex, {Audit(3, 0, 1, 2)}, 1));
    closeNext();
    ShowLogView(nullptr, Set(kDiagLog, kLogModeByIndex, {Diag(3, 0, 0)}, 1));
    EXPECT_EQ(opened, (QStringList{QStringLiteral("TFormAud"), QStringLiteral("TFormAla")}));
}
