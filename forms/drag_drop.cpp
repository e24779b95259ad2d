#include "forms/drag_drop.h"

#include <shellapi.h>
#include <wrl/client.h>

#include <atomic>
#include <memory>
#include <utility>

namespace forms {

using Microsoft::WRL::ComPtr;

namespace {

FORMATETC FileListFormat()
{
    return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

// Gives the medium back to its owner on every path out.
class MediumGuard {
public:
    MediumGuard() = default;
    ~MediumGuard() { ReleaseStgMedium(&medium); }
    MediumGuard(const MediumGuard&) = delete;
    MediumGuard& operator=(const MediumGuard&) = delete;
    STGMEDIUM medium{};
};

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
        try {
            if (handler_)
                handler_(data);
        } catch (...) {
            // The drop comes through OLE's message loop: nothing may unwind into it.
        }
        return S_OK;
    }

private:
    ~DropTarget() = default;
    friend struct std::default_delete<DropTarget>;

    std::atomic<ULONG> references_{1};
    FileDropTarget::Handler handler_;
    bool offersFiles_ = false;
};

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
    MediumGuard guard;
    if (FAILED(data->GetData(&format, &guard.medium)) || guard.medium.tymed != TYMED_HGLOBAL ||
        !guard.medium.hGlobal)
        return paths;
    auto drop = static_cast<HDROP>(guard.medium.hGlobal);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        const UINT copied = DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(copied);
        if (!path.empty())  // an empty entry names no file
            paths.push_back(std::move(path));
    }
    return paths;
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
