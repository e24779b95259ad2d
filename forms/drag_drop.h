#pragma once
// Files dropped onto a window through OLE drag and drop.

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <string>
#include <vector>

namespace forms {

// True when the data object offers the file-list format (15, CF_HDROP).
bool HasFileList(IDataObject* data);

// The paths of the file-list format in the order the data object delivers them; empty without it.
std::vector<std::wstring> DroppedFiles(IDataObject* data);

// Registers a window as a drop target whose drops go to a handler; revoked on destruction.
// Needs OleInitialize on this thread. The handler sets no drop effect of its own.
class FileDropTarget {
public:
    using Handler = std::function<void(IDataObject* data)>;

    FileDropTarget() = default;
    ~FileDropTarget();
    FileDropTarget(const FileDropTarget&) = delete;
    FileDropTarget& operator=(const FileDropTarget&) = delete;

    bool Register(HWND window, Handler onDrop);
    void Revoke();

    // The registered drop target (nullptr when none); tests call it to simulate a drop.
    IDropTarget* Target() const { return target_; }

private:
    HWND window_ = nullptr;
    IDropTarget* target_ = nullptr;  // owned through its COM reference count
};

}  // namespace forms
