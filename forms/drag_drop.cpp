#include "forms/drag_drop.h"

#include <shellapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <utility>

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
class DropTarget final : public IDropTarget {
public:
    explicit DropTarget(FileDropTarget::Handler handler) : handler_(std::move(handler)) {}

    static ComPtr<IDropTarget> Make(FileDropTarget::Handler handler)
    {
        auto owned = std::make_unique<DropTarget>(std::move(handler));
        ComPtr<IDropTarget> result;
        result.Attach(owned.release());  // the first reference now lives in the ComPtr
        return result;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDropTarget) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            std::unique_ptr<DropTarget> last(this);
        return left;
    }

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
    ~DropTarget() = default;
    friend struct std::default_delete<DropTarget>;

    std::atomic<ULONG> references_{1};
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
            path.resize(static_cast<size_t>(
                MultiByteToWideChar(CP_ACP, 0, bytes + at, length, path.data(), length)));
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
    ComPtr<IDropTarget> target = DropTarget::Make(std::move(onDrop));
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
