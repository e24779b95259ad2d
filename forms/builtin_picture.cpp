#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "forms/handles.h"
#include "forms/picture_formats.h"
#include "imaging/decode_builtin.h"

namespace forms {

namespace {

std::wstring ExtensionOf(const std::wstring& path)
{
    const std::size_t dot = path.find_last_of(L'.');
    const std::size_t slash = path.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
        return std::wstring();
    return path.substr(dot);
}

// The whole file; S_OK or why not. The file is closed on return.
HRESULT ReadWholeFile(const std::wstring& path, std::vector<std::uint8_t>& bytes)
{
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return HRESULT_FROM_WIN32(GetLastError());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size))
        return HRESULT_FROM_WIN32(GetLastError());
    // The decoders take at most INT_MAX bytes.
    if (size.QuadPart > INT_MAX)
        return WINCODEC_ERR_IMAGESIZEOUTOFRANGE;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data() + done, wanted, &read, nullptr))
            return HRESULT_FROM_WIN32(GetLastError());
        if (read == 0)
            break;  // the file became shorter meanwhile
        done += read;
    }
    bytes.resize(done);
    return S_OK;
}

}  // namespace

std::optional<Picture> LoadBuiltinPicture(const std::wstring& path, HRESULT& failure)
{
    std::vector<std::uint8_t> bytes;
    failure = ReadWholeFile(path, bytes);
    if (FAILED(failure))
        return std::nullopt;
    const imaging::BuiltinFormat format = imaging::BuiltinFormatOf(bytes.data(), bytes.size(), ExtensionOf(path));
    UniqueHbitmap dib;
    const imaging::BuiltinResult result = imaging::DecodeBuiltin(
        bytes.data(), bytes.size(), format, kMaxPicturePixels, [&dib](int width, int height) -> std::uint8_t* {
            void* bits = nullptr;
            dib = CreateDib32(width, height, &bits);
            return dib ? static_cast<std::uint8_t*>(bits) : nullptr;
        });
    switch (result.failure) {
    case imaging::BuiltinFailure::None:
        failure = S_OK;
        return Picture(std::move(dib), result.width, result.height, result.hasAlpha, false);
    case imaging::BuiltinFailure::NotBuiltin: failure = WINCODEC_ERR_COMPONENTNOTFOUND; break;
    case imaging::BuiltinFailure::TooLarge: failure = WINCODEC_ERR_IMAGESIZEOUTOFRANGE; break;
    case imaging::BuiltinFailure::Damaged: failure = WINCODEC_ERR_BADIMAGE; break;
    }
    return std::nullopt;
}

}  // namespace forms
