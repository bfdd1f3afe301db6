// "Состояние таблиц параметров конфигурации": for every configuration table whether the
// controller reports it destroyed, the choice of tables to rewrite from a configuration
// file, and the reset of the controller's non-volatile data (function 25).
#pragma once
#include <QDialog>
#include <cstdint>

#include "common/uihooks.h"
#include "link/conffun.h"

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;

class TFormTableInfo : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRowSlots = 50;

    explicit TFormTableInfo(QWidget* owner = nullptr);

    // Set by the caller before showing: the buffer (present and destroyed filled; the form
    // fills toWrite) and the status bar that shows the link after a reset.
    TableStateBuffer* State = nullptr;
    qvr::IStatusBar* StatusBar = nullptr;
    // 0 nothing chosen, 1 chosen tables, 2 all tables, 3 non-volatile data reset.
    uint8_t Result = 0;
    int RowSlots = 0;     // row panels prepared
    int VisibleRows = 0;  // rows shown without scrolling

    void FormCreate();
    // Size, rows and buttons; runs when the window is shown.
    void FormShow();

    // Rows in use after FormShow.
    int RowCount() const { return rows_; }

    QScrollArea* ScrollBox1;
    QWidget* RowsHost;            // the scrolled content
    QFrame* pn[kRowSlots];        // row panels pn1..pn50
    QLabel* pnCaption[kRowSlots]; // " Табл. %2d.  <name>"
    QLabel* pw[kRowSlots];        // destroyed column: "Да" / "Нет"
    QCheckBox* cb[kRowSlots];     // write column
    QLabel* HeaderDestroyed;
    QLabel* HeaderWrite;
    QPushButton* BitBtn1;  // "Записать все таблицы"
    QPushButton* BitBtn2;  // "Выход"
    QPushButton* BitBtn3;  // "Записать избранные таблицы"
    QPushButton* BitBtn4;  // "Сбросить энергонезависимые данные"

public slots:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildRows();
    void EnableButtons();
    // toWrite for the date-time table and the user table: only when destroyed.
    void LimitClockAndUsers();

    int rows_ = 0;
    int firstDestroyedRow_ = 0;  // 1-based, 0 for none
};
