// "Признаки наличия нештатных ситуаций, связанных с работой хроматографа": the status of
// one chromatograph archive record in words. The archive views set the inputs and the
// caption, show it modally and delete it.
#pragma once
#include <QDialog>
#include <cstdint>

class QFrame;
class QLabel;
class QPushButton;

class TFormChromError : public QDialog {
    Q_OBJECT
public:
    explicit TFormChromError(QWidget* owner = nullptr);

    uint8_t Mode = 0;              // 0 5-minute record, 1 hourly or daily record
    uint8_t StatusWord[2] = {};    // bytes 7 and 8 of a 5-minute record, low byte first
    uint8_t StatusByte = 0;

    void FormCreate();
    // Builds the texts and sizes the form from the inputs.
    void FormShow();

    QLabel* LabelByteHeading;      // "  Статус контроллера: 0x.."
    QFrame* PanelByte;             // up to seven lines
    QLabel* ByteLines[7];
    QLabel* LabelWordHeading;      // "  Статус хроматографа: 0x...."
    QFrame* PanelWord;             // up to sixteen lines
    QLabel* WordLines[16];
    QPushButton* BitBtn2;          // "Выход"

public slots:
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;
};
