#include "support/drop_data.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "forms/com_object.h"
#include "forms/handles.h"

namespace testsupport {

using Microsoft::WRL::ComPtr;

namespace {

// Offers one format on an HGLOBAL; each GetData hands out a fresh copy the caller frees.
class OneFormatData final : public forms::ComObject<IDataObject> {
public:
    OneFormatData(CLIPFORMAT format, std::string bytes, bool failGetData)
        : format_(format), bytes_(std::move(bytes)), failGetData_(failGetData)
    {}

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (!format || !medium)
            return E_INVALIDARG;
        const HRESULT offered = QueryGetData(format);
        if (offered != S_OK)
            return offered;
        if (failGetData_)
            return DV_E_FORMATETC;
        forms::UniqueHglobal copy(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, std::max<size_t>(bytes_.size(), 1)));
        {
            const forms::GlobalLockScope<char> target(copy.get());
            if (!target.get())
                return E_OUTOFMEMORY;
            std::memcpy(target.get(), bytes_.data(), bytes_.size());
        }
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
    CLIPFORMAT format_;
    std::string bytes_;
    bool failGetData_;
};

}  // namespace

std::string DropFilesBytes(const std::vector<std::wstring>& paths)
{
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof(header));
    for (const std::wstring& path : paths)
        bytes.append(reinterpret_cast<const char*>(path.c_str()), (path.size() + 1) * sizeof(wchar_t));
    bytes.append(sizeof(wchar_t), '\0');
    return bytes;
}

ComPtr<IDataObject> MakeRawFileListData(const std::string& bytes, bool failGetData)
{
    return OneFormatData::Make<OneFormatData>(CF_HDROP, bytes, failGetData);
}

ComPtr<IDataObject> MakeFileDropData(const std::vector<std::wstring>& paths)
{
    std::string bytes = DropFilesBytes(paths);
    // An empty list still ends in two terminators, as the shell writes it.
    if (paths.empty())
        bytes.append(sizeof(wchar_t), '\0');
    return MakeRawFileListData(bytes);
}

ComPtr<IDataObject> MakeTextDropData(const std::wstring& text)
{
    const std::string bytes(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
    return OneFormatData::Make<OneFormatData>(CF_UNICODETEXT, bytes, false);
}

}  // namespace testsupport
