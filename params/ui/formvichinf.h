// The state of the controller's exchange with each flow computer: its address, whether the
// link is present and whether gas parameters are being written into it. Rows for the
// flow computers of table 9 field 0 of the image (at most 16); the caller fills the block
// (ReadFlowComputerStates) before showing the window.
#pragma once
#include <QDialog>
#include <cstdint>

#include "params/flowcomputers.h"

class QLabel;
class QPushButton;

class TFormVichInf : public QDialog {
    Q_OBJECT
public:
    explicit TFormVichInf(QWidget* parent = nullptr);

    const FlowComputerStateBlock* States = nullptr;

    // Fills and shows rows 1..n and sizes the window; runs when shown.
    void FormShow();
    int VisibleRows() const { return rows_; }

    // Row cells: address, link ("Есть" / "Нет" in red), writing ("Записываются" /
    // "Не записываются" in red).
    QLabel* Address[kFlowComputerMax];
    QLabel* Link[kFlowComputerMax];
    QLabel* Writing[kFlowComputerMax];
    QPushButton* BitBtn1;  // "Выход"

public slots:
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    int rows_ = 0;
};
