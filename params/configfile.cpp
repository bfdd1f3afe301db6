#include "params/configfile.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "common/bytes.h"
#include "common/codepage.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "params/gaslimits.h"

namespace {

using namespace cfgrec;

void Put(ConfigRecord* rec, size_t offset, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) rec->bytes[offset++] = b;
}

std::string Format(const char* fmt, const std::string& s) {
    std::vector<char> buf(std::strlen(fmt) + s.size() + 1);
    std::snprintf(buf.data(), buf.size(), fmt, s.c_str());
    return buf.data();
}

void ShowOpenError() {
    g_QuesKind = qvr::kQuesError;
    qvr::ShowQues("Ошибка открытия файла", "");
}

}  // namespace

void NewConfigRecord(ConfigRecord* rec) {
    std::memset(rec->bytes, 0, kSize);
    std::memset(rec->bytes + kName, ' ', kNameSize);
    rec->bytes[kTypeByte] = kControllerType;
    rec->bytes[kVersionByte] = kSoftwareVersion;
    Put(rec, kTable3, {1, 11, 3, 0});
    Put(rec, kTable6, {3, 201, 3, 10, 201, 4, 9, 1, 1, 0});
    Put(rec, kTable14, {1, 11, 1, 0, 150, 5, 9, 0});
    Put(rec, kTable15, {1, 11, 0, 0, 150, 5, 2, 0});
    Put(rec, kTable9, {1, 11, 5, 20, 3, 1, 0, 1});
    for (size_t i = 0; i < kFlowComputerCount; ++i)
        std::memset(rec->bytes + FlowComputerPassword(i), ' ', kFcPasswordSize);
    for (size_t i = 0; i < kUserCount; ++i) {
        uint8_t* u = rec->bytes + UserEntry(i);
        std::memset(u + kUserName, ' ', kUserNameSize);
        std::memset(u + kUserPassword, ' ', kUserPasswordSize);
        std::memset(u + kUserCode, ' ', kUserCodeSize);
    }
    // Written into the flow computers by default: nitrogen, carbon dioxide, density.
    rec->bytes[kTable21 + 7] = 1;
    rec->bytes[kTable21 + 9] = 1;
    rec->bytes[kTable21 + 12] = 1;
    for (int t = 0; t < 5; ++t) {
        uint8_t* p = rec->bytes + LimitTableOffset(22 + t);
        for (size_t i = 0; i < kGasParamCount; ++i) qvr::PutF32(p + 4 * i, GasParamLimitTables[t][i].def);
    }
    Put(rec, kTable28, {1, 0});
}

namespace qvr {

void EncodeConfigPasswords(ConfigRecord* rec) {
    for (size_t i = 0; i < kFlowComputerCount; ++i) {
        uint8_t* p = rec->bytes + FlowComputerPassword(i);
        for (size_t j = 0; j < kFcPasswordSize; ++j) p[j] = uint8_t((p[j] ^ 0xFF) + 5);
    }
}

void DecodeConfigPasswords(ConfigRecord* rec) {
    for (size_t i = 0; i < kFlowComputerCount; ++i) {
        uint8_t* p = rec->bytes + FlowComputerPassword(i);
        for (size_t j = 0; j < kFcPasswordSize; ++j) p[j] = uint8_t(uint8_t(p[j] - 5) ^ 0xFF);
    }
}

namespace {

// Reads and checks the file; data holds its bytes when the result is not OpenFailed.
ConfigLoadResult ReadChecked(const std::string& path, std::vector<uint8_t>& data) {
    // The record is the file's first 2601 bytes; a shorter file holds no whole record and
    // is refused before anything is taken from it.
    if (!ReadFileStart(path, kSize, data) || data.size() != kSize) return ConfigLoadResult::OpenFailed;
    if (data[kTypeByte] != kControllerType) return ConfigLoadResult::NotConfig;
    if (data[kVersionByte] != kSoftwareVersion) return ConfigLoadResult::WrongVersion;
    // The record has 16 flow-computer entries; a larger count would lead the table layer
    // past them.
    if (data[kFlowComputerNumber] > kFlowComputerCount) return ConfigLoadResult::BadFlowComputerCount;
    return ConfigLoadResult::Ok;
}

}  // namespace

ConfigLoadResult ReadConfigFile(const std::string& path, ConfigRecord* rec) {
    std::vector<uint8_t> data;
    const ConfigLoadResult r = ReadChecked(path, data);
    if (r != ConfigLoadResult::Ok) return r;
    std::memcpy(rec->bytes, data.data(), kSize);
    DecodeConfigPasswords(rec);
    return ConfigLoadResult::Ok;
}

bool LoadConfigFile(const std::string& path, ConfigRecord* rec) {
    std::vector<uint8_t> data;
    const std::string name = FileNameOnly(path);
    switch (ReadChecked(path, data)) {
    case ConfigLoadResult::Ok:
        std::memcpy(rec->bytes, data.data(), kSize);
        DecodeConfigPasswords(rec);
        return true;
    case ConfigLoadResult::OpenFailed:
        ShowOpenError();
        return false;
    case ConfigLoadResult::NotConfig:
        g_QuesKind = kQuesNotice;
        ShowQues(Format("Файл %s не является файлом конфигурации", name), "контроллера КВР");
        return false;
    case ConfigLoadResult::WrongVersion: {
        const int version = data[kVersionByte];
        char line2[96];
        std::snprintf(line2, sizeof line2, "для контроллера КВР с версией ПО %d", version);
        g_QuesKind = kQuesNotice;
        ShowQues(Format("Файл параметров конфигурации %s подготовлен", name), line2);
        return false;
    }
    case ConfigLoadResult::BadFlowComputerCount:
        g_QuesKind = kQuesInputError;
        ShowQues(Format("Файл %s:", name), "неверно задано количество вычислителей РГ");
        return false;
    }
    return false;
}

bool WriteConfigFile(const std::string& path, const ConfigRecord& rec, std::string* error) {
    ConfigRecord out;
    std::memcpy(out.bytes, rec.bytes, kSize);
    EncodeConfigPasswords(&out);
    return WriteFileAtomic(path, out.bytes, kSize, error);
}

bool StoreConfigFile(const std::string& path, const ConfigRecord& rec) {
    if (!WriteConfigFile(path, rec)) {
        ShowOpenError();
        return false;
    }
    g_QuesKind = kQuesNotice;
    ShowQues("Параметры конфигурации", Format("сохранены в файле %s", FileNameOnly(path)));
    return true;
}

std::string ConfigFolder() { return g_ProgDir + "CONFIG"; }

std::string ProposedConfigFileName(const ConfigRecord& rec, const std::tm& now) {
    std::string name(reinterpret_cast<const char*>(rec.bytes + kName), kNameSize);
    const size_t b = name.find_first_not_of(' ');
    name = b == std::string::npos ? std::string() : name.substr(b, name.find_last_not_of(' ') - b + 1);
    for (char& c : name)
        if (c == '/' || c == '\0') c = '_';
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "-%02d%02d%02d%02d%02d.cnf", now.tm_year + 1900 - 2000,
                  now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min);
    char head[16];
    std::snprintf(head, sizeof head, "qvr_%02d-", int(kSoftwareVersion));
    return head + WinToUtf8(name) + stamp;
}

SavePathDecision JudgeSavePath(const std::string& returned, const std::string& given) {
    SavePathDecision d{returned, false};
    if (returned == given) return d;
    if (!FileExists(returned)) {
        const std::string name = FileNameOnly(returned);
        if (name.find('.') == std::string::npos) d.path += ".cnf";
        // The completed path may name an existing file: that one needs the question too.
        if (d.path == given) return d;
    }
    d.askReplace = FileExists(d.path);
    return d;
}

}  // namespace qvr
