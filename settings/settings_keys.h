// Every key of Corva.INF, one row each, in the order the program asks for
// them. The rows drive the reader (ReadSettings walks them), the defaults
// (ResetSettings is the same walk over no file) and what the settings checker
// knows about names, kinds, capacities, defaults and option bits. A plain key
// is added with one row here and its field in Settings.
#pragma once
#include <cstddef>
#include <cstdint>

enum SettingKind : unsigned char {
    SettingText,       // free text
    SettingWord,       // NoViewerCmdClickRetryShow: a word of RetryOffWords switches the retry off
    SettingSpecial,    // "program.exe,parameters", cut at the first comma
    SettingInt,        // integer by the profile rule
    SettingBits,       // integer used as option bits
    SettingWeight,     // integer clamped to 0..9 as soon as it is read
    SettingSeconds,    // a time in seconds: 0 and below keep the default (see FlagKeepsMinusOne)
    SettingColour,     // "red,green,blue"
    SettingPositionX,  // keyword, or a number with the matching y key (the next row)
    SettingPositionY,  // a number, read only after a numeric x key
    SettingCondition,  // condition expression
    SettingVersion,    // version bound
};

// What a text names on the medium, for the checker's file look-ups.
enum SettingFile : unsigned char {
    FileNothing,
    FileTarget,   // a document or program started through the shell
    FileBitmap,   // a BMP file loaded by the program
    FileSample,   // a viewer rule's sample file
    FileProgram,  // a program started for a missing viewer
};

// Where a row's value is stored: a field of Settings, or of the menu entry or
// viewer rule its number names (the numbered keys, "%d" in the name).
enum SettingPlace : unsigned char { PlaceSettings, PlaceMenu, PlaceViewer };

// How a row is read, beyond its kind. "Given" is the profile rule's: a read
// that returned at least one character.
enum SettingFlag : unsigned char {
    FlagHeap = 1,               // the field is a heap copy (HeapText), made when the value is given
    FlagHeapAlways = 2,         // the same, made also for an empty value
    FlagStopsList = 4,          // not given: the numbered list ends before this number
    FlagRequired = 8,           // not given: the list ends, and the number is kept in viewerMsgMissing
    FlagIfPreviousEmpty = 16,   // read only when the previous row was not given (into the same field)
    FlagIfPreviousGiven = 32,   // read only when the previous row was given; else its default
    FlagDefaultIfPreviousEmpty = 64,  // the default applies only when the previous row was not given
    FlagKeepsMinusOne = 128,    // SettingSeconds: -1 is kept (never), not replaced by the default
};

// A row's default: the text (or colour, as written in a file) of a text key,
// null for none; the number of an integer key.
union SettingDefault {
    constexpr SettingDefault(const char* value) : text(value) {}
    constexpr SettingDefault(int value) : number(value) {}
    const char* text;
    int32_t number;
};

struct SettingKey {
    const char* name;        // numbered keys hold "%d" where the number 1..10 goes
    SettingDefault def;      // a row with `from` takes that key's value instead
    uint32_t offset;         // of the field in Settings, MenuEntry or ViewerRule
    uint16_t capacity;       // characters including the terminator; 0 for integers
    SettingKind kind;
    SettingPlace place;
    SettingFile file;
    unsigned char flags;     // SettingFlag bits
    unsigned char validBits; // option bits the program uses (SettingBits only)
    unsigned char from;      // rows back to the key whose value is the default (the Msg* keys), or 0
};

extern const SettingKey kSettingKeys[];
extern const size_t kSettingKeyCount;

enum { kFirstSettingNumber = 1, kLastSettingNumber = 10 };

// The program's name as the popup's title and system menu give it.
#define CORVANE_PRODUCT_NAME "Corvane 3.2"

// Texts other layers fall back to when an author leaves a text empty; each is
// also its key's default in the table.
extern const char kDefaultDisplay[];         // Display: "Quarnsoft"
extern const char kDefaultTitle[];           // Title: "Corvane 3.2"
extern const char kDefaultInstallCaption[];  // NoViewerCmdClickText (and ViewerCmdClickText<n> when empty)
extern const char kDefaultExitCaption[];     // ExitMsg
extern const char kDefaultFace[];            // InfoFace (and so MsgFace)
extern const char kDefaultDoNotRepeatText[]; // DoNotRepeatText

// Finds the table row of a key name (case-insensitive, `length` bytes). For a
// numbered key `*number` receives its number, which may lie outside 1..10 (the
// reader never asks for those); a number with a leading zero is no match,
// since the reader writes numbers without one. Null when no row matches.
const SettingKey* FindSettingKey(const char* name, size_t length, int* number);

// Writes the key name of `key` for `number` (ignored for plain keys).
void SettingKeyName(const SettingKey& key, int number, char* out, size_t cap);
