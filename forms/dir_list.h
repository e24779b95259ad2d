#pragma once
// The folder list: the levels of the current path from the drive's root down (open folders,
// indented), then the subfolders of the current folder (closed folders).

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/control.h"
#include "forms/handles.h"

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
    std::wstring List(int index) const;   // the full path of entry index
    std::wstring Label(int index) const;  // what entry index shows ("c:\" for a root, else the name)
    int Level(int index) const;           // its indentation: 0 for the root
    int ListIndex() const;
    // The whole name of an entry that the list's edges cut off (its tooltip); empty for one in full view.
    std::wstring TipText(int index) const;

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
    // Where an entry's name starts and ends, in list pixels before scrolling.
    struct Extent {
        int left;
        int right;
    };
    void OpenEntry(int index);
    void Fill(int current);
    void UpdateItemHeight();
    void CreateTip();
    Extent EntryExtent(HDC dc, int index, int rowHeight) const;
    // Lets the list scroll sideways as far as its widest entry and brings the current one into view.
    void FitWidth(int current);

    std::wstring path_;
    std::vector<Entry> entries_;
    UniqueHwnd tip_;
    int tipItem_ = -1;
    std::wstring tipText_;  // the text handed to the tooltip must outlive the notification
};

}  // namespace forms
