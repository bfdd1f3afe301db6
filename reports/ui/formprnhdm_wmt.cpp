#include "reports/ui/formprnhdm_wmt.h"

#include <QAbstractItemModel>

#include <algorithm>
#include <cstdio>

#include "common/uihooks.h"
#include "data/archformat.h"
#include "data/ui/formarh_wmt.h"
#include "reports/ui/printfill.h"

uint8_t g_PrintedMoistureType = 0;

namespace {

const QString kArial = QStringLiteral("Arial");
const QString kSansSerif = QStringLiteral("MS Sans Serif");

}  // namespace

QStringList MoistureHeadingLines(uint8_t kind, uint8_t moistureType, int column) {
    const bool moment = kind == qvr::kPrintWmt5Min;
    if (kind != qvr::kPrintWmtHour && kind != qvr::kPrintWmtDay && !moment) return {};
    switch (column) {
    case 0: return moment ? QStringList{" ", "Дата"} : QStringList{" ", "Дата", "начала"};
    case 1: return moment ? QStringList{" ", "Время"} : QStringList{" ", "Время", "начала"};
    case 2: return moment ? QStringList{" ", "Статус", "контроллера"} : QStringList{" ", "Время", "конца"};
    case 3:
        return moment ? QStringList{"Признаки", "состояния", "влагомера"} : QStringList{" ", "Статус", "контроллера"};
    case 4: return {"Т т.росы", "WDP", "при Рраб.", "°С"};
    case 5: return {"Т т.росы", "HDP", "при Рраб.", "°С"};
    case 6: return moistureType == 2 ? QStringList{"", "Р. газа", "", "МПа"} : QStringList{"Р изб.", "WDP", "", "bar"};
    case 7: return {"Прив. Т т.росы", "по воде", "к Р абс.", "°С"};
    default: return {};
    }
}

TArh_Wmt_Table::TArh_Wmt_Table(TQuickRep* report, uint8_t kind) {
    Band = new TQRSubDetail(report);
    Band->Height = 94;
    Band->ForceNewPage = false;
    Band->Frame.SetAll(true);
    for (int c = 0; c < kColumns; ++c) {
        TQRMemo* h = Heading[c] = new TQRMemo(Band);
        h->Left = 1 + 96 * c;
        h->Top = 1;
        h->Width = 95;
        h->Height = 72;
        h->SetFont(kArial, 9);
        h->AutoSize = false;
        h->Alignment = taCenter;
        h->WordWrap = false;
        h->Frame.DrawBottom = true;
        h->Frame.DrawRight = c < kColumns - 1;
        h->Lines = MoistureHeadingLines(kind, g_PrintedMoistureType, c);
        h->ShrinkToFit = true;  // "Прив. Т т.росы" is wider than its column

        TQRMemo* v = Value[c] = new TQRMemo(Band);
        v->Left = 1 + 96 * c;
        v->Top = 73;
        v->Width = 95;
        v->SetFont(kSansSerif, 10);
        v->AutoSize = false;
        v->Alignment = taCenter;
        v->WordWrap = false;
        v->ShrinkToFit = true;
        v->Lines.clear();
    }
}

TArh_Wmt_Table::~TArh_Wmt_Table() {
    for (int c = 0; c < kColumns; ++c) {
        delete Heading[c];
        delete Value[c];
    }
    delete Band;
}

TFormPrnHDM_Wmt::TFormPrnHDM_Wmt() {
    QuickRep1.ReportTitle = QStringLiteral("qvr");
    QuickRep1.SetPageValue(pvTopMargin, 10);
    QuickRep1.SetPageValue(pvBottomMargin, 10);
    QuickRep1.SetPageValue(pvLeftMargin, 25);
    QuickRep1.SetPageValue(pvRightMargin, 22);
    QuickRep1.FirstPageHeader = true;
    QuickRep1.LastPageFooter = true;
    QuickRep1.Font = TQRFont{kSansSerif, 8, false};

    QRBand1 = new TQRBand(&QuickRep1, rbPageHeader);
    QRBand1->Height = 50;
    QRLabel3 = qvr::PlaceLabel(QRBand1, 427, 19, 381, 21, taRightJustify, kSansSerif, 10);

    PageFooterBand1 = new TQRBand(&QuickRep1, rbPageFooter);
    PageFooterBand1->Height = 29;
    QRLabel30 = qvr::PlaceLabel(PageFooterBand1, 672, 4, 42, 21, taLeftJustify, kSansSerif, 10, false, QStringLiteral("Лист"));
    QRExpr1 = new TQRExpr(PageFooterBand1);
    QRExpr1->Expression = QStringLiteral("PAGENUMBER");
    QRExpr1->AutoSize = false;
    QRExpr1->Alignment = taLeftJustify;
    QRExpr1->Left = 720;
    QRExpr1->Top = 4;
    QRExpr1->Width = 34;
    QRExpr1->Height = 21;
    QRExpr1->SetFont(kSansSerif, 10);
    QRLabel31 = qvr::PlaceLabel(PageFooterBand1, 756, 4, 45, 21, taLeftJustify, kSansSerif, 10);
    qvr::KeepInBody(QuickRep1, {QRLabel3});
    qvr::KeepInBody(QuickRep1, {QRLabel30, QRExpr1, QRLabel31});
    FormCreate();
}

TFormPrnHDM_Wmt::~TFormPrnHDM_Wmt() { DeleteBands(); }

void TFormPrnHDM_Wmt::FormCreate() {
    Header = nullptr;
    Grid = nullptr;
    OrgName = nullptr;
    Title = nullptr;
    Tables.clear();
    PageIndex = 0;
    RowsLeft = 0;
    RowsPerPage = kRowsPerPage;
    PageCount = 0;
}

void TFormPrnHDM_Wmt::DeleteBands() {
    delete Title;
    Title = nullptr;
    for (TArh_Wmt_Table*& t : Tables) {
        delete t;
        t = nullptr;
    }
    Tables.clear();
}

void TFormPrnHDM_Wmt::BuildMoisturePrint(uint8_t kind) {
    qvr::HourglassScope hourglass;
    DeleteBands();  // a second build starts afresh
    RowsPerPage = kRowsPerPage;
    RowsLeft = RowsPerPage;
    QRLabel3->Caption = Header ? qvr::PrintControllerName(Header->name) : QString();
    g_PrintedMoistureType = Header ? Header->moistureType : 0;

    FillMoisturePrintTitles(kind);
    RowsLeft -= 7;

    // At most the eight columns a band has.
    const int columns = Grid ? std::clamp(Grid->columnCount(), 0, TArh_Wmt_Table::kColumns) : 0;
    const int rows = Grid ? std::max(0, Grid->rowCount()) : 0;
    int row = 0;
    PageIndex = 0;
    PageCount = 1;
    for (;;) {
        auto* table = new TArh_Wmt_Table(&QuickRep1, kind);
        Tables.push_back(table);
        if (PageIndex > 0) {
            table->Band->ForceNewPage = true;
            ++PageCount;
        }
        RowsLeft -= 6;
        bool pageFull = false;
        // An empty grid prints the table head alone.
        while (row < rows) {
            for (int c = 0; c < columns; ++c) {
                table->Value[c]->Lines.append(Grid->data(Grid->index(row, c), Qt::DisplayRole).toString());
                table->Value[c]->Height += kRowStep;
            }
            table->Band->Height += kRowStep;
            ++row;
            if (row >= rows) break;
            if (--RowsLeft == 0) {
                ++PageIndex;
                RowsLeft = RowsPerPage;
                pageFull = true;
                break;
            }
        }
        if (!pageFull) break;
        qvr::ProcessMessages();
    }
    QRLabel31->Caption = QStringLiteral("из %1").arg(PageCount);
}

void TFormPrnHDM_Wmt::FillMoisturePrintTitles(uint8_t kind) {
    delete Title;
    Title = new TrepTitle(&QuickRep1);
    Title->Label1->Caption = qvr::PrintOrgName(OrgName);
    if (!Header) return;
    const qvr::ArchiveFileHeader& h = *Header;
    Title->Label2->Caption = qvr::PrintControllerLine(h.name, h.address);
    const CtlDateTime& r = h.readTime;
    char buf[200];
    std::snprintf(buf, sizeof buf, "Составлен программой qvr_%02d  %02d.%02d.%02d  %02d:%02d:%02d", 13, r.day, r.month,
                  r.year, r.hour, r.minute, r.second);
    Title->Label5->Caption = QString::fromUtf8(buf);
    const uint8_t* s = h.periodStart;
    const uint8_t* e = h.periodEnd;
    switch (kind) {
    case qvr::kPrintWmtHour:
        Title->Label3->Caption = QStringLiteral("Часовые измерительные данные влагомера");
        std::snprintf(buf, sizeof buf, "за период  с  %02d.%02d.%02d  %02dч  по  %02d.%02d.%02d  %02dч", s[2], s[1],
                      s[0], s[3], e[2], e[1], e[0], e[3]);
        break;
    case qvr::kPrintWmtDay:
        Title->Label3->Caption = QStringLiteral("Суточные измерительные данные влагомера");
        std::snprintf(buf, sizeof buf, "за период  с  %02d.%02d.%02d  по  %02d.%02d.%02d", s[2], s[1], s[0], e[2],
                      e[1], e[0]);
        break;
    case qvr::kPrintWmt5Min:
        Title->Label3->Caption = QStringLiteral("Мгновенные данные влагомера");
        std::snprintf(buf, sizeof buf, "за период  с  %02d.%02d.%02d %02d:%02d:00  по  %02d.%02d.%02d %02d:%02d:00",
                      s[2], s[1], s[0], s[3], s[4], e[2], e[1], e[0], e[3], e[4]);
        break;
    default:
        return;
    }
    Title->Label4->Caption = QString::fromUtf8(buf);
}

namespace qvr {

void BuildMoistureArchivePrint(TFormPrnHDM_Wmt& form, const MoistureArchivePrintJob& job) {
    form.Header = job.header;
    form.OrgName = job.orgName;
    form.Grid = job.grid;
    form.BuildMoisturePrint(job.kind);
}

}  // namespace qvr
