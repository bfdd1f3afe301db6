#include "data/ui/logprint.h"

#include <QAbstractItemModel>

#include <cstdio>
#include <cstring>

#include "common/ui/qtext.h"
#include "common/uihooks.h"
#include "data/archformat.h"
#include "reports/ui/formquesprn.h"

namespace {

const QString kArial = QStringLiteral("Arial");
const QString kSansSerif = QStringLiteral("MS Sans Serif");
constexpr int kLineStep = 13;   // pixels per printed row
constexpr int kTableWidth = 896;  // the widest page band (see the log tables)

TQRLabel* TitleLabel(TQRCustomBand* band, int top, int height, int size, bool bold, TAlignment align) {
    auto* l = new TQRLabel(band);
    l->AutoSize = false;
    l->Alignment = align;
    l->Left = 0;
    l->Top = top;
    l->Width = kTableWidth;
    l->Height = height;
    l->SetFont(kArial, size, bold);
    return l;
}

TQRLabel* FooterLabel(TQRCustomBand* band, int left, int width, const QString& caption) {
    auto* l = new TQRLabel(band);
    l->AutoSize = false;
    l->Alignment = taLeftJustify;
    l->Left = left;
    l->Top = 4;
    l->Width = width;
    l->Height = 21;
    l->SetFont(kSansSerif, 10);
    l->Caption = caption;
    return l;
}

// The controller name of the header: 20 bytes up to the first zero, blanks trimmed at
// both ends.
QString ControllerName(const qvr::ArchiveFileHeader& h) {
    return qvr::FromWin(qvr::FieldText(h.name, sizeof h.name)).trimmed();
}

}  // namespace

TFormPrnArhiv::TFormPrnArhiv() {
    QuickRep1.ReportTitle = QStringLiteral("qvr");
    // Design-time margins; BuildLogPrint sets those of the kind.
    QuickRep1.SetPageValue(pvLeftMargin, 8);
    QuickRep1.SetPageValue(pvRightMargin, 7);
    QuickRep1.Font = TQRFont{kSansSerif, 8, false};

    TitleBand1 = new TQRBand(&QuickRep1, rbTitle);
    TitleBand1->Height = 150;
    QRLabel1 = TitleLabel(TitleBand1, 3, 20, 12, true, taCenter);
    QRLabel2 = TitleLabel(TitleBand1, 32, 20, 12, true, taCenter);
    QRLabel3 = TitleLabel(TitleBand1, 54, 20, 12, true, taCenter);
    QRLabel6 = TitleLabel(TitleBand1, 80, 17, 10, false, taCenter);
    QRLabel4 = TitleLabel(TitleBand1, 100, 17, 10, false, taCenter);
    QRLabel8 = TitleLabel(TitleBand1, 124, 17, 8, false, taLeftJustify);

    PageHeaderBand1 = new TQRBand(&QuickRep1, rbPageHeader);
    PageHeaderBand1->Height = 26;
    QRLabel5 = TitleLabel(PageHeaderBand1, 4, 17, 10, false, taRightJustify);
    QRLabel5->SetFont(kSansSerif, 10);

    PageFooterBand1 = new TQRBand(&QuickRep1, rbPageFooter);
    PageFooterBand1->Height = 29;
    // "Лист N из M" ends at the table's right edge.
    QRLabel30 = FooterLabel(PageFooterBand1, 735, 42, QStringLiteral("Лист"));
    QRExpr1 = new TQRExpr(PageFooterBand1);
    QRExpr1->Expression = QStringLiteral("PAGENUMBER");
    QRExpr1->AutoSize = false;
    QRExpr1->Left = 786;
    QRExpr1->Top = 4;
    QRExpr1->Width = 34;
    QRExpr1->Height = 21;
    QRExpr1->SetFont(kSansSerif, 10);
    QRLabel31 = FooterLabel(PageFooterBand1, 828, 68, QString());
    FormCreate();
}

TFormPrnArhiv::~TFormPrnArhiv() { FormDestroy(); }

void TFormPrnArhiv::FormCreate() {
    kind = 0;
    header = nullptr;
    heading = nullptr;
    grid = nullptr;
    AlaPages.clear();
    AudPages.clear();
    PageIndex = 0;
    FreeRows = 0;
    RowsPage = 0;
    PageCount = 0;
}

void TFormPrnArhiv::FormDestroy() {
    for (TAlaTable*& p : AlaPages) {
        delete p;
        p = nullptr;
    }
    for (TAudTable*& p : AudPages) {
        delete p;
        p = nullptr;
    }
    AlaPages.clear();
    AudPages.clear();
}

void TFormPrnArhiv::BuildLogPrint() {
    qvr::HourglassScope hourglass;
    FormDestroy();  // a second build starts afresh
    PageIndex = 0;
    PageCount = 1;
    const bool audit = kind == qvr::kPrintAuditLog;

    char buf[200];
    QRLabel1->Caption = heading ? qvr::FromWin(qvr::FieldText(heading, qvr::kOrgTitleSize)) : QString();
    if (header) {
        const QString name = ControllerName(*header);
        QRLabel6->Caption =
            QStringLiteral("Хроматограф \"%1\"  (адрес %2)").arg(name).arg(int(header->address));
        QRLabel5->Caption = name;
        const uint8_t* s = header->periodStart;
        const uint8_t* e = header->periodEnd;
        std::snprintf(buf, sizeof buf,
                      "За период  с  %02d.%02d.%02d %02d:%02d:%02d  по %02d.%02d.%02d %02d:%02d:%02d", s[2], s[1],
                      s[0], s[3], s[4], s[5], e[2], e[1], e[0], e[3], e[4], e[5]);
        QRLabel4->Caption = QString::fromUtf8(buf);
        const CtlDateTime& r = header->readTime;
        std::snprintf(buf, sizeof buf, "Составлен программой qvr_%02d  %02d.%02d.%02d %02d:%02d:%02d", 13, r.day,
                      r.month, r.year, r.hour, r.minute, r.second);
        QRLabel8->Caption = QString::fromUtf8(buf);
    } else {
        QRLabel6->Caption.clear();
        QRLabel5->Caption.clear();
        QRLabel4->Caption.clear();
        QRLabel8->Caption.clear();
    }

    QuickRep1.SetPageValue(pvLeftMargin, 10);
    QuickRep1.SetPageValue(pvRightMargin, audit ? 10 : 9);
    QRLabel2->Caption = audit ? QStringLiteral("Перечень сообщений о вмешательствах оператора")
                              : QStringLiteral("Перечень диагностических сообщений");
    QRLabel3->Caption = audit ? QStringLiteral("в работу контроллерa КВР") : QStringLiteral("контроллерa КВР");
    RowsPage = RowsPerPage(kind);

    // The current page band's band and its seven memos.
    TQRCustomBand* band = nullptr;
    TQRMemo* memos[7] = {};
    auto newPage = [&](bool forceNewPage) {
        if (audit) {
            auto* p = new TAudTable(&QuickRep1);
            AudPages.push_back(p);
            band = p->Band;
            for (int c = 0; c < 7; ++c) memos[c] = p->Memo[c];
        } else {
            auto* p = new TAlaTable(&QuickRep1);
            AlaPages.push_back(p);
            band = p->Band;
            for (int c = 0; c < 7; ++c) memos[c] = p->Memo[c];
        }
        band->ForceNewPage = forceNewPage;
        PageIndex = int(audit ? AudPages.size() : AlaPages.size()) - 1;
    };
    newPage(false);
    FreeRows = RowsPage - 12;

    const size_t rows = grid ? grid->size() : 0;
    for (size_t r = 0; r < rows; ++r) {
        // The next page band is made only when a row is left for it, so a list that
        // exactly fills a page does not end with an empty page.
        if (FreeRows <= 0) {
            newPage(true);
            FreeRows = RowsPage - 5;
            ++PageCount;
            qvr::ProcessMessages();
        }
        const qvr::LogPrintRow& row = (*grid)[r];
        for (int c = 0; c < 7; ++c) memos[c]->Lines.append(row[c]);
        --FreeRows;
        if (FreeRows > 0) {
            band->Height += kLineStep;
            for (TQRMemo* m : memos) m->Height += kLineStep;
        }
    }
    QRLabel31->Caption = QStringLiteral("из %1").arg(PageCount);
}

namespace qvr {

bool PrintLogList(QWidget* parent, PrintHeadingKind kind, const ArchiveFileHeader& header, const char* heading,
                  const std::vector<LogPrintRow>& rows) {
    TFormPrnArhiv form;
    form.kind = kind;
    form.header = &header;
    form.heading = heading;
    form.grid = &rows;
    form.BuildLogPrint();
    return form.QuickRep1.Print(parent);
}

bool AskAndPrintLogList(QWidget* parent, PrintHeadingKind kind, const ArchiveFileHeader& header,
                        const std::vector<LogPrintRow>& rows) {
    char orgName[kOrgTitleSize + 1] = {};
    if (!AskPrintHeading(parent, &header, kind, orgName)) return false;
    return PrintLogList(parent, kind, header, orgName, rows);
}

std::vector<LogPrintRow> LogRowsFromModel(const QAbstractItemModel& model) {
    std::vector<LogPrintRow> rows;
    const int n = model.rowCount();
    const int cols = model.columnCount();
    rows.reserve(size_t(std::max(0, n)));
    for (int r = 0; r < n; ++r) {
        LogPrintRow row;
        for (int c = 0; c < 7; ++c)
            if (c + 1 < cols) row[c] = model.data(model.index(r, c + 1), Qt::DisplayRole).toString();
        rows.push_back(row);
    }
    return rows;
}

}  // namespace qvr
