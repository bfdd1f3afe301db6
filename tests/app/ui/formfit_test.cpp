// Every form of the program, shown offscreen in each of its modes, read as a user would:
// no text wider or taller than its control, no control outside its parent, no two
// controls on top of each other.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QHeaderView>
#include <QTableView>
#include <QTest>

#include <cstring>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "app/rd_wr_ini.h"
#include "app/ui/formabonent.h"
#include "app/ui/formabonents_list.h"
#include "app/ui/formabout.h"
#include "app/ui/formconn_par.h"
#include "app/ui/formconnect.h"
#include "app/ui/formmain.h"
#include "common/bytes.h"
#include "common/codepage.h"
#include "common/globals.h"
#include "common/fileutil.h"
#include "common/question.h"
#include "common/stringi.h"
#include "common/suplfunc.h"
#include "common/ui/appname.h"
#include "common/ui/formques.h"
#include "common/ui/formwait.h"
#include "common/ui/statusbar.h"
#include "data/archformat.h"
#include "data/logread.h"
#include "data/logview.h"
#include "data/momdata.h"
#include "data/ui/formala.h"
#include "data/ui/formarhivhd_wmt.h"
#include "data/ui/formarhivhdm_chr.h"
#include "data/ui/formarhmom_chr.h"
#include "data/ui/formarhmom_wmt.h"
#include "data/ui/formaud.h"
#include "data/ui/formchromerr.h"
#include "data/ui/formindex.h"
#include "data/ui/formmom.h"
#include "data/ui/formmomwmt.h"
#include "data/ui/formperiod.h"
#include "data/ui/formprz.h"
#include "data/ui/formshortdate.h"
#include "link/conffun.h"
#include "params/configrecord.h"
#include "params/ui/formaccess.h"
#include "params/ui/formconeth.h"
#include "params/ui/formconfig.h"
#include "params/ui/formconhgc.h"
#include "params/ui/formcontrname.h"
#include "params/ui/formconvich.h"
#include "params/ui/formconvu.h"
#include "params/ui/formconwmt.h"
#include "params/ui/formdistr.h"
#include "params/ui/formdt.h"
#include "params/ui/formfloulist.h"
#include "params/ui/formfloupar.h"
#include "params/ui/formident.h"
#include "params/ui/formlimits.h"
#include "params/ui/formsys.h"
#include "params/ui/formtableinfo.h"
#include "params/ui/formuspass.h"
#include "params/ui/formvichinf.h"
#include "reports/dailyreport.h"
#include "reports/ui/formobject.h"
#include "reports/ui/formobjects_list.h"
#include "reports/ui/formquesprn.h"
#include "reports/ui/formrepconf.h"
#include "reports/ui/formrepcreate.h"
#include "reports/ui/formrepformate.h"
#include "reports/ui/xlsreport.h"
#include "support/fitcheck.h"
#include "support/mainwindow.h"
#include "support/tempdir.h"

using namespace qvr;

namespace {

using Make = std::function<std::unique_ptr<QWidget>()>;

struct FormCase {
    QString name;
    Make make;
};

ArchiveFileHeader Header(DataKind kind, uint32_t count) {
    uint8_t name[20];
    std::memset(name, ' ', sizeof name);
    std::memcpy(name, "Узел учета ГРС-17", 17);
    return MakeArchiveFileHeader(kind, name, 21, CtlDateTime(26, 12, 7, 10, 11, 12), CtlDateTime(26, 12, 7, 9, 0, 0),
                                 CtlDateTime(26, 12, 7, 23, 55, 0), count, 9, 2);
}

// Records of every status with the widest value a parameter takes in each (three digits
// before the point, negative, all decimals).
std::vector<uint8_t> ChromRecords(bool moment) {
    std::vector<uint8_t> all;
    for (int status = 0; status < 256; status += 17) {
        std::vector<uint8_t> r(moment ? kChrom5MinRecordSize : kChromHourDayRecordSize, 0);
        const uint8_t stamp[9] = {26, 12, 31, 23, 55, 0, 23, 59, 59};
        std::memcpy(r.data(), stamp, moment ? 6 : 9);
        const int values = moment ? 11 : 10;
        r[moment ? 6 : 9] = uint8_t(status);
        if (moment) r[7] = r[8] = uint8_t(status);
        for (int i = 0; i < kGasParamCount; ++i) PutF32(r.data() + values + 4 * i, -999.9999f);
        SealRecord(r.data(), r.size());
        all.insert(all.end(), r.begin(), r.end());
    }
    return all;
}

std::vector<uint8_t> MoistureRecords(bool moment) {
    std::vector<uint8_t> all;
    for (int status = 0; status < 256; status += 17) {
        std::vector<uint8_t> b;
        if (moment) {
            Moisture5MinRecord r;
            r.time = CtlDateTime(26, 12, 31, 23, 55, 0);
            r.status = uint8_t(status);
            for (float& x : r.values) x = -999.9999f;
            b.resize(Moisture5MinRecord::kSize);
            r.Store(b.data());
        } else {
            MoistureHourDayRecord r;
            r.stamp.date[0] = 26, r.stamp.date[1] = 12, r.stamp.date[2] = 31;
            r.stamp.end[0] = 23;
            for (float& x : r.values) x = -999.9999f;
            b.resize(MoistureHourDayRecord::kSize);
            r.Store(b.data());
        }
        SealRecord(b.data(), b.size());
        all.insert(all.end(), b.begin(), b.end());
    }
    return all;
}

template <class F>
std::unique_ptr<QWidget> Plain() {
    return std::make_unique<F>();
}

// A data view of a set: its header and raw records.
template <class View>
std::unique_ptr<View> ViewOf(const ArchiveFileHeader* header, const std::vector<uint8_t>* records) {
    auto f = std::make_unique<View>();
    f->Header = header;
    f->Records = records;
    return f;
}

// Shows the form, checks it, closes it.
QStringList Findings(const FormCase& c) {
    std::unique_ptr<QWidget> w = c.make();
    w->show();
    QApplication::processEvents();
    QStringList f = fitcheck::Check(w.get(), c.name);
    w->hide();
    return f;
}

// The longest name the directories take (49 characters), Windows-1251.
const char kLongName[] = "Узел учета газа ГРС-17 ЮГ, Казанское ЛПУ, выход 2";

void PutName(char* field, size_t size) {
    std::string win;
    Utf8ToWin(kLongName, win);
    std::memset(field, 0, size);
    std::memcpy(field, win.data(), std::min(win.size(), size - 1));
}

// Directories of subscribers and objects whose every entry has the longest name.
void FillDirectories() {
    auto& fon = ConnSettings.FonList;
    auto& eth = ConnSettings.EthrList;
    fon.head.users_num = eth.head.users_num = 3;
    fon.head.user_index = eth.head.user_index = 0;
    for (int i = 0; i < 3; ++i) {
        PutName(fon.entries[i].user_name, sizeof fon.entries[i].user_name);
        fon.entries[i].contr_adr = uint8_t(255 - i);
        std::memset(fon.entries[i].phone_code, 0, sizeof fon.entries[i].phone_code);
        std::memcpy(fon.entries[i].phone_code, "8-843-555-12-34,,,,,,,,,,,,,", 29);
        PutName(eth.entries[i].user_name, sizeof eth.entries[i].user_name);
        eth.entries[i].contr_adr = uint8_t(255 - i);
        eth.entries[i].ip_adr = 0xFFFFFFFFu - uint32_t(i);
        eth.entries[i].port = 65535;
    }
    ObjectList.obj_num = 3;
    ObjectList.obj_index = 0;
    for (int i = 0; i < 3; ++i) {
        PutName(ObjectList.entries[i].obj_name, sizeof ObjectList.entries[i].obj_name);
        ObjectList.entries[i].contr_adr = uint8_t(255 - i);
    }
}

std::vector<FormCase> AllForms(const QString& dir) {
    static TStatusBar bar({175, 95, -1, 50});
    static ArchiveFileHeader chr5 = Header(DataKind::Chrom5Min, 0), chrH = Header(DataKind::ChromHour, 0),
                             chrD = Header(DataKind::ChromDay, 0), wmt5 = Header(DataKind::Wmt5Min, 0),
                             wmtH = Header(DataKind::WmtHour, 0), wmtD = Header(DataKind::WmtDay, 0);
    static std::vector<uint8_t> none;
    static std::vector<uint8_t> chrMoment = ChromRecords(true), chrMeans = ChromRecords(false),
                                wmtMoment = MoistureRecords(true), wmtMeans = MoistureRecords(false);
    static ArchiveFileHeader chr5Full = Header(DataKind::Chrom5Min, 16), chrHFull = Header(DataKind::ChromHour, 16),
                             chrDFull = Header(DataKind::ChromDay, 16), wmt5Full = Header(DataKind::Wmt5Min, 16),
                             wmtHFull = Header(DataKind::WmtHour, 16), wmtDFull = Header(DataKind::WmtDay, 16);
    static ArchiveSpan span = [] {
        ArchiveSpan s;
        s.begin.year = 24, s.begin.month = 1, s.begin.day = 1;
        s.end.year = 26, s.end.month = 12, s.end.day = 7, s.end.hour = 23, s.end.minute = 55;
        return s;
    }();
    static TableStateBuffer state{};
    static ConfigRecord record{};
    static ReportFormatRecord format{};
    static DailyReportRecord report{};
    static FlowComputerStateBlock flows{};
    std::vector<FormCase> cases;
    auto add = [&](QString name, Make make) { cases.push_back({std::move(name), std::move(make)}); };

    add("FormMain", [dir] { return std::make_unique<QuietMainWindow>(dir.toStdString()); });
    for (uint8_t kind : {0, 1, 2}) {
        const QString k = QStringLiteral(" kind %1").arg(kind);
        add("FormConnect" + k, [kind] {
            ConnSettings.Conn_Prz = kind;
            return std::make_unique<TFormConnect>(&bar);
        });
        add("FormConn_Par" + k, [kind] {
            ConnSettings.Conn_Prz = kind;
            return std::make_unique<TFormConn_Par>();
        });
        if (kind > 0) {
            add("FormAbonent" + k, [kind] {
                ConnSettings.Conn_Prz = kind;
                return std::make_unique<TFormAbonent>();
            });
            add("FormAbonents_List" + k, [kind] {
                ConnSettings.Conn_Prz = kind;
                return std::make_unique<TFormAbonents_List>();
            });
        }
    }
    for (uint8_t kind : {1, 2}) {
        const QString k = QStringLiteral(" kind %1, longest names").arg(kind);
        add("FormConnect" + k, [kind] {
            FillDirectories();
            ConnSettings.Conn_Prz = kind;
            return std::make_unique<TFormConnect>(&bar);
        });
        add("FormAbonents_List" + k, [kind] {
            FillDirectories();
            ConnSettings.Conn_Prz = kind;
            return std::make_unique<TFormAbonents_List>();
        });
    }
    add("FormObjects_List longest names", [] {
        FillDirectories();
        return std::make_unique<TFormObjects_List>();
    });
    for (uint8_t mode : {0, 1})
        add(QStringLiteral("FormExcRep_Date longest names %1").arg(mode), [mode] {
            FillDirectories();
            auto f = std::make_unique<TFormExcRep_Date>();
            f->Mode = mode;
            f->Span = &span;
            return f;
        });
    add("FormAbout", Plain<TFormAbout>);
    add("FormMean", Plain<TFormMean>);
    for (int kind = 0; kind <= 11; ++kind)
        add(QStringLiteral("FormQues kind %1").arg(kind), [kind] {
            auto f = std::make_unique<TFormQues>();
            f->Fill(MakeQuesBox(kind, "Коммуникационный порт СОМ12 недоступен", "Параметр вне допустимого диапазона"));
            return f;
        });
    add("FormQues file failure", [] {
        auto f = std::make_unique<TFormQues>();
        const std::string path = "/home/оператор/Документы/Служебная программа КВР/datafile.hdm";
        f->Fill(MakeQuesBox(kQuesNotice, "Ошибка открытия файла", qvr::FileFailureText(path, EIO)));
        return f;
    });
    for (uint8_t mode = 0; mode <= 6; ++mode)
        add(QStringLiteral("FormWait mode %1").arg(mode), [mode] {
            auto f = std::make_unique<TFormWait>();
            f->Mode = mode;
            return f;
        });

    // Data views and their dialogs.
    add("FormArhMom_Chr", [] { return ViewOf<TFormArhMom_Chr>(&chr5, &none); });
    for (int day : {0, 1})
        add(QStringLiteral("FormArhivHDM_Chr %1").arg(day ? "daily" : "hourly"), [day] {
            auto f = ViewOf<TFormArhivHDM_Chr>(day ? &chrD : &chrH, &none);
            f->PeriodKind = uint8_t(day);
            return f;
        });
    add("FormArhMom_Chr records", [] { return ViewOf<TFormArhMom_Chr>(&chr5Full, &chrMoment); });
    for (int day : {0, 1})
        add(QStringLiteral("FormArhivHDM_Chr %1 records").arg(day ? "daily" : "hourly"), [day] {
            auto f = ViewOf<TFormArhivHDM_Chr>(day ? &chrDFull : &chrHFull, &chrMeans);
            f->PeriodKind = uint8_t(day);
            return f;
        });
    add("FormArhMom_Wmt records", [] { return ViewOf<TFormArhMom_Wmt>(&wmt5Full, &wmtMoment); });
    for (int day : {0, 1})
        add(QStringLiteral("FormArhivHD_Wmt %1 records").arg(day ? "daily" : "hourly"),
            [day] { return ViewOf<TFormArhivHD_Wmt>(day ? &wmtDFull : &wmtHFull, &wmtMeans); });
    add("FormArhMom_Wmt", [] { return ViewOf<TFormArhMom_Wmt>(&wmt5, &none); });
    for (int day : {0, 1})
        add(QStringLiteral("FormArhivHD_Wmt %1").arg(day ? "daily" : "hourly"),
            [day] { return ViewOf<TFormArhivHD_Wmt>(day ? &wmtD : &wmtH, &none); });
    for (uint8_t mode : {0, 1})
        add(QStringLiteral("FormChromError mode %1").arg(mode), [mode] {
            auto f = std::make_unique<TFormChromError>();
            f->Mode = mode;
            f->StatusByte = 0x7F;
            f->StatusWord[0] = f->StatusWord[1] = 0xFF;
            return f;
        });
    for (uint8_t log : {0, 1, 5})
        add(QStringLiteral("FormIndex log %1").arg(log), [log] {
            auto f = std::make_unique<TFormIndex>();
            f->Log = log;
            f->Oldest = 4000000000u;
            f->Newest = 4000065535u;
            return f;
        });
    add("FormPeriod", Plain<TFormPeriod>);
    for (uint8_t kind : {3, 0, 1})
        add(QStringLiteral("FormShortDate kind %1").arg(kind), [kind] {
            auto f = std::make_unique<TFormShortDate>();
            f->Kind = kind;
            f->Span = &span;
            return f;
        });
    add("FormMom", Plain<TFormMom>);
    add("FormMom values and zones", [] {
        auto f = std::make_unique<TFormMom>();
        const uint8_t stamp[6] = {26, 12, 31, 23, 59, 59};
        std::memcpy(f->Data, stamp, 6);
        for (int i = 0; i < kGasParamCount; ++i) PutF32(f->Data + kChromMomGasAt + 4 * i, -999.9999f);
        f->ShowAnalysis();
        uint8_t zones[kGasParamCount];
        for (int i = 0; i < kGasParamCount; ++i) zones[i] = uint8_t(i % 6);  // every zone, and one unknown
        f->ShowZones(zones);
        return f;
    });
    add("FormMomWmt", Plain<TFormMomWmt>);
    add("FormMomWmt values", [] {
        auto f = std::make_unique<TFormMomWmt>();
        const uint8_t stamp[6] = {26, 12, 31, 23, 59, 59};
        std::memcpy(f->Data, stamp, 6);
        for (int i = 0; i < kMoistureValueCount; ++i) PutF32(f->Data + 8 + 4 * i, -999.9999f);
        f->ShowData();
        return f;
    });
    add("FormPrz", Plain<TFormPrz>);

    // Parameter forms, file mode and device mode.
    for (uint8_t mode : {0, 1}) {
        const QString m = mode ? QStringLiteral(" device") : QStringLiteral(" file");
        auto link = [&](const char* name, std::function<std::unique_ptr<LinkFormBase>()> make) {
            add(name + m, [make, mode] {
                static uint8_t table[512] = {};
                auto f = make();
                f->Mode = mode;
                f->Data = table;
                return std::unique_ptr<QWidget>(f.release());
            });
        };
        link("FormConVU", [] { return std::make_unique<TFormConVU>(); });
        link("FormConVich", [] { return std::make_unique<TFormConVich>(); });
        link("FormConHGC", [] { return std::make_unique<TFormConHGC>(); });
        link("FormConWMT", [] { return std::make_unique<TFormConWMT>(); });
        link("FormConEth", [] { return std::make_unique<TFormConEth>(); });
        link("FormSys", [] { return std::make_unique<TFormSys>(); });
        link("FormDistr", [] { return std::make_unique<TFormDistr>(); });
        link("FormPrzDistr", [] { return std::make_unique<TFormPrzDistr>(); });
        for (uint8_t kind = 0; kind <= 4; ++kind)
            add(QStringLiteral("FormLimits kind %1").arg(kind) + m, [kind, mode] {
                auto f = std::make_unique<TFormLimits>();
                f->LimitKind = kind;
                f->Mode = mode;
                return f;
            });
        add("FormAccess" + m, [mode] {
            auto f = std::make_unique<TFormAccess>();
            f->DeviceMode = mode;
            return f;
        });
        add("FormConfig" + m, [mode] {
            auto f = std::make_unique<TFormConfig>();
            f->Record = &record;
            f->RestoreMode = mode;
            f->TableState = &state;
            return f;
        });
        add("FormFlouList" + m, [mode] {
            auto f = std::make_unique<TFormFlouList>();
            f->Mode = mode;
            return f;
        });
        add("FormIdent" + m, [mode] {
            auto f = std::make_unique<TFormIdent>();
            f->Mode = mode;
            return f;
        });
        add("FormExcRep_Date" + QString::fromUtf8(mode ? " month" : " day"), [mode] {
            auto f = std::make_unique<TFormExcRep_Date>();
            f->Mode = mode;
            f->Span = &span;
            return f;
        });
        add("FormQuesPrn mode" + QString::number(mode), [mode] {
            auto f = std::make_unique<TFormQuesPrn>();
            f->Mode = mode;
            return f;
        });
        add("FormRepFormate" + QString::fromUtf8(mode ? " passport" : " certificate"), [mode] {
            auto f = std::make_unique<TFormRepFormate>();
            f->Kind = mode;
            f->Record = &format;
            return f;
        });
        add("FormObject" + QString::fromUtf8(mode ? " change" : " new"), [mode] {
            auto f = std::make_unique<TFormObject>();
            f->EditMode = mode;
            return f;
        });
    }
    add("FormChangeAccess", Plain<TFormChangeAccess>);
    add("FormContrName", Plain<TFormContrName>);
    add("FormDt", Plain<TFormDt>);
    add("FormFlouPar", Plain<TFormFlouPar>);
    add("FormFunInfo", Plain<TFormFunInfo>);
    add("FormTableInfo", [] {
        for (int t = 0; t < kTableCount; ++t) state.present[t] = 1, state.destroyed[t] = t % 3 == 0;
        auto f = std::make_unique<TFormTableInfo>();
        f->State = &state;
        return f;
    });
    add("FormUsPass", Plain<TFormUsPass>);
    add("FormShortUsPass", Plain<TFormShortUsPass>);
    add("FormVichInf", [] {
        auto f = std::make_unique<TFormVichInf>();
        f->States = &flows;
        return f;
    });

    // Reports.
    add("FormObjects_List", Plain<TFormObjects_List>);
    for (uint8_t kind = 0; kind <= 8; ++kind)
        add(QStringLiteral("FormQues_Prn kind %1").arg(kind), [kind] {
            auto f = std::make_unique<TFormQues_Prn>();
            f->Kind = kind;
            f->Header = &chrH;
            return f;
        });
    add("FormRepConf", Plain<TFormRepConf>);
    add("FormRepCreate", [] {
        auto f = std::make_unique<TFormRepCreate>();
        f->Report = &report;
        f->Span = &span;
        return f;
    });
    add("FormXls_Report", Plain<TFormXls_Report>);
    return cases;
}

class FormFit : public ::testing::Test {
protected:
    void SetUp() override {
        InitStringTable();
        ClearQuesRecord();
        saved_ = ConnSettings;
        savedObjects_ = ObjectList;
    }
    void TearDown() override {
        ConnSettings = saved_;
        ObjectList = savedObjects_;
    }
    ConnSettingsRecord saved_{};
    ObjectListRecord savedObjects_{};
    TempDir dir;
};

}  // namespace

// The check itself sees each kind of fault: a cut label, check box, group title, heading
// and date, a control outside its form and two controls on top of each other.
TEST_F(FormFit, CheckFindsEachKindOfFault) {
    QDialog d;
    d.setFixedSize(300, 200);
    auto place = [&](QWidget* w, const char* name, QRect r) {
        w->setParent(&d);
        w->setObjectName(QString::fromLatin1(name));
        w->setGeometry(r);
    };
    place(new QLabel(QStringLiteral("Ожидание освобождения порта, с")), "cut", QRect(4, 4, 120, 20));
    place(new QLabel(QStringLiteral("Час")), "whole", QRect(130, 4, 40, 20));
    place(new QCheckBox(QStringLiteral("Наличие подключенного влагомера")), "box", QRect(4, 30, 120, 20));
    auto* g = new QGroupBox(QStringLiteral("Переход на летнее время"));
    place(g, "group", QRect(4, 56, 80, 40));
    auto* m = new QStandardItemModel(1, 1, &d);
    m->setHorizontalHeaderLabels({QStringLiteral("Старое значение")});
    auto* t = new QTableView;
    t->setModel(m);
    place(t, "grid", QRect(100, 56, 190, 60));
    t->setColumnWidth(0, 40);
    auto* date = new QDateEdit(QDate(2026, 12, 31));
    date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    date->setReadOnly(false);
    place(date, "date", QRect(4, 120, 40, 22));
    place(new QPushButton(QStringLiteral("Принять")), "a", QRect(60, 150, 100, 28));
    place(new QPushButton(QStringLiteral("Выход")), "b", QRect(150, 150, 100, 28));
    place(new QPushButton(QStringLiteral("Выход")), "out", QRect(260, 150, 100, 28));
    d.show();
    QApplication::processEvents();
    const QStringList f = fitcheck::Check(&d, QStringLiteral("Test"));
    const QString all = f.join(QLatin1Char('\n'));
    for (const char* expected : {"Test cut: \"Ожидание", "Test box: ", "Test group title: ", "Test grid column 0: ",
                                 "Test date: ", "Test out at (260,150 100x28) leaves", "Test a (60,150 100x28) overlaps b"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(expected))) << expected << "\n" << all.toStdString();
    EXPECT_FALSE(all.contains(QStringLiteral("Test whole"))) << all.toStdString();
}

TEST_F(FormFit, EveryFormInEveryModeFits) {
    QStringList all;
    for (const FormCase& c : AllForms(QString::fromStdString(dir.dir()))) all << Findings(c);
    EXPECT_TRUE(all.isEmpty()) << all.size() << " findings:\n" << all.join(QLatin1Char('\n')).toStdString();
}

// The main window during a modem call: the three bars laid from the left, the last panel
// of each running to the right edge, every text whole (the controller's name, the modem's
// answer, "Обмен...").
TEST_F(FormFit, MainWindowStatusBarsDuringAModemCall) {
    QuietMainWindow form(dir.dir());
    form.show();
    form.resize(1000, 680);
    form.pnmodem->show();
    form.StatusBar3->show();
    form.StatusBar2->show();
    form.StatusBar3->SetPanelText(0, " Установление связи по телефону. Команда ATD5551234.  Ответ CONNECT 9600/ARQ/V42");
    form.StatusBar2->SetPanelText(0, " Узел учета ГРС-17 ЮГ (тел. 8-843-555-12-34)");
    form.StatusBar1->SetPanelText(0, " COM12  115200 бит/с");
    form.StatusBar1->SetPanelText(1, "Узел учета ГРС-17 ЮГ");
    form.StatusBar1->SetPanelText(2, " Чтение таблицы 23");
    form.StatusBar1->SetPanelText(3, "Обмен...");
    QApplication::processEvents();

    for (TStatusBar* bar : {form.StatusBar3, form.StatusBar2, form.StatusBar1}) {
        EXPECT_EQ(bar->width(), form.width());
        EXPECT_LE(bar->Panel(0)->x(), 2);
        QLabel* last = bar->Panel(bar->PanelCount() - 1);
        EXPECT_GE(last->geometry().right(), bar->width() - 3);
    }
    // The name needs more than the 95 pixels the panel starts with; the panel takes it.
    EXPECT_GT(form.StatusBar1->PanelWidth(1), 95);
    const QStringList f = fitcheck::Check(&form, "FormMain");
    EXPECT_TRUE(f.isEmpty()) << f.join(QLatin1Char('\n')).toStdString();
}

// Tab goes through the buttons of both connection forms as they read, left to right.
TEST_F(FormFit, ConnectionFormsTabThroughTheButtonsLeftToRight) {
    auto order = [](QDialog& f, std::vector<QWidget*> buttons) {
        f.show();
        f.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
        for (size_t i = 0; i + 1 < buttons.size(); ++i)
            EXPECT_LT(buttons[i]->x(), buttons[i + 1]->x()) << i;
        buttons[0]->setFocus();
        for (size_t i = 1; i < buttons.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), buttons[i]) << f.objectName().toStdString() << " button " << i;
        }
        f.hide();
    };
    ConnSettings.Conn_Prz = 0;
    TFormConnect c(nullptr);
    order(c, {c.BitBtn1, c.BitBtn3, c.BitBtn2});
    TFormConn_Par p;
    order(p, {p.BitBtn1, p.BitBtn3, p.BitBtn2});
}

// Every column of a log view in sight at once: the window is as wide as its columns (and
// their scroll bar) need, where the screen has the room; else as wide as the screen. On the
// usual screens, 1024 and 1280 pixels wide, even the widest texts fit: no horizontal scroll
// bar, and the last column takes the free width up to the grid's right edge.
void ExpectAllColumnsInSight(TLogViewForm& f) {
    const std::string title = f.windowTitle().toStdString();
    const int screen = f.screen()->availableGeometry().width();
    if (f.width() < screen) {
        EXPECT_FALSE(f.StringGrid1->horizontalScrollBar()->isVisible()) << title;
    } else {
        EXPECT_LE(f.width(), std::max(screen, dynamic_cast<TFormAud*>(&f) ? 810 : 992)) << title;
    }
    QHeaderView* h = f.StringGrid1->horizontalHeader();
    for (int width : {1024, 1280}) {
        f.resize(width, f.height());
        QApplication::processEvents();
        EXPECT_FALSE(f.StringGrid1->horizontalScrollBar()->isVisible()) << title << " at " << width;
        EXPECT_EQ(h->sectionViewportPosition(kLogCells) + h->sectionSize(kLogCells), h->viewport()->width())
            << title << " at " << width;
    }
}

// The log views hold the widest text each column can get from a record (every event,
// object, parameter and value the controller can report, every moisture analyser type):
// a column is never narrower than its text, and the user can still widen it by its edge.
TEST_F(FormFit, LogViewsHoldTheirLongestTexts) {
    const QFontMetrics fm(QApplication::font());
    std::unordered_map<std::string, int> measured;
    auto widest = [&](uint8_t log, uint8_t param) {
        std::vector<std::vector<uint8_t>> best(kLogCells);
        std::vector<int> width(kLogCells, -1);
        std::vector<uint8_t> r(log == kDiagLog ? kDiagRecordSize : kAuditRecordSize, 0);
        const uint8_t stamp[6] = {26, 12, 31, 23, 59, 59};
        std::memcpy(r.data(), stamp, 6);
        auto consider = [&] {
            SealRecord(r.data(), r.size());
            const LogRowTexts t = log == kDiagLog ? DiagRow(r.data(), param) : AuditRow(r.data(), param);
            for (int c = 0; c < kLogCells; ++c) {
                auto known = measured.find(t[c]);
                if (known == measured.end())
                    known = measured.emplace(t[c], fm.horizontalAdvance(QString::fromStdString(t[c]))).first;
                const int w = known->second;
                if (w > width[c]) width[c] = w, best[c] = r;
            }
        };
        if (log == kDiagLog) {
            PutF32(r.data() + DiagRecord::kValue, -12345.678f);
            PutF32(r.data() + DiagRecord::kSetPoint, -12345.678f);
            for (int code = 0; code < 256; ++code)
                for (int object = 0; object < 256; ++object) {
                    // Only these objects name their sub-object (source, address, bit).
                    const int subs = object == 33 || object == 34 || object == 200 || object == 201 ? 256 : 1;
                    for (int sub = 0; sub < subs; ++sub) {
                        r[DiagRecord::kCode] = uint8_t(code);
                        r[DiagRecord::kObject] = uint8_t(object);
                        r[DiagRecord::kSubObject] = uint8_t(sub);
                        consider();
                    }
                }
        } else {
            std::memcpy(r.data() + AuditRecord::kOperator, "WWWW", 4);
            for (int table = 0; table < 40; ++table)
                for (int field = 0; field < 64; ++field)
                    for (int v = 0; v <= 256; ++v) {
                        r[AuditRecord::kTable] = uint8_t(table);
                        r[AuditRecord::kField] = uint8_t(field);
                        r[AuditRecord::kUnit] = uint8_t(v);
                        if (v < 256) {  // list entries, numbers, characters
                            PutU32(r.data() + AuditRecord::kOld, uint32_t(v));
                            PutU32(r.data() + AuditRecord::kNew, uint32_t(255 - v));
                        } else {  // a large measured value
                            PutF32(r.data() + AuditRecord::kOld, -12345.678f);
                            PutF32(r.data() + AuditRecord::kNew, -12345.678f);
                        }
                        consider();
                    }
        }
        LogData d;
        d.log = log;
        d.mode = kLogModeByPeriod;
        uint8_t name[20] = {'K', 'V', 'R'};
        d.header = MakeArchiveFileHeader(log == kAuditLog ? DataKind::AuditLog : DataKind::DiagLog, name, 9,
                                         CtlDateTime(26, 12, 7, 14, 30, 45), CtlDateTime(26, 12, 1, 0, 0, 0),
                                         CtlDateTime(26, 12, 31, 23, 59, 59), 30 * kLogCells, 9, param);
        // Enough rows for the vertical scroll bar to show beside the last column.
        for (int copy = 0; copy < 30; ++copy)
            for (std::vector<uint8_t>& b : best) {
                SealRecord(b.data(), b.size());
                d.rows.insert(d.rows.end(), b.begin(), b.end());
            }
        return d;
    };
    QStringList all;
    for (uint8_t type = 0; type < kMoistureTypeNamesCount; ++type) {
        const LogData d = widest(kDiagLog, type);
        TFormAla f;
        f.Data = &d;
        f.show();
        QApplication::processEvents();
        all << fitcheck::Check(&f, QStringLiteral("FormAla moisture type %1").arg(type));
        ExpectAllColumnsInSight(f);
    }
    const LogData a = widest(kAuditLog, 0);
    TFormAud f;
    f.Data = &a;
    f.show();
    QApplication::processEvents();
    all << fitcheck::Check(&f, QStringLiteral("FormAud"));
    ExpectAllColumnsInSight(f);
    EXPECT_TRUE(all.isEmpty()) << all.join(QLatin1Char('\n')).toStdString();

    // Dragging a heading's right edge widens the column.
    QHeaderView* h = f.StringGrid1->horizontalHeader();
    const int before = h->sectionSize(3);
    const QPoint edge(h->sectionViewportPosition(3) + before - 1, h->height() / 2);
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent e(type, at, h->viewport()->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(h->viewport(), &e);
    };
    send(QEvent::MouseMove, edge, Qt::NoButton);
    send(QEvent::MouseButtonPress, edge, Qt::LeftButton);
    send(QEvent::MouseMove, edge + QPoint(40, 0), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, edge + QPoint(40, 0), Qt::NoButton);
    EXPECT_EQ(h->sectionSize(3), before + 40);
}

// A window whose caption is empty (the message boxes of most kinds) is shown by the
// windowing system with the application's name: that is the program's own caption, the
// main window's title, never an internal name.
TEST_F(FormFit, MessageBoxesWithoutCaptionShowTheProgramsCaption) {
    QuietMainWindow form(dir.dir());
    for (int kind = 0; kind <= 11; ++kind) {
        TFormQues box;
        box.Fill(MakeQuesBox(kind, "Устройство не обнаружено", ""));
        const QString shown = box.windowTitle().isEmpty() ? QCoreApplication::applicationName() : box.windowTitle();
        EXPECT_FALSE(shown.isEmpty()) << kind;
        if (box.windowTitle().isEmpty()) {
            EXPECT_EQ(shown, form.windowTitle()) << kind;
        }
    }
}
