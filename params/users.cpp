#include "params/users.h"

#include <cstdio>
#include <cstring>

#include "common/question.h"

UserEntry UserEntryFromBytes(const uint8_t* p) {
    UserEntry e;
    std::memcpy(e.name, p + kUserNameAt, 4);
    e.accessLevel = p[kUserLevelAt];
    e.reserved = p[kUserReservedAt];
    std::memcpy(e.writePassword, p + kUserPasswordAt, 12);
    std::memcpy(e.idCode, p + kUserCodeAt, 4);
    return e;
}

void UserEntryToBytes(const UserEntry& e, uint8_t* p) {
    std::memcpy(p + kUserNameAt, e.name, 4);
    p[kUserLevelAt] = e.accessLevel;
    p[kUserReservedAt] = e.reserved;
    std::memcpy(p + kUserPasswordAt, e.writePassword, 12);
    std::memcpy(p + kUserCodeAt, e.idCode, 4);
}

void UsersFromBytes(const uint8_t* block, UserEntry* users) {
    for (int i = 0; i < kUserCount; ++i) users[i] = UserEntryFromBytes(block + size_t(i) * kUserEntrySize);
}

void UsersToBytes(const UserEntry* users, uint8_t* block) {
    for (int i = 0; i < kUserCount; ++i) UserEntryToBytes(users[i], block + size_t(i) * kUserEntrySize);
}

void PadField(char* field, size_t width, const std::string& text) {
    std::memset(field, ' ', width);
    std::memcpy(field, text.data(), std::min(width, text.size()));
}

std::string TrimmedField(const char* field, size_t width) {
    size_t b = 0, e = width;
    while (b < e && field[b] == ' ') ++b;
    while (e > b && field[e - 1] == ' ') --e;
    return std::string(field + b, e - b);
}

bool IsBlankField(const char* field, size_t width) {
    for (size_t i = 0; i < width; ++i)
        if (field[i] != ' ') return false;
    return true;
}

namespace {

std::string Format(const char* fmt, int a, int b = 0) {
    char buf[100];
    std::snprintf(buf, sizeof buf, fmt, a, b);
    return buf;
}

bool Refuse(UsersMessage* m, std::string l1, std::string l2) {
    if (m) *m = {std::move(l1), std::move(l2)};
    return false;
}

void ShowInputError(const UsersMessage& m) {
    g_QuesKind = qvr::kQuesInputError;
    qvr::ShowQues(m.line1, m.line2);
}

void ClearEntry(UserEntry& e) {
    std::memset(e.name, ' ', sizeof e.name);
    std::memset(e.writePassword, ' ', sizeof e.writePassword);
    std::memset(e.idCode, ' ', sizeof e.idCode);
}

}  // namespace

bool CheckUsersTable(UserEntry* users, UsersMessage* m) {
    int makers = 0;
    for (int i = 0; i < kUserCount; ++i) {
        UserEntry& e = users[i];
        if (e.accessLevel == kLevelNone) ClearEntry(e);
        e.reserved = 0;
        if (e.accessLevel == kLevelMaker) ++makers;
    }
    if (makers == 0)
        return Refuse(m, "В списке зарегистрированных пользователей", "не зарегистрирован производитель-наладчик");
    if (makers > 1) return Refuse(m, "Может быть зарегистрирован", "только один производитель-наладчик");
    for (int i = 0; i < kUserCount; ++i) {
        const UserEntry& e = users[i];
        if (e.accessLevel == kLevelNone) continue;
        if (IsBlankField(e.name, 4))
            return Refuse(m, Format("Номер пользователя в таблице: %d.", i + 1), "Не задано имя пользователя");
        if (IsBlankField(e.idCode, 4) || e.idCode[0] == 0)
            return Refuse(m, Format("Номер пользователя в таблице: %d.", i + 1),
                          "Не задан код идентификации пользователя");
        for (int j = i + 1; j < kUserCount; ++j) {
            if (std::memcmp(e.name, users[j].name, 4) == 0)
                return Refuse(m, Format("Пользователи   %d и %d.", i + 1, j + 1), "Совпадение имен пользователей");
            if (std::memcmp(e.idCode, users[j].idCode, 4) == 0)
                return Refuse(m, Format("Пользователи   %d и %d.", i + 1, j + 1),
                              "Совпадение кодов идентификации пользователя");
        }
    }
    return true;
}

bool ValidateUsersTable(UserEntry* users) {
    UsersMessage m;
    if (CheckUsersTable(users, &m)) return true;
    ShowInputError(m);
    return false;
}

bool ValidateUsersBlock(uint8_t* block) {
    UserEntry users[kUserCount];
    UsersFromBytes(block, users);
    bool ok = ValidateUsersTable(users);
    UsersToBytes(users, block);
    return ok;
}

UserChangeResult ApplyUserChange(UserEntry* users, const UserChange& c) {
    UserChangeResult r;
    auto refuse = [&](std::string l1, std::string l2, UserChangeOutcome o = UserChangeOutcome::Refused) {
        r.outcome = o;
        r.message = {std::move(l1), std::move(l2)};
        return r;
    };
    if (c.index < 0 || c.index >= kUserCount || c.level < 0 || c.level >= kUserLevelCount)
        return refuse("Номер пользователя в таблице - " + std::to_string(c.index + 1) + ".", "Не задано имя пользователя");

    int makerRow = 255, admins = 0, lastAdmin = -1;
    for (int k = 0; k < kUserCount; ++k) {
        if (users[k].accessLevel == kLevelMaker) makerRow = k;
        if (users[k].accessLevel == kLevelAdmin) ++admins, lastAdmin = k;
    }
    const int i = c.index, L = c.level;
    if (i == makerRow && L != kLevelMaker)
        return refuse("Вы не можете удалить пользователя", "с уровнем доступа \"Производитель-наладчик\"");
    if (i != makerRow && L == kLevelMaker)
        return refuse("Может быть зарегистрирован", "только один производитель-наладчик");
    if (admins == 1 && i == lastAdmin && L != kLevelAdmin)
        return refuse("Вы не можете удалить единственного пользователя", "с уровнем доступа \"Администратор\"");

    if (L == kLevelNone) {
        users[i].accessLevel = kLevelNone;
        ClearEntry(users[i]);
        r.outcome = UserChangeOutcome::Done;
        return r;
    }

    if (c.password != c.passwordConfirm)
        return refuse("Несовпадение введенных паролей", "Повторите процесс сначала", UserChangeOutcome::PasswordMismatch);
    if (c.code != c.codeConfirm)
        return refuse("Несовпадение введенных кодов", "Повторите процесс сначала", UserChangeOutcome::CodeMismatch);
    UserEntry e = users[i];
    PadField(e.idCode, 4, c.code);
    PadField(e.name, 4, c.name);
    if (IsBlankField(e.idCode, 4)) return refuse("Не задан код идентификации пользователя", "");
    if (IsBlankField(e.name, 4))
        return refuse("Номер пользователя в таблице - " + std::to_string(i + 1) + ".", "Не задано имя пользователя");
    e.accessLevel = uint8_t(L);
    PadField(e.writePassword, 12, c.password);

    for (int k = 0; k < kUserCount; ++k) {
        if (k == i) continue;
        if (std::memcmp(e.name, users[k].name, 4) == 0)
            return refuse(Format("Пользователи   %d и % d.", i + 1, k + 1), "Совпадение имен пользователей");
        // Codes are compared with the users in use too, so that the table stays one the
        // table rules accept (free entries are blanked by those rules).
        if (users[k].accessLevel != kLevelNone && std::memcmp(e.idCode, users[k].idCode, 4) == 0)
            return refuse(Format("Пользователи   %d и % d.", i + 1, k + 1),
                          "Совпадение кодов идентификации пользователя");
    }
    users[i] = e;
    r.outcome = UserChangeOutcome::Done;
    return r;
}
