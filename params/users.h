// The controller's users table (table 4): 16 entries of 22 bytes, each a user name, an access
// level, a write password and an identification code. The controller takes a write only when
// its password and code belong to a registered user. Here: the entry layout, the rules a valid
// table satisfies (with the messages shown on refusal), and the change of one entry of a
// connected controller's table.
//
// Text fields hold Windows-1251 bytes, blank-padded, without a terminating zero.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t kUserEntrySize = 22;
constexpr int kUserCount = 16;
constexpr size_t kUsersBlockSize = kUserEntrySize * kUserCount;  // 352
// Where the 16 entries start in a configuration record.
constexpr size_t kConfigUsersOffset = 1941;

// Field offsets inside an entry.
constexpr size_t kUserNameAt = 0, kUserLevelAt = 4, kUserReservedAt = 5, kUserPasswordAt = 6, kUserCodeAt = 18;

// Access levels (index into UserLevelNames).
enum UserLevel : uint8_t {
    kLevelNone = 0,      // free entry
    kLevelMaker = 1,     // maker and commissioning engineer; exactly one
    kLevelAdmin = 2,
    kLevelEngineer = 3,
    kLevelOperator = 4,
};
constexpr int kUserLevelCount = 5;

struct UserEntry {
    char name[4];
    uint8_t accessLevel;
    uint8_t reserved;
    char writePassword[12];
    char idCode[4];
};

// Entry <-> its 22 bytes, field by field.
UserEntry UserEntryFromBytes(const uint8_t* p);
void UserEntryToBytes(const UserEntry& e, uint8_t* p);
// The 16 entries <-> the 352-byte block.
void UsersFromBytes(const uint8_t* block, UserEntry* users);
void UsersToBytes(const UserEntry* users, uint8_t* block);

// Copies text into a field of `width` bytes, blank-padded (cut when longer).
void PadField(char* field, size_t width, const std::string& text);
// A field without its leading and trailing blanks.
std::string TrimmedField(const char* field, size_t width);
bool IsBlankField(const char* field, size_t width);

// One refusal: the two lines of the message box (UTF-8).
struct UsersMessage {
    std::string line1, line2;
};

// The users table rules. Free entries (level 0) get a blank name, password and code and every
// entry a reserved byte of 0; then there must be exactly one level-1 user, and every user in
// use needs a name and a code that no later user shares. Returns true when the table is valid;
// otherwise the first refusal is in *message (when given).
bool CheckUsersTable(UserEntry* users, UsersMessage* message = nullptr);
// The same, showing a refusal in the message box (kind 2).
bool ValidateUsersTable(UserEntry* users);
// The same on a 352-byte block (a configuration record's users); the block gets the
// normalised entries.
bool ValidateUsersBlock(uint8_t* block);

// A change of one entry as the change form asks for it. Texts are Windows-1251.
struct UserChange {
    int index = 0;         // entry 0..15
    int level = 0;         // chosen access level 0..4
    std::string name;      // at most 4 characters
    std::string password, passwordConfirm;  // at most 12
    std::string code, codeConfirm;          // at most 4
};

enum class UserChangeOutcome {
    Done,              // users[index] holds the new values
    Refused,           // a rule refused it
    PasswordMismatch,  // the two passwords differ (the form empties both)
    CodeMismatch,      // the two codes differ (the form empties both)
};

struct UserChangeResult {
    UserChangeOutcome outcome = UserChangeOutcome::Refused;
    UsersMessage message;
};

// Applies a change to the 16 entries of a connected controller's table: the level-1 user
// keeps his level, no second level-1 user, the only administrator stays; level 0 deletes
// the entry without asking for a password; otherwise the passwords and the codes must match
// their confirmations, the code and the name must be given, and neither may equal another
// user's. users is changed only on Done.
UserChangeResult ApplyUserChange(UserEntry* users, const UserChange& change);
