// " Список объектов": the metering objects of the Excel reports in a grid with change,
// add, delete and the two sort orders. Works directly on ObjectList; a visit that does
// not end with "Принять" puts the list back as it was when the dialog was shown.
#pragma once
#include <QDialog>
#include <cstdint>

#include "app/rd_wr_ini.h"

class QPushButton;
class QTableWidget;
class QToolButton;

class TFormObjects_List : public QDialog {
    Q_OBJECT
public:
    explicit TFormObjects_List(QWidget* parent = nullptr);

    ObjectListRecord SavedObjectList{};  // ObjectList when the dialog was shown
    uint8_t Accepted = 0;

    QTableWidget* StringGrid1;
    QToolButton* SpeedButton1;  // order by name (in the name heading)
    QToolButton* SpeedButton2;  // order by address (in the address heading)
    QPushButton* BitBtn1;       // "Изменить"
    QPushButton* BitBtn2;       // "Добавить"
    QPushButton* BitBtn3;       // "Удалить"
    QPushButton* BitBtn4;       // "Принять"
    QPushButton* BitBtn5;       // "Отменить"

    void done(int r) override;

public slots:
    void FormShow();
    void ShowObjectList();
    void StringGrid1Click(int row);
    void StringGrid1DblClick(int row);
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void SpeedButton1Click();
    void SpeedButton2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void PlaceSortButtons();
    bool filling_ = false;
    bool shown_ = false;  // SavedObjectList holds the list of this visit
};
