#pragma once
// The folder list: the levels of the current path from the drive's root down (open folders,
// indented), then the subfolders of the current folder (closed folders).

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/control.h"

namespace forms {

class DirList : public Control {
public:
    bool Create(HWND parent, const forms::Bounds& bounds);

    // The current folder: a full path without trailing backslash, except a drive's root ("C:\").
    std::wstring Path() const { return path_; }
    // Opens a folder. A bare drive ("C:", or a drive list's text such as "c: [System]") opens
    // the drive's root. Raises onChange when the current folder changed. False, with the list
    // unchanged, when the folder cannot be read (missing, drive not ready, not a folder).
    bool SetPath(const std::wstring& path);

    int ListCount() const;
    std::wstring List(int index) const;  // the full path of entry index
    std::wstring Label(int index) const;  // what entry index shows ("c:\" for a root, else the name)
    int Level(int index) const;           // its indentation: 0 for the root
    int ListIndex() const;

    std::function<void()> onChange;  // the current folder changed

protected:
    bool OnCommand(WORD code) override;
    bool OnDrawItem(DRAWITEMSTRUCT* item) override;
    bool OnMeasureItem(MEASUREITEMSTRUCT* item) override;
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    struct Entry {
        std::wstring path;   // full path
        std::wstring label;  // what the list shows
        int level = 0;       // indentation
        bool open = false;   // a level of the current path
    };
    void OpenEntry(int index);
    void Fill(int current);
    void UpdateItemHeight();

    std::wstring path_;
    std::vector<Entry> entries_;
};

}  // namespace forms
