#include "support/drop_data.h"

#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <memory>

#include "forms/handles.h"

namespace testsupport {

using Microsoft::WRL::ComPtr;

namespace {

forms::UniqueHglobal MakeGlobal(const void* bytes, size_t size)
{
    forms::UniqueHglobal global(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
    if (!global)
        return global;
    void* target = GlobalLock(global.get());
    if (!target)
        return forms::UniqueHglobal();
    std::memcpy(target, bytes, size);
    GlobalUnlock(global.get());
    return global;
}

// Offers one format on an HGLOBAL; each GetData hands out a fresh copy the caller frees.
class OneFormatData final : public IDataObject {
public:
    OneFormatData(CLIPFORMAT format, std::vector<char> bytes) : format_(format), bytes_(std::move(bytes)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDataObject) {
            *object = static_cast<IDataObject*>(this);
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
            std::unique_ptr<OneFormatData> last(this);
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (!format || !medium)
            return E_INVALIDARG;
        const HRESULT offered = QueryGetData(format);
        if (offered != S_OK)
            return offered;
        forms::UniqueHglobal copy = MakeGlobal(bytes_.data(), bytes_.size());
        if (!copy)
            return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy.release();
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override
    {
        if (!format)
            return E_INVALIDARG;
        if (format->cfFormat != format_ || format->dwAspect != DVASPECT_CONTENT)
            return DV_E_FORMATETC;
        if (!(format->tymed & TYMED_HGLOBAL))
            return DV_E_TYMED;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override
    {
        if (out)
            out->ptd = nullptr;
        return DATA_S_SAMEFORMATETC;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override
    {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    ~OneFormatData() = default;
    friend struct std::default_delete<OneFormatData>;

    std::atomic<ULONG> references_{1};
    CLIPFORMAT format_;
    std::vector<char> bytes_;
};

ComPtr<IDataObject> Make(CLIPFORMAT format, std::vector<char> bytes)
{
    auto owned = std::make_unique<OneFormatData>(format, std::move(bytes));
    ComPtr<IDataObject> result;
    result.Attach(owned.release());
    return result;
}

}  // namespace

ComPtr<IDataObject> MakeFileDropData(const std::vector<std::wstring>& paths)
{
    // DROPFILES, then each path with its terminator, then one more terminator.
    std::wstring list;
    for (const auto& path : paths) {
        list += path;
        list += L'\0';
    }
    list += L'\0';
    if (paths.empty())
        list += L'\0';
    std::vector<char> bytes(sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(bytes.data(), &header, sizeof(header));
    std::memcpy(bytes.data() + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
    return Make(CF_HDROP, std::move(bytes));
}

ComPtr<IDataObject> MakeTextDropData(const std::wstring& text)
{
    std::vector<char> bytes((text.size() + 1) * sizeof(wchar_t));
    std::memcpy(bytes.data(), text.c_str(), bytes.size());
    return Make(CF_UNICODETEXT, std::move(bytes));
}

}  // namespace testsupport
