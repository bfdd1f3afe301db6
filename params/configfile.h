// Configuration files: a ConfigRecord stored as it stands (2601 bytes, ".cnf", kept in
// the CONFIG folder of the program), except the flow-computer passwords, which the file
// holds transformed. Messages go through ShowQues; the file dialogs live in the GUI
// (params/ui/cnfcommands.h).
#pragma once
#include <ctime>
#include <string>

#include "common/fileutil.h"  // FileNameOnly
#include "params/configrecord.h"

// Fills the default record of a new file.
void NewConfigRecord(ConfigRecord* rec);

namespace qvr {

// The password transform of the file, applied to the 16 x 16 password bytes only:
// on save b -> ((b XOR 0xFF) + 5) mod 256, on load s -> ((s - 5) mod 256) XOR 0xFF.
void EncodeConfigPasswords(ConfigRecord* rec);
void DecodeConfigPasswords(ConfigRecord* rec);

// Outcome of reading a configuration file.
enum class ConfigLoadResult {
    Ok,
    OpenFailed,     // cannot be opened or read, or shorter than 2601 bytes
    NotConfig,      // record byte 2 is not 'I'
    WrongVersion,   // record byte 4 is not 13
    BadFlowComputerCount,  // more flow computers than the record has entries
};

// Reads the file into rec without showing anything; on Ok the passwords are decoded.
// On any other result rec is left unchanged.
ConfigLoadResult ReadConfigFile(const std::string& path, ConfigRecord* rec);

// Reads the file into rec and shows the message of a refusal; true when rec holds a
// valid record.
bool LoadConfigFile(const std::string& path, ConfigRecord* rec);

// Writes rec (passwords encoded in the file; rec itself is not changed) through a
// temporary file and a rename. No message. A failure leaves any old file whole.
bool WriteConfigFile(const std::string& path, const ConfigRecord& rec, std::string* error = nullptr);

// Writes rec and shows the outcome: "Параметры конфигурации" / "сохранены в файле %s"
// or "Ошибка открытия файла". true when written.
bool StoreConfigFile(const std::string& path, const ConfigRecord& rec);

// The CONFIG folder of the program (no trailing '/').
std::string ConfigFolder();

// The file name proposed for saving rec at the given local time:
// "qvr_13-<name>-YYMMDDhhmm.cnf", the controller name trimmed of blanks, converted to
// UTF-8, with characters that cannot stand in a file name ('/', NUL) replaced by '_'.
std::string ProposedConfigFileName(const ConfigRecord& rec, const std::tm& now);

// How a path returned by the save dialog is treated.
struct SavePathDecision {
    std::string path;     // the path to write (".cnf" appended to a new path without extension)
    bool askReplace;      // the path names an existing file: ask before replacing it
};
// given: the path the dialog was given; returned: the path it returned. A path equal to
// the given one is written without a question (the user already answered for it).
SavePathDecision JudgeSavePath(const std::string& returned, const std::string& given);

}  // namespace qvr
