#pragma once
// The file list: the files of one folder that match a pattern, sorted without regard to case.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "forms/control.h"
#include "forms/selectable_list.h"

namespace forms {

class FileList : public Control, public SelectableList {
public:
    bool Create(HWND parent, const forms::Bounds& bounds);

    // The folder shown: a full path without trailing backslash, except a drive's root ("C:\").
    std::wstring Path() const { return path_; }
    // Shows another folder ("C:" means the drive's root). Nothing is selected afterwards.
    // False, with the list unchanged, when the folder cannot be listed.
    bool SetPath(const std::wstring& path);

    // Patterns separated by ";", for example "*.bmp;*.gif"; compared without regard to case.
    std::wstring Pattern() const { return pattern_; }
    void SetPattern(const std::wstring& pattern);

    // Re-reads the folder; the selection is dropped.
    void Refresh() override;
    int ListCount() const override;
    std::wstring List(int index) const override;
    void SetSelected(int index) override;  // raises onClick
    int ListIndex() const;                 // -1 when nothing is selected
    std::wstring FileName() const;         // the selected entry, or empty

    // Hidden and system files are never listed; ordinary, read-only and archive files are.

    std::function<void()> onClick;  // an entry became selected, by mouse, keyboard or SetSelected
    // Whether the selection is being moved by a key (inside onClick: the keyboard chose the entry).
    bool ByKeyboard() const { return keyDepth_ > 0; }
    // Whether that key is held down and repeating.
    bool KeyRepeating() const { return repeated_; }
    // Whether the last key the list took is still down.
    bool KeyHeld() const { return lastKey_ != 0 && GetKeyState(lastKey_) < 0; }
    std::function<void()> onDblClick;
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt; x, y in client pixels
    std::function<void(int button, int shift, int x, int y)> onMouseDown;

protected:
    bool OnCommand(WORD code) override;
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Replaces the entries in one batch, in the order given; nothing is selected afterwards.
    void Fill(const std::vector<std::wstring>& names);

private:
    // Lists the folder into names; false when the folder cannot be listed.
    bool ReadFolder(const std::wstring& folder, std::vector<std::wstring>& names) const;

    std::wstring path_;
    std::wstring pattern_ = L"*.*";
    int keyDepth_ = 0;
    int lastKey_ = 0;
    bool repeated_ = false;
};

}  // namespace forms
