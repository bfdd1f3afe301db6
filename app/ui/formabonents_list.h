// The telephone or Ethernet subscriber directory as a grid: add, change, delete, sort.
// The form works on its own copies; "Принять" hands the edited directory of the current
// link kind back to the settings.
#pragma once
#include <QDialog>
#include <cstdint>

#include "app/rd_wr_ini.h"

class QPushButton;
class QTableWidget;
class QToolButton;

class TFormAbonents_List : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbonents_List(QWidget* parent = nullptr);

    // Working copies of both directories.
    PhoneSubscriberList FonList{};
    EthSubscriberList EthrList{};
    uint8_t Changed = 0;  // 1 after "Принять": the directory of the kind was replaced

    QTableWidget* StringGrid1;
    QToolButton* SpeedButton1;  // order by name (on the name heading)
    QToolButton* SpeedButton2;  // order by number / address (on the fourth heading)
    QPushButton* BitBtn1;       // "Принять"
    QPushButton* BitBtn2;       // "Отменить"
    QPushButton* BitBtn3;       // "Добавить"
    QPushButton* BitBtn4;       // "Изменить"
    QPushButton* BitBtn5;       // "Удалить"

    // Head of the working directory of the current kind.
    SubscriberListHead& Head();

public slots:
    void FormShow();
    void FillGrid();
    void StringGrid1Click(int row);
    void StringGrid1DblClick(int row);
    void BitBtn1Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void SpeedButton1Click();
    void SpeedButton2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool Phone() const;
    void PlaceSortButtons();
    bool filling_ = false;
};
