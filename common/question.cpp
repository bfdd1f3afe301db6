#include "common/question.h"

#include <deque>

int32_t g_QuesKind = 0;
uint8_t g_QuesAnswer = 0;

namespace qvr {

namespace {

constexpr size_t kRecordLimit = 256;

QuesHandler& Handler() {
    static QuesHandler h;
    return h;
}
std::deque<uint8_t>& Queue() {
    static std::deque<uint8_t> q;
    return q;
}
std::deque<QuesBox>& Record() {
    static std::deque<QuesBox> r;
    return r;
}

const char* const kArchiveLine1 = "За время работы оператора изменились даты";
const char* const kArchiveLine2 = "самой старой  и последней записей в архиве.";

}  // namespace

QuesBox MakeQuesBox(int32_t kind, const std::string& text1, const std::string& text2) {
    QuesBox b;
    b.kind = kind;
    b.text1 = text1;
    b.text2 = text2;
    b.label1 = "Нет связи с устройством.";
    b.label2 = "Попробуйте установить параметры связи";
    switch (kind) {
        case 1:
            b.caption = "Ошибка";
            break;
        case 2:
            b.caption = "Ошибка ввода параметров";
            break;
        case 3:
        case 7:
        case 8:
        case 10:
            b.question = true;
            break;
        case 5:
            b.caption = "Результат обмена с устройством";
            break;
        default:
            break;
    }
    if (kind >= 1 && kind <= 11 && kind != 9 && kind != 10) {
        b.label1 = text1;
        b.label2 = text2;
    }
    switch (kind) {
        case 4:
            b.label3 = "(см. текущее состояние контроллера)";
            break;
        case 7:
            b.label3 = "Повторить попытку?";
            break;
        case 8:
            b.label3 = "Создавать суточный отчет?";
            break;
        case 9:
        case 10:
            b.label1 = kArchiveLine1;
            b.label2 = kArchiveLine2;
            b.label3 = text1;
            break;
        case 11:
            b.label3 = "Суточный сертификат не может быть создан";
            break;
        default:
            break;
    }
    return b;
}

void ShowQues(const std::string& text1, const std::string& text2) {
    QuesBox box = MakeQuesBox(g_QuesKind, text1, text2);
    auto& record = Record();
    record.push_back(box);
    while (record.size() > kRecordLimit) record.pop_front();

    g_QuesAnswer = 0;
    uint8_t answer = 0;
    auto& queue = Queue();
    if (box.question && !queue.empty()) {
        answer = queue.front();
        queue.pop_front();
    } else if (Handler()) {
        // Copy: the handler runs a modal loop, inside which another box may be shown
        // or the handler replaced.
        QuesHandler h = Handler();
        answer = h(box);
    }
    g_QuesAnswer = box.question && answer == 1 ? 1 : 0;
}

void ShowQues(const char* text1, const char* text2) {
    ShowQues(std::string(text1 ? text1 : ""), std::string(text2 ? text2 : ""));
}

void SetQuesHandler(QuesHandler handler) { Handler() = std::move(handler); }
bool HasQuesHandler() { return bool(Handler()); }

void QueueQuesAnswers(std::initializer_list<uint8_t> answers) {
    for (uint8_t a : answers) Queue().push_back(a);
}

size_t PendingQuesAnswers() { return Queue().size(); }

std::vector<QuesBox> ShownQues() { return {Record().begin(), Record().end()}; }

void ClearQuesRecord() {
    Record().clear();
    Queue().clear();
}

}  // namespace qvr
