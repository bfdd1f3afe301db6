// The two small dialogs in front of every printout.
// TFormQues_Prn (" Данные для печати"): shows what is about to be printed and asks for the
// organisation name that heads it; the name is kept in INI/title.ini.
// TFormQuesPrn ("Данные в отчете"): shows a daily document's or one analysis's title and
// period and returns leave (0), preview (1) or print (2).
#pragma once
#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>

#include "reports/printheading.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace qvr {
struct ArchiveFileHeader;
}

class TFormQues_Prn : public QDialog {
    Q_OBJECT
public:
    explicit TFormQues_Prn(QWidget* parent = nullptr);

    const qvr::ArchiveFileHeader* Header = nullptr;  // input: the set to print (period bytes 31..42)
    uint8_t Kind = 0;                                // input: PrintHeadingKind
    char OrgName[qvr::kOrgTitleSize + 1] = {};       // result: organisation name (Windows-1251)
    uint8_t Accepted = 0;

    void FormCreate();
    void FormShow();

    QLabel* Label2;  // kind of data
    QLabel* Label7;  // controller line
    QLabel* Label8;  // period
    QLabel* Label5;  // "Наименование организации"
    QLabel* Label6;  // "( до 40 символов )"
    QLineEdit* Edit1;
    QPushButton* BitBtn1;  // "Печатать"
    QPushButton* BitBtn2;  // "Отменить"

public slots:
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::string titlePath_;
    std::string period_;
};

class TFormQuesPrn : public QDialog {
    Q_OBJECT
public:
    explicit TFormQuesPrn(QWidget* parent = nullptr);

    uint8_t Choice = 0;               // result: 0 leave, 1 preview, 2 print
    const uint8_t* Report = nullptr;  // input, mode 0: the daily report record (912 bytes)
    uint8_t Mode = 0;                 // input: 0 daily certificate or passport, 1 one analysis
    const uint8_t* Passport = nullptr;// input, mode 1: the one-analysis passport record

    void FormCreate();
    void FormShow();

    QLabel* Label1;  // title
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* BitBtn2;  // "Выход"
    QPushButton* BitBtn1;  // "Печать", tag 2
    QPushButton* BitBtn3;  // "Просмотр", tag 1

public slots:
    void BitBtn1Click();
    void BitBtn2Click();
    void reject() override;  // the close box and Esc: leave

protected:
    void showEvent(QShowEvent* event) override;
};

namespace qvr {

// Offsets in the records the choice form reads.
constexpr size_t kDailyReportStart = 822;      // year - 2000, month, day, hour, minute
constexpr size_t kDailyReportEnd = 827;
constexpr size_t kPassportAnalysisTime = 829;  // CtlDateTime of the analysis

// Runs the print heading question for a set and a kind; when accepted, copies the
// organisation name (41 bytes) into orgName and returns true.
bool AskPrintHeading(QWidget* parent, const ArchiveFileHeader* header, PrintHeadingKind kind,
                     char orgName[kOrgTitleSize + 1]);
// Runs the print choice once and returns the choice (0 leave, 1 preview, 2 print).
uint8_t AskPrintChoice(QWidget* parent, uint8_t mode, const uint8_t* report, const uint8_t* passport);

// Replace the two dialogs (tests): the same arguments and results, no window.
using PrintHeadingAsker =
    std::function<bool(const ArchiveFileHeader* header, PrintHeadingKind kind, char orgName[kOrgTitleSize + 1])>;
using PrintChoiceAsker = std::function<uint8_t(uint8_t mode, const uint8_t* report, const uint8_t* passport)>;
void SetPrintHeadingAsker(PrintHeadingAsker asker);
void SetPrintChoiceAsker(PrintChoiceAsker asker);

}  // namespace qvr
