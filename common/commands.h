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
