#pragma once
// The system's Save As dialog reaches the user through a replaceable interface, so tests can answer it.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace forms {

// One entry of the dialog's type list.
struct FileType {
    std::wstring description;  // "PNG-Bild (*.png)"
    std::wstring patterns;     // "*.png" or "*.jpg;*.jpeg"
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Asks for the name of a file to write, offering to replace an existing one only after asking.
    // typeIndex (0-based into types) is the type shown first and, on return, the one chosen.
    // Nothing when the user cancelled.
    virtual std::optional<std::wstring> AskSavePath(HWND owner, const std::wstring& title,
                                                    const std::wstring& suggestedName,
                                                    const std::vector<FileType>& types, int& typeIndex) = 0;
};

// The platform's GetSaveFileNameW.
FileDialogs& SystemFileDialogs();

// Replaces the dialogs for the rest of the run (tests); nullptr restores the system's.
void SetFileDialogs(FileDialogs* dialogs);

// Asks through the current dialogs.
std::optional<std::wstring> AskSavePath(HWND owner, const std::wstring& title, const std::wstring& suggestedName,
                                        const std::vector<FileType>& types, int& typeIndex);

}  // namespace forms
