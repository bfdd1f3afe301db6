#include "reports/printheading.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/fileutil.h"
#include "common/globals.h"

namespace qvr {

namespace {

struct KindTexts {
    const char* kind;
    const char* controller;
    char period;  // 'H' hours, 'D' days, 'S' seconds
};

const KindTexts kKinds[kPrintHeadingKindCount] = {
    {"Часовые измерительные данные хроматографа", "контроллерa КВР", 'H'},
    {"Суточные измерительные данные хроматографа", "контроллерa КВР", 'D'},
    {"Мгновенные данные хроматографа", "контроллерa  КВР", 'S'},
    {"Перечень диагностических сообщений", "контроллерa КВР", 'S'},
    {"Перечень сообщений о вмешательствах оператора", "в работу к контроллерa КВР", 'S'},
    {"Архив оценок качества калибровки хроматографа", "контроллерa КВР", 'S'},
    {"Часовые измерительные данные влагомера", "контроллерa КВР", 'H'},
    {"Суточные измерительные данные влагомера", "контроллерa КВР", 'D'},
    {"Мгновенные данные влагомера", "контроллерa  КВР", 'S'},
};
const KindTexts kUnknownKind = {"", "контроллерa КВР", 'S'};

const KindTexts& Texts(PrintHeadingKind kind) { return kind < kPrintHeadingKindCount ? kKinds[kind] : kUnknownKind; }

}  // namespace

std::string OrgTitlePath() { return IniFolderPath() + "title.ini"; }

void ReadOrgTitle(char name[kOrgTitleSize + 1]) {
    std::memset(name, 0, kOrgTitleSize + 1);
    std::vector<uint8_t> data;
    if (!ReadFileStart(OrgTitlePath(), kOrgTitleSize, data)) return;
    std::memcpy(name, data.data(), data.size());
}

bool WriteOrgTitle(const char name[kOrgTitleSize + 1]) {
    char bytes[kOrgTitleSize] = {};
    std::memcpy(bytes, name, kOrgTitleSize);
    MakeDir(IniFolderPath());
    return WriteFileAtomic(OrgTitlePath(), bytes, kOrgTitleSize);
}

const char* PrintHeadingKindText(PrintHeadingKind kind) { return Texts(kind).kind; }
const char* PrintHeadingControllerLine(PrintHeadingKind kind) { return Texts(kind).controller; }

std::string PrintHeadingPeriodLine(PrintHeadingKind kind, const uint8_t s[6], const uint8_t e[6]) {
    char buf[160];
    switch (Texts(kind).period) {
    case 'H':
        std::snprintf(buf, sizeof buf, "за период  с  %02d.%02d.%02d  %02dч  по  %02d.%02d.%02d  %02dч", s[2], s[1],
                      s[0], s[3], e[2], e[1], e[0], e[3]);
        break;
    case 'D':
        std::snprintf(buf, sizeof buf, "за период  с  %02d.%02d.%02d  по  %02d.%02d.%02d", s[2], s[1], s[0], e[2], e[1],
                      e[0]);
        break;
    default:
        std::snprintf(buf, sizeof buf,
                      "за период  с  %02d.%02d.%02d  %02d:%02d:%02d  по  %02d.%02d.%02d  %02d:%02d:%02d", s[2], s[1],
                      s[0], s[3], s[4], s[5], e[2], e[1], e[0], e[3], e[4], e[5]);
        break;
    }
    return buf;
}

}  // namespace qvr
