// File helpers. Every file the program writes goes through WriteFileAtomic: the data go
// to a new file created exclusively, readable and writable by this user only, under a
// unique hidden name beside the file ("." + its name, cut where the name limit needs it, +
// a random part + ".tmp"; never an existing path, a symbolic link included), are written,
// given the file's mode, flushed and checked, and only then renamed over the file, and the
// folder is synced, so a failure leaves the old file whole and a finished save survives a
// power loss. A path that is a symbolic link stays one: the file it leads to is replaced.
// A link is followed as the system follows one: in a sticky folder that everyone may write
// to (/tmp), only a link owned by this user or by the folder's owner.
// Refused: a file whose mode has no write bit (read-only for every user, root included),
// one the system's access check denies this user, and anything but a regular file. A
// replaced file keeps its mode, and its owner and group where this user may set them; a
// new file gets what a plain create would give it (0666 less the umask).
//
// Every file the program reads is read only when it is a regular file: a FIFO, a device, a
// folder or anything else is refused at once, never opened for reading and never waited
// on, like a file that cannot be opened.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace qvr {

bool WriteFileAtomic(const std::string& path, const void* data, size_t size, std::string* error = nullptr);
inline bool WriteFileAtomic(const std::string& path, const std::string& data, std::string* error = nullptr) {
    return WriteFileAtomic(path, data.data(), data.size(), error);
}

// No file the program reads whole comes near this size; it keeps a runaway file from taking
// all memory.
constexpr size_t kWholeFileLimit = size_t(1) << 30;

// Reads a whole regular file; false when it is not one, cannot be opened or read, or holds
// more than maxSize bytes.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& data, size_t maxSize = kWholeFileLimit);
bool ReadWholeFile(const std::string& path, std::string& data, size_t maxSize = kWholeFileLimit);
// Reads at most the first `limit` bytes of a regular file (fewer when the file is shorter);
// false when it is not one or cannot be opened or read.
bool ReadFileStart(const std::string& path, size_t limit, std::vector<uint8_t>& data);
// Opens a regular file for reading ("rb"); nullptr (errno set) for anything else or when it
// cannot be opened.
std::FILE* OpenRegularFile(const std::string& path);

// Opens the working file of a read, made new each time: whatever stands at the path is
// removed (a symbolic link itself, never what it leads to), then a regular file is created
// exclusively, without following a link, readable and writable by this user only, and
// opened for writing and reading ("w+b"). nullptr (errno set) when either step fails; then
// `failedAt`, when given, names what refused, for FileFailureText(*failedAt, errno): the
// folder, with a trailing '/', when it is missing, on a read-only disk or this user may not
// change what it holds; else the file itself.
std::FILE* CreateWorkingFile(const std::string& path, std::string* failedAt = nullptr);

// Reads back the whole content of a file through the handle that wrote it (one from
// CreateWorkingFile), never through its name, which may lead to another file by then:
// what the handle holds is flushed, then the file is read from its start by position, so
// the handle's own position is left where it was and writing may go on. False (errno set;
// `data` empty) when the flush or the read fails, the handle cannot read, or the file holds
// more than maxSize bytes (EFBIG).
bool ReadBackWorkingFile(std::FILE* f, std::vector<uint8_t>& data, size_t maxSize = kWholeFileLimit);

// Creates a new, empty file beside `path` (in its folder) under a hidden name nobody holds
// yet, named as a save's temporary is: "." + the name of `path`, cut at a character
// boundary so that the whole stays within the system's limit for one name, + "." + 8
// random characters + ".tmp". Created exclusively (never through a symbolic link), readable
// and writable by this user only, opened for reading and writing. Returns the descriptor
// and sets `tmp` to the file's path; -1 (errno set) when it cannot be made.
int CreateTempFileBeside(const std::string& path, std::string& tmp);

// The second line of a notice that a file could not be made, opened, read or written: the
// file and the reason in the program's words, "datafile.hdm: нет доступа". The file is
// shown by its whole path when the line stays within kFailureTextChars characters, else by
// as much of the path's end as fits, from a folder boundary, after "…"; by its name when
// even "…/name" is too long, and by the end of the name after "…" when the name is. `err`
// is the errno value of the failure; ENOENT and ENOTDIR are read as a missing folder, as
// they are for a file being made. A path that ends in '/' names a folder: it is shown
// without that slash, and a refused access reads "нет доступа к папке".
constexpr size_t kFailureTextChars = 60;
std::string FileFailureText(const std::string& path, int err);

bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
bool MakeDir(const std::string& path);       // one level; true when it exists afterwards
bool RemoveFile(const std::string& path);    // true when it is gone afterwards
long long FileSize(const std::string& path); // -1 when missing

// The last component of a path: what follows the last '/' (the whole path without one).
// A backslash is an ordinary character of a file name here.
std::string FileNameOnly(const std::string& path);

// Folder of the running executable, with a trailing '/'.
std::string ExecutableDir();

}  // namespace qvr
