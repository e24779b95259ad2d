#include "imaging/save.h"

#include <shlwapi.h>
#include <wrl/client.h>

#include <cwchar>
#include <iterator>
#include <utility>

namespace imaging {

using Microsoft::WRL::ComPtr;

namespace {

SaveResult Failed(HRESULT hr)
{
    const bool win32 = HRESULT_FACILITY(hr) == FACILITY_WIN32;
    return {false, hr, win32 ? static_cast<DWORD>(HRESULT_CODE(hr)) : 0};
}

SaveResult FailedWin32(DWORD error)
{
    if (error == ERROR_SUCCESS)
        error = ERROR_GEN_FAILURE;
    return {false, HRESULT_FROM_WIN32(error), error};
}

// Deletes the temporary file unless it was moved into place.
class TempFile {
public:
    explicit TempFile(std::wstring path) : path_(std::move(path)) {}
    ~TempFile()
    {
        if (!path_.empty())
            DeleteFileW(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::wstring& Path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::wstring path_;
};

// Owns a handle from CreateFileW.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// The folder part of a full path, with its trailing backslash.
std::wstring FolderOf(const std::wstring& fullPath)
{
    const std::size_t slash = fullPath.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".\\") : fullPath.substr(0, slash + 1);
}

std::wstring FullPath(const std::wstring& path)
{
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return {};
    std::wstring full(needed, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed)
        return {};
    full.resize(written);
    return full;
}

HRESULT WriteTempFile(const std::wstring& path, ImageFormat format, ConstPixels tile, int width, int height,
                      std::uint32_t background, Repeat repeat, const RowProgress& progress)
{
    ComPtr<IStream> stream;
    HRESULT hr = SHCreateStreamOnFileEx(path.c_str(), STGM_WRITE | STGM_CREATE | STGM_SHARE_EXCLUSIVE,
                                        FILE_ATTRIBUTE_HIDDEN, TRUE, nullptr, &stream);
    if (SUCCEEDED(hr))
        hr = EncodeTiling(stream.Get(), format, tile, width, height, background, repeat, progress);
    if (SUCCEEDED(hr))
        hr = stream->Commit(STGC_DEFAULT);
    return hr;  // the stream closes the file here, before anyone moves it
}

// Forces the written bytes to the disk before the file takes the target's name.
DWORD FlushToDisk(const std::wstring& path)
{
    const FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        return GetLastError();
    return FlushFileBuffers(file.get()) ? ERROR_SUCCESS : GetLastError();
}

}  // namespace

SaveResult SaveTilingToFile(const std::wstring& path, ImageFormat format, ConstPixels tile, int width, int height,
                            std::uint32_t background, Repeat repeat, const RowProgress& progress)
{
    if (path.empty() || tile.Empty() || width < 1 || height < 1 || width > kMaxOutputSide || height > kMaxOutputSide)
        return Failed(E_INVALIDARG);
    const std::wstring target = FullPath(path);
    if (target.empty())
        return FailedWin32(GetLastError());

    // Windows refuses to replace a read-only file when moving; Wine does not, so ask first.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return FailedWin32(ERROR_ACCESS_DENIED);

    wchar_t tempName[MAX_PATH + 1] = {};
    if (GetTempFileNameW(FolderOf(target).c_str(), L"qdr", 0, tempName) == 0)
        return FailedWin32(GetLastError());
    TempFile temp(tempName);
    // Half-written, it is nobody's business: hidden until it takes the target's name.
    SetFileAttributesW(temp.Path().c_str(), FILE_ATTRIBUTE_HIDDEN);

    if (const HRESULT hr = WriteTempFile(temp.Path(), format, tile, width, height, background, repeat, progress);
        FAILED(hr))
        return Failed(hr);
    if (!SetFileAttributesW(temp.Path().c_str(), FILE_ATTRIBUTE_NORMAL))
        return FailedWin32(GetLastError());
    if (const DWORD error = FlushToDisk(temp.Path()); error != ERROR_SUCCESS)
        return FailedWin32(error);
    if (!MoveFileExW(temp.Path().c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return FailedWin32(GetLastError());
    temp.Keep();
    return {true, S_OK, 0};
}

std::wstring DescribeError(const SaveResult& result)
{
    if (result.ok)
        return {};
    const DWORD code = result.win32Error != 0 ? result.win32Error : static_cast<DWORD>(result.error);
    wchar_t buffer[512] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                                  static_cast<DWORD>(std::size(buffer)), nullptr);
    while (length > 0 && (buffer[length - 1] == L'\n' || buffer[length - 1] == L'\r' || buffer[length - 1] == L' '))
        --length;
    if (length > 0)
        return std::wstring(buffer, length);
    wchar_t fallback[32] = {};
    std::swprintf(fallback, std::size(fallback), L"Fehler 0x%08lX", static_cast<unsigned long>(result.error));
    return fallback;
}

}  // namespace imaging
