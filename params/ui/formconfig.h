// "Параметры конфигурации контроллера": one configuration record as a whole. Each button
// opens the edit form of one table in file mode on the record's own bytes; the editor never
// talks to the controller. It serves the configuration-file command (create or edit a .cnf
// file) and the restore of a controller's tables from a file (restore mode), and tells its
// caller whether it was accepted and whether the record changed.
#pragma once
#include <QDialog>
#include <cstdint>
#include <functional>

#include "link/conffun.h"
#include "params/configrecord.h"
#include "params/ui/cnfcommands.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TFormConfig : public QDialog {
    Q_OBJECT
public:
    explicit TFormConfig(QWidget* owner = nullptr);

    // Set by the caller before the window is shown.
    ConfigRecord* Record = nullptr;          // edited in place
    uint8_t RestoreMode = 0;                 // 1: restore ("Записать в устройство"), 0: file ("Принять")
    TableStateBuffer* TableState = nullptr;  // the restore's table choice (restore mode only)
    // Read by the caller afterwards.
    uint8_t Accepted = 0;  // 1: left through the accept button
    uint8_t Changed = 0;   // 1: the record differs from what it was when shown

    void FormCreate();
    // Size, caption, the private copy, the name and the buttons by mode; runs when shown.
    void FormShow();

    // Colours of the main panel: normal, and while a table's form is open.
    static constexpr unsigned kPanelColor = 0xD3D3D3;
    static constexpr unsigned kPanelBusyColor = 0xB5B5B5;
    unsigned PanelColor() const;

    QWidget* Panel1;  // the main panel
    QLabel* LabelName;
    QLineEdit* Edit1;  // controller name, at most 20 characters

    QGroupBox* GroupIdent;     // "Параметры идентификации"
    QGroupBox* GroupLink;      // " Параметры связи "
    QGroupBox* GroupSettings;  // " Параметры настроек "
    QGroupBox* GroupFlow;      // " Параметры работы с вычислителями расхода газа "
    QGroupBox* GroupLimits;    // " Уставки параметров газа "
    QGroupBox* GroupUsers;     // " Доступ пользователей  к записи в контроллер "

    // The table buttons, each with its label beside it.
    QPushButton* BitBtn24;  QLabel* LabelIdent;     // identification (table 0)
    QPushButton* BitBtn12;  QLabel* LabelVich;      // flow-computer link (table 9)
    QPushButton* BitBtn16;  QLabel* LabelVU;        // upper level (table 3)
    QPushButton* BitBtn17;  QLabel* LabelHGC;       // chromatograph (table 14)
    QPushButton* BitBtn13;  QLabel* LabelWMT;       // moisture analyser (table 15)
    QPushButton* BitBtn18;  QLabel* LabelEth;       // Ethernet (table 29)
    QPushButton* BitBtn6;   QLabel* LabelSys;       // system parameters (table 6)
    QPushButton* BitBtn3;   QLabel* LabelFlouList;  // flow computers (16 rows)
    QPushButton* BitBtn4;   QLabel* LabelPrzDistr;  // write flags (table 21)
    QPushButton* BitBtn5;   QLabel* LabelDistr;     // hour-mean period (table 28)
    QPushButton* BitBtn7;   QLabel* LabelInsens;    // table 22
    QPushButton* BitBtn8;   QLabel* LabelLowAttent; // table 23
    QPushButton* BitBtn9;   QLabel* LabelUpAttent;  // table 24
    QPushButton* BitBtn10;  QLabel* LabelLowLimit;  // table 25
    QPushButton* BitBtn11;  QLabel* LabelUpLimit;   // table 26
    QPushButton* BitBtn15;  QLabel* LabelUsers;     // users (table 4)

    QPushButton* BitBtn1;   // "Принять"
    QPushButton* BitBtn14;  // "Записать в устройство"
    QPushButton* BitBtn2;   // "Отменить"

public slots:
    // The name typed: record bytes 29..48 = the text, blank-padded; the caption follows.
    void Edit1Change(const QString& text);
    void BitBtn1Click();  // both accept buttons
    void BitBtn2Click();
    void BitBtn24Click();
    void BitBtn12Click();
    void BitBtn16Click();
    void BitBtn17Click();
    void BitBtn13Click();
    void BitBtn18Click();
    void BitBtn6Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn7Click();
    void BitBtn8Click();
    void BitBtn9Click();
    void BitBtn10Click();
    void BitBtn11Click();
    void BitBtn15Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The name of the record without leading and trailing blanks, as display text.
    QString TrimmedName() const;
    void SetCaption();
    void SetPanelColor(unsigned rgb);
    // Runs one table form: the panel darkens while it is open.
    void RunChild(const std::function<void()>& run);
    // The moisture-analyser button and label follow record byte 181.
    void EnableMoisture();
    template <class Form>
    void RunLinkForm(size_t offset, const std::function<void(Form&)>& setup = {});
    void RunLimits(uint8_t kind, size_t offset);

    uint8_t copy_[cfgrec::kSize] = {};
    unsigned panelColor_ = kPanelColor;
};

namespace qvr {

// Shows the editor modally on rec. restoreMode 1 with state: the restore of the tables
// marked in state->toWrite. Returns whether it was accepted and whether rec changed.
ConfigEditorOutcome EditConfigRecord(QWidget* parent, ConfigRecord* rec, uint8_t restoreMode = 0,
                                     TableStateBuffer* state = nullptr);

// Makes the configuration-file commands (create, edit) show this editor.
void InstallConfigEditor();

}  // namespace qvr
