#pragma once
// Seams and helpers every test program shares: scripted message boxes and popup menus,
// temporary folders and small files.

#include <windows.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/file_dialog.h"
#include "forms/message_box.h"
#include "forms/popup_menu.h"

namespace testsupport {

// Installs the scripted prompter, menu presenter and file dialogs below for the whole run.
void InstallTestSeams();

struct ShownMessage {
    HWND owner;
    std::wstring text;
    std::wstring title;
    UINT flags;
};

// Answers message boxes from a queue (IDOK when empty) and records what was shown.
// An optional hook runs while the "box" is up, to let tests look at the program in that state.
class ScriptedPrompter : public forms::Prompter {
public:
    int Show(HWND owner, const std::wstring& text, const std::wstring& title, UINT flags) override;
    std::vector<ShownMessage> shown;
    std::deque<int> answers;
    std::function<void()> whileShown;
    void Reset();
};
ScriptedPrompter& Prompter();

// Chooses popup-menu items from a queue (0, nothing, when empty) and records each menu shown.
class ScriptedMenuPresenter : public forms::MenuPresenter {
public:
    UINT Track(HMENU menu, HWND owner, POINT screenPoint) override;
    // Items are given by caption; the presenter finds the command id.
    std::deque<std::wstring> choices;
    std::vector<std::vector<std::wstring>> shownMenus;  // the captions of each menu's top level
    std::vector<std::wstring> checked;                  // items with a check mark or dot in the last menu, submenus too
    std::vector<std::wstring> disabled;                 // greyed items of the last menu, submenus too
    void Reset();
};
ScriptedMenuPresenter& MenuPresenter();

struct SaveAsking {
    HWND owner;
    std::wstring title;
    std::wstring suggestedName;
    std::vector<forms::FileType> types;
    int typeIndex;  // the type shown first
};

// Answers Save As dialogs from a queue (cancel when empty) and records what was asked.
class ScriptedFileDialogs : public forms::FileDialogs {
public:
    struct Answer {
        std::optional<std::wstring> path;  // nothing: the user cancelled
        int typeIndex = 0;                 // the type the user chose
    };
    std::optional<std::wstring> AskSavePath(HWND owner, const std::wstring& title, const std::wstring& suggestedName,
                                            const std::vector<forms::FileType>& types, int& typeIndex) override;
    std::deque<Answer> answers;
    std::vector<SaveAsking> asked;
    void Reset();
};
ScriptedFileDialogs& FileDialogs();

// A fresh folder under the temporary folder, removed with everything in it on destruction.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& Path() const { return path_; }  // ends in "\"
    std::wstring operator/(const std::wstring& name) const { return path_ + name; }

private:
    std::wstring path_;
};

// Writes bytes to a file, creating or replacing it.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// Reads a whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
// Removes a folder tree (attributes cleared first).
void RemoveTree(const std::wstring& path);

// A folder as the lists show it: no trailing backslash except after a drive ("C:\\").
std::wstring WithoutBackslash(std::wstring path);
// The name the file system itself gives a path (real letter case, long names); empty when it is not there.
std::wstring LongPath(const std::wstring& path);

// The program of this build: Quadrino.exe in the folder above the one that holds this test program.
std::wstring BuiltProgram();

}  // namespace testsupport
