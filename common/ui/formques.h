// The message and question box behind ShowQues: a caption, three centred lines and either
// an OK button or No and Yes, sized to its longest line. Each call of ShowQues builds its
// own box and destroys it on return, so a second box raised by a timer while one is up
// never touches the first.
#pragma once
#include <QDialog>
#include <cstdint>

#include "common/question.h"

class QFrame;
class QLabel;
class QPushButton;

class TFormQues : public QDialog {
    Q_OBJECT
public:
    explicit TFormQues(QWidget* parent = nullptr);

    // Caption, lines and buttons of a box (see qvr::MakeQuesBox).
    void Fill(const qvr::QuesBox& box);
    // Sizes the window to its text and places the labels and buttons.
    void FormShow();
    // 1 after Yes, 0 after No, OK or any other way of closing.
    uint8_t Answer() const { return answer_; }

    QFrame* Panel1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* BitBtn1;  // Yes
    QPushButton* BitBtn2;  // No (Esc)
    QPushButton* BitBtn3;  // OK

    static constexpr int kButtonWidth = 75;
    static constexpr int kButtonHeight = 25;

public slots:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    uint8_t answer_ = 0;
    bool laidOut_ = false;
};

namespace qvr {

// Shows one box modally and returns its answer.
uint8_t RunQuesForm(const QuesBox& box);

// Makes ShowQues draw its boxes with TFormQues. The main window calls this at start-up.
void InstallQuesFormHandler();

}  // namespace qvr
