#include "forms/drag_drop.h"

#include <shellapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "forms/com_object.h"
#include "forms/handles.h"
#include "forms/ole.h"
#include "forms/raise.h"
#include "forms/skip.h"

namespace forms {

using Microsoft::WRL::ComPtr;

namespace {

FORMATETC FileListFormat()
{
    return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

// The drop target registered for a window: accepts file lists as copies, hands drops on.
class DropTarget final : public ComObject<IDropTarget> {
public:
    explicit DropTarget(FileDropTarget::Handler handler) : handler_(std::move(handler)) {}

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override
    {
        if (!effect)
            return E_INVALIDARG;
        offersFiles_ = HasFileList(data);
        *effect = offersFiles_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override
    {
        if (!effect)
            return E_INVALIDARG;
        *effect = offersFiles_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override
    {
        offersFiles_ = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override
    {
        offersFiles_ = false;
        if (effect)
            *effect = HasFileList(data) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        // The drop comes through OLE's message loop: nothing may unwind into it.
        GuardedCall(L"drop", [&] { Raise(handler_, data); });
        return S_OK;
    }

private:
    FileDropTarget::Handler handler_;
    bool offersFiles_ = false;
};

// The paths of a DROPFILES block of the given size; a list that runs past the block or an entry
// without its terminator ends the reading there.
std::vector<std::wstring> ReadFileList(const char* bytes, SIZE_T size)
{
    std::vector<std::wstring> paths;
    DROPFILES header{};
    if (size < sizeof(header))
        return paths;
    std::memcpy(&header, bytes, sizeof(header));
    if (header.pFiles < sizeof(header) || header.pFiles >= size)
        return paths;
    SIZE_T at = header.pFiles;
    while (at < size) {
        std::wstring path;
        if (header.fWide) {
            SIZE_T end = at;
            while (end + 1 < size && (bytes[end] != 0 || bytes[end + 1] != 0))
                end += 2;
            if (end + 1 >= size)
                break;
            path.resize((end - at) / 2);
            std::memcpy(path.data(), bytes + at, end - at);
            at = end + 2;
        } else {
            SIZE_T end = at;
            while (end < size && bytes[end] != 0)
                ++end;
            if (end >= size)
                break;
            const int length = static_cast<int>(std::min<SIZE_T>(end - at, 32767));
            path.resize(static_cast<size_t>(length));
            path.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, bytes + at, length, path.data(), length)));
            at = end + 1;
        }
        if (path.empty())  // the empty entry ends the list
            break;
        paths.push_back(std::move(path));
    }
    return paths;
}

}  // namespace

bool HasFileList(IDataObject* data)
{
    if (!data)
        return false;
    FORMATETC format = FileListFormat();
    return data->QueryGetData(&format) == S_OK;
}

std::vector<std::wstring> DroppedFiles(IDataObject* data)
{
    std::vector<std::wstring> paths;
    if (!data)
        return paths;
    FORMATETC format = FileListFormat();
    UniqueStgMedium medium;
    if (FAILED(data->GetData(&format, medium.put())) || medium.get().tymed != TYMED_HGLOBAL || !medium.get().hGlobal)
        return paths;
    // Any program can start a drag: its list is read only within the memory it handed over.
    const GlobalLockScope<const char> bytes(medium.get().hGlobal);
    if (!bytes.get())
        return paths;
    return ReadFileList(bytes.get(), bytes.Size());
}

FileDropTarget::~FileDropTarget()
{
    Revoke();
}

bool FileDropTarget::Register(HWND window, Handler onDrop)
{
    Revoke();
    if (!window)
        return false;
    ComPtr<IDropTarget> target = DropTarget::Make<DropTarget>(std::move(onDrop));
    if (FAILED(RegisterDragDrop(window, target.Get())))
        return false;
    window_ = window;
    target_ = target.Detach();
    return true;
}

void FileDropTarget::Revoke()
{
    if (window_ && IsWindow(window_))
        RevokeDragDrop(window_);
    window_ = nullptr;
    ComPtr<IDropTarget> owned;
    owned.Attach(std::exchange(target_, nullptr));
}

}  // namespace forms
