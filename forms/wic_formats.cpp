#include <wrl/client.h>

#include <algorithm>
#include <cwctype>

#include "forms/picture_formats.h"
#include "forms/skip.h"
#include "imaging/decode_builtin.h"

namespace forms {

using Microsoft::WRL::ComPtr;

namespace {

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return text;
}

// "*.bmp;*.GIF" as {".bmp", ".gif"}; entries that are no plain "*.ext" are kept out.
std::vector<std::wstring> ExtensionsOf(const std::wstring& pattern)
{
    std::vector<std::wstring> found;
    std::size_t start = 0;
    while (start <= pattern.size()) {
        const std::size_t end = std::min(pattern.find(L';', start), pattern.size());
        const std::wstring entry = pattern.substr(start, end - start);
        if (entry.size() > 2 && entry[0] == L'*' && entry[1] == L'.')
            found.push_back(Lower(entry.substr(1)));
        start = end + 1;
    }
    return found;
}

// The system lists a decoder's extensions as ".jpg,.jpeg" or ".jpg;.jpeg".
void AddListed(const std::wstring& listed, std::vector<std::wstring>& extensions)
{
    std::size_t start = 0;
    while (start < listed.size()) {
        const std::size_t end = std::min(listed.find_first_of(L",;", start), listed.size());
        std::wstring entry = listed.substr(start, end - start);
        entry.erase(0, entry.find_first_not_of(L" *"));
        entry.erase(entry.find_last_not_of(L' ') + 1);
        if (!entry.empty() && entry.front() != L'.')
            entry.insert(0, 1, L'.');
        // Only plain extensions can go into a file pattern.
        if (entry.size() > 1 && entry.find_first_of(L"*?;, ") == std::wstring::npos)
            extensions.push_back(Lower(entry));
        start = end + 1;
    }
}

}  // namespace

std::vector<std::wstring> SystemDecoderExtensions()
{
    std::vector<std::wstring> extensions;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IEnumUnknown> decoders;
    if (!SkipIfFailed(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)),
                      L"ask for the picture decoders") ||
        !SkipIfFailed(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, &decoders),
                      L"list the picture decoders"))
        return extensions;
    for (;;) {
        ComPtr<IUnknown> component;
        ULONG fetched = 0;
        if (decoders->Next(1, &component, &fetched) != S_OK || fetched != 1)
            break;
        ComPtr<IWICBitmapCodecInfo> codec;
        UINT length = 0;
        if (FAILED(component.As(&codec)) || FAILED(codec->GetFileExtensions(0, nullptr, &length)) || length == 0)
            continue;
        std::wstring listed(length, L'\0');
        if (FAILED(codec->GetFileExtensions(length, listed.data(), &length)))
            continue;
        listed.resize(std::min<std::size_t>(listed.size(), listed.find(L'\0')));
        AddListed(listed, extensions);
    }
    return extensions;
}

std::wstring PatternWithExtensions(const std::wstring& pattern, const std::vector<std::wstring>& extensions)
{
    std::wstring result = pattern;
    std::vector<std::wstring> present = ExtensionsOf(pattern);
    for (const std::wstring& extension : extensions) {
        std::wstring lower = Lower(extension);
        if (!lower.empty() && lower.front() != L'.')
            lower.insert(0, 1, L'.');
        if (lower.size() < 2 || std::find(present.begin(), present.end(), lower) != present.end())
            continue;
        present.push_back(lower);
        if (!result.empty())
            result += L';';
        result += L'*' + lower;
    }
    return result;
}

std::wstring PicturePattern(const std::wstring& pattern)
{
    return PatternWithExtensions(PatternWithExtensions(pattern, SystemDecoderExtensions()),
                                 imaging::BuiltinExtensions());
}

HRESULT SystemDecodes(IWICBitmapDecoder* decoder)
{
    GUID container{};
    if (!decoder || FAILED(decoder->GetContainerFormat(&container)) || container != GUID_ContainerFormatDds)
        return S_OK;
    ComPtr<IWICDdsDecoder> dds;
    WICDdsParameters parameters{};
    if (FAILED(decoder->QueryInterface(IID_PPV_ARGS(&dds))) || FAILED(dds->GetParameters(&parameters)))
        return S_OK;
    const DXGI_FORMAT format = parameters.DxgiFormat;
    const bool bc4to5 = format >= DXGI_FORMAT_BC4_TYPELESS && format <= DXGI_FORMAT_BC5_SNORM;
    const bool bc6to7 = format >= DXGI_FORMAT_BC6H_TYPELESS && format <= DXGI_FORMAT_BC7_UNORM_SRGB;
    return bc4to5 || bc6to7 ? WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT : S_OK;
}

std::wstring PictureFailureText(HRESULT failure)
{
    switch (failure) {
    case WINCODEC_ERR_COMPONENTNOTFOUND:
    case WINCODEC_ERR_UNKNOWNIMAGEFORMAT:
    case WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT: return L"Dieses Bildformat wird nicht unterstützt.";
    case WINCODEC_ERR_IMAGESIZEOUTOFRANGE:
    case E_OUTOFMEMORY: return L"Das Bild ist zu groß.";
    case WINCODEC_ERR_BADIMAGE:
    case WINCODEC_ERR_BADHEADER:
    case WINCODEC_ERR_STREAMREAD: return L"Die Datei ist beschädigt oder unvollständig.";
    default: break;
    }
    if (SUCCEEDED(failure))
        return std::wstring();
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(failure), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length && text ? std::wstring(text, length) : std::wstring();
    if (text)
        LocalFree(text);
    message.erase(message.find_last_not_of(L" \r\n") + 1);
    return message;
}

}  // namespace forms
