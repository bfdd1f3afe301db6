// "Установка связи с устройством": link kind, controller address or subscriber, link
// parameters and directory, and "Связаться", which stores the settings, sets up the
// exchange engine and opens the COM port or the TCP connection.
//
// The connection sequence creates it with the main window's status bar, runs it modally,
// reads Connected and deletes it. The main window's second and third status bars are
// g_StatusBar2 and g_StatusBar3 (shown for the telephone and Ethernet links).
#pragma once
#include <QDialog>
#include <cstdint>

#include "common/uihooks.h"

class QComboBox;
class QFrame;
class QPushButton;

class TFormConnect : public QDialog {
    Q_OBJECT
public:
    explicit TFormConnect(qvr::IStatusBar* statusBar = nullptr, QWidget* parent = nullptr);

    qvr::IStatusBar* StatusBar;  // where the link is described
    uint8_t Connected = 0;       // 1 when the link was opened

    QComboBox* ComboBox3;  // link kind
    QComboBox* ComboBox1;  // controller address 1..255 (typed or chosen)
    QFrame* pn_abon;
    QComboBox* ComboBox2;  // subscribers, then "Новый абонент"
    QPushButton* SpeedButton1;  // subscriber directory
    QPushButton* BitBtn1;  // "Связаться"
    QPushButton* BitBtn2;  // "Выход"
    QPushButton* BitBtn3;  // "Изменить параметры связи"

public slots:
    void FormShow();
    void ComboBox3Change();
    void ComboBox2Change();
    void SpeedButton1Click();
    void BitBtn1Click();
    void BitBtn3Click();
    // The Ethernet part of "Связаться"; true when connected.
    bool ConnectEthernet();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FillSubscribers();
    void SetSubscriberSelection();
    int Users() const;
    int UserIndex() const;
    bool SubscriberSelected() const;
    void ShowBars(bool on);
};
