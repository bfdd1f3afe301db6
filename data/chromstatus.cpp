#include "data/chromstatus.h"

#include <cstdio>

namespace qvr {

const char* const ChromStatusWordTexts[16] = {
    " Неудачная автокалибровка",
    " Сумма ненормализованных параметров вне доп. пределов",
    " Ошибка ОЗУ",
    " Время удержания этана не в норме",
    " Ошибка связи",
    " Сбой часов реального времени",
    " Разряд батареи",
    " Хроматограф не отвечает",
    " Превышено рекомендуемое кол. анализов без ремонта",
    " Высота пика хроматограммы выше допускаемой",
    " Давление газа-носителя неуправляемо",
    " Температура термостата нестабильна",
    " Ошибка базовой линии хроматограммы",
    " Давление газа-носителя не в норме",
    " Слишком высокая температура термостата",
    " Не поступают данные от хроматографа",
};

const char* const kChromUnitWord = "хроматографом";

namespace {

struct BitText {
    uint8_t bit;
    const char* text;
    bool withUnitWord;
};

// Lines of the status byte in the order they are listed; bits 0x04 (both kinds) and 0x01,
// 0x80 (means) have none.
const BitText kMomentBits[] = {
    {0x01, "Выполнялась ручная калибровка хроматографа", false},
    {0x02, "Контроллер был выключен", false},
    {0x08, "Нештатное состояние хроматографа", false},
    {0x10, "Значение вышло за допускаемые пределы", false},
    {0x20, "Не было связи с", true},
    {0x40, "Хроматограф не обновил данные", false},
    {0x80, "Выполнялась калибровка автоматическая хроматографа", false},
};
const BitText kHourDayBits[] = {
    {0x02, "Нет данных - контроллер был выключен", false},
    {0x08, "Использовалась ЗПЗ - был нештатный режим работы хроматографа", false},
    {0x10, "Использовалась ЗПЗ - значение выходило за допускаемые пределы", false},
    {0x20, "Использовалась ЗПЗ - не было связи с", true},
    {0x40, "Использовалась ЗПЗ - хроматограф не обновил данные", false},
};

template <size_t N>
void ByteLines(uint8_t status, const BitText (&bits)[N], std::vector<std::string>& out) {
    if (status == 0) {
        out.push_back("Норма");
        return;
    }
    for (const BitText& b : bits) {
        if (!(status & b.bit)) continue;
        std::string line = b.text;
        if (b.withUnitWord) line += std::string(" ") + kChromUnitWord;
        out.push_back(std::move(line));
    }
}

}  // namespace

ChromStatusText DecodeChromStatus(uint8_t mode, uint8_t statusByte, const uint8_t* statusWord) {
    ChromStatusText t;
    char buf[64];
    std::snprintf(buf, sizeof buf, "  Статус контроллера: 0x%02X", statusByte);
    t.byteHeading = buf;
    if (mode != kChromStatusMoment) {
        ByteLines(statusByte, kHourDayBits, t.byteLines);
        return t;
    }
    ByteLines(statusByte, kMomentBits, t.byteLines);
    // With the controller off or no link the chromatograph's word means nothing.
    if (statusByte & 0x22) return t;
    const uint8_t low = statusWord ? statusWord[0] : 0;
    const uint8_t high = statusWord ? statusWord[1] : 0;
    t.wordShown = true;
    std::snprintf(buf, sizeof buf, "  Статус хроматографа: 0x%02X%02X", high, low);
    t.wordHeading = buf;
    const unsigned word = unsigned(low) | (unsigned(high) << 8);
    if (word == 0) {
        t.wordLines.push_back("Норма");
    } else {
        for (int k = 0; k < 16; ++k)
            if (word & (1u << k)) t.wordLines.push_back(ChromStatusWordTexts[k]);
    }
    return t;
}

std::string ChromStatusCaptionMoment(const uint8_t* r) {
    char buf[128];
    std::snprintf(buf, sizeof buf, " Мгновенные 5-минутные данные (%02d.%02d.%02d  %02d:%02d:%02d)", r[2], r[1], r[0],
                  r[3], r[4], r[5]);
    return buf;
}

std::string ChromStatusCaptionHourDay(const uint8_t* r, bool daily) {
    char buf[160];
    if (!daily) {
        std::snprintf(buf, sizeof buf, " Часовые данные с %02d.%02d.%02d %02d:%02d:%02d по %02d:%02d:%02d", r[2], r[1],
                      r[0], r[3], r[4], r[5], r[6], r[7], r[8]);
    } else if (r[6] & 0x80) {
        std::snprintf(buf, sizeof buf, " Суточные данные с %02d.%02d.%02d %02d:%02d:%02d по %02d:%02d:%02d", r[2], r[1],
                      r[0], r[3], r[4], r[5], r[6] & 0x7F, r[7], r[8]);
    } else {
        std::snprintf(buf, sizeof buf, " Суточные данные с %02d.%02d.%02d %02d:%02d:%02d по %02d:%02d:%02d*", r[2], r[1],
                      r[0], r[3], r[4], r[5], r[6], r[7], r[8]);
    }
    return buf;
}

}  // namespace qvr
