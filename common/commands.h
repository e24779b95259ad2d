#pragma once
// The Commands module: the shared routines and program-wide variables every window uses.

#include <windows.h>

#include <cstdint>
#include <string>

// <windows.h> maps DeleteFile to DeleteFileW; the program's own routine of that name wins here.
#ifdef DeleteFile
#undef DeleteFile
#endif

namespace forms {
class Form;
class PictureBox;
class SelectableList;
}  // namespace forms

namespace Commands {

// Program-wide variables.
extern std::wstring AppPath;        // folder of the program file, ends in "\"
extern std::wstring AppTitle;       // "Brenwick Quadrino"
extern std::wstring StartFile;      // long form of the command-line image, or empty
extern std::wstring CrLf;           // carriage return, line feed
extern std::wstring CurrentFolder;  // folder of the image last chosen, ends in "\"
extern std::wstring CurrentFile;    // file name of that image
extern std::wstring TilesFolder;    // the collection folder, AppPath followed by "Tiles\"

// Kinds of ShowMessage, by the icon they show.
constexpr std::int16_t kMsgInformation = 1;
constexpr std::int16_t kMsgWarning = 2;
constexpr std::int16_t kMsgError = 3;
constexpr std::int16_t kMsgQuestion = 4;

// Modes of FilterKey: what a text box lets through.
constexpr std::int16_t kFilterName = 1;     // characters a file name may hold
constexpr std::int16_t kFilterNumber = 2;   // digits, comma, point and the colon after the 9
constexpr std::int16_t kFilterLetters = 3;  // letters A to Z only
constexpr std::int16_t kFilterHex = 4;      // hexadecimal digits, made upper case
constexpr std::int16_t kFilterUpper = 5;    // anything, letters made upper case
constexpr std::int16_t kFilterLower = 6;    // anything, letters made lower case

// Character codes of the editing keys a text box receives.
constexpr std::int16_t kKeyCopy = 3;  // Ctrl+C
constexpr std::int16_t kKeyBackspace = 8;
constexpr std::int16_t kKeyEnter = 13;
constexpr std::int16_t kKeyPaste = 22;  // Ctrl+V
constexpr std::int16_t kKeyEscape = 27;

// Path, name and key-input strings.
void AddBackslash(std::wstring& path);
std::wstring GetParentPath(const std::wstring& path);
std::wstring GetFileName(const std::wstring& path);
std::wstring GetExtension(const std::wstring& name);
std::wstring GetBaseName(const std::wstring& name);
void FilterKey(std::int16_t& keyCode, std::int16_t mode);

// File system.
bool FileExists(const std::wstring& path);
void DeleteFile(const std::wstring& path);
bool FolderExists(std::wstring path);
bool MakeFolderPath(std::wstring& path);
std::wstring GetLongName(std::wstring path);

// Program environment.
void InitEnvironment();
void InitProgramFiles();

// Messages and window placement.
void ShowMessage(const std::wstring& text, std::int16_t kind, std::wstring& title);
void CenterForm(forms::Form& form);
void SetTopMost(forms::Form& form);
void SetAlwaysOnTop(forms::Form& form, bool state);

// Where CenterForm puts a form of the given size on a screen of the given size (any one unit).
struct Placement {
    long left;
    long top;
};
Placement CenterPosition(double screenWidth, double screenHeight, double formWidth, double formHeight);

// Tile preview and lists.
void TilePicture(forms::PictureBox& target, forms::PictureBox& source);
void SelectListEntry(forms::SelectableList& list, const std::wstring& name);

}  // namespace Commands
