// The one message and question box of the program. The caller sets g_QuesKind, calls
// ShowQues with two lines, and reads the answer from g_QuesAnswer (1 = Yes, 0 = No or any
// other way of closing). The box itself is drawn by a handler the GUI installs; tests
// queue answers and read back what was shown, without a person.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

extern int32_t g_QuesKind;    // kind of the next box, 1..11; kept after the call
extern uint8_t g_QuesAnswer;  // answer of the last box

namespace qvr {

// Kinds of box.
enum QuesKind : int32_t {
    kQuesError = 1,           // "Ошибка", OK
    kQuesInputError = 2,      // "Ошибка ввода параметров", OK
    kQuesQuestion = 3,        // Yes/No
    kQuesTableDestroyed = 4,  // third line points to the controller state, OK
    kQuesExchangeResult = 5,  // "Результат обмена с устройством", OK
    kQuesNotice = 6,          // OK
    kQuesRetry = 7,           // "Повторить попытку?", Yes/No
    kQuesDailyReport = 8,     // "Создавать суточный отчет?", Yes/No
    kQuesArchiveNotice = 9,   // archive bounds changed, text1 on the third line, OK
    kQuesArchiveQuestion = 10,// the same as a question, Yes/No
    kQuesCertificate = 11,    // "Суточный сертификат не может быть создан", OK
};

// Everything one box shows (UTF-8).
struct QuesBox {
    int32_t kind = 0;
    std::string text1, text2;  // the two lines the caller passed
    std::string caption;
    std::string label1, label2, label3;
    bool question = false;  // Yes and No shown (otherwise OK)
};

// The texts and buttons of a box of the given kind; a kind outside 1..11 shows the
// default two lines, an empty caption and OK.
QuesBox MakeQuesBox(int32_t kind, const std::string& text1, const std::string& text2);

// Shows a box of kind g_QuesKind and leaves the answer in g_QuesAnswer. Texts are UTF-8;
// a null pointer is an empty line.
void ShowQues(const char* text1, const char* text2);
void ShowQues(const std::string& text1, const std::string& text2);

// Draws a box and returns its answer (1 = Yes, 0 otherwise). The GUI installs one;
// without one every box answers 0.
using QuesHandler = std::function<uint8_t(const QuesBox&)>;
void SetQuesHandler(QuesHandler handler);
bool HasQuesHandler();

// Test hooks. Queued answers are taken, in order, by the next question boxes (Yes/No
// kinds) instead of the handler; message boxes always answer 0 and take none. Every box
// shown is recorded (the most recent 256 are kept).
void QueueQuesAnswers(std::initializer_list<uint8_t> answers);
size_t PendingQuesAnswers();
std::vector<QuesBox> ShownQues();
void ClearQuesRecord();  // forgets the record and any answers still queued

}  // namespace qvr
