#include "forms/file_dialog.h"

#include <commdlg.h>

#include <algorithm>

namespace forms {

namespace {

// Room for a long path; the dialog refuses a longer name rather than cutting it.
constexpr DWORD kPathChars = 32768;

// "png" of "*.png;*.x": the extension the dialog adds to a bare name.
std::wstring FirstExtension(const std::wstring& patterns)
{
    const std::size_t dot = patterns.find(L"*.");
    if (dot == std::wstring::npos)
        return {};
    const std::wstring extension = patterns.substr(dot + 2, patterns.find(L';', dot) - (dot + 2));
    return extension == L"*" ? std::wstring() : extension;
}

class PlatformFileDialogs : public FileDialogs {
public:
    std::optional<std::wstring> AskSavePath(HWND owner, const std::wstring& title, const std::wstring& suggestedName,
                                            const std::vector<FileType>& types, int& typeIndex) override
    {
        // The filter is pairs of texts, each ending in a null character, and one more null at the end.
        std::wstring filter;
        for (const FileType& type : types) {
            filter += type.description;
            filter += L'\0';
            filter += type.patterns;
            filter += L'\0';
        }
        filter += L'\0';
        std::wstring path(kPathChars, L'\0');
        suggestedName.copy(path.data(), std::min<std::size_t>(suggestedName.size(), kPathChars - 1));

        // With a default extension the dialog adds the chosen type's to a bare name before it asks
        // about replacing, so the question is about the file that will be written.
        const std::wstring extension = typeIndex >= 0 && typeIndex < static_cast<int>(types.size())
                                           ? FirstExtension(types[typeIndex].patterns)
                                           : L"";
        OPENFILENAMEW dialog{};
        dialog.lStructSize = sizeof(dialog);
        dialog.hwndOwner = owner;
        dialog.lpstrFilter = filter.c_str();
        dialog.nFilterIndex = static_cast<DWORD>(typeIndex + 1);
        dialog.lpstrFile = path.data();
        dialog.nMaxFile = kPathChars;
        dialog.lpstrTitle = title.c_str();
        dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
        dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER | OFN_HIDEREADONLY;
        if (!GetSaveFileNameW(&dialog))
            return std::nullopt;
        if (dialog.nFilterIndex >= 1 && dialog.nFilterIndex <= types.size())
            typeIndex = static_cast<int>(dialog.nFilterIndex) - 1;
        const std::size_t end = path.find(L'\0');
        if (end != std::wstring::npos)
            path.resize(end);
        return path;
    }
};

FileDialogs*& CurrentDialogs()
{
    static FileDialogs* current = nullptr;
    return current;
}

}  // namespace

FileDialogs& SystemFileDialogs()
{
    static PlatformFileDialogs dialogs;
    return dialogs;
}

void SetFileDialogs(FileDialogs* dialogs)
{
    CurrentDialogs() = dialogs;
}

std::optional<std::wstring> AskSavePath(HWND owner, const std::wstring& title, const std::wstring& suggestedName,
                                        const std::vector<FileType>& types, int& typeIndex)
{
    FileDialogs* dialogs = CurrentDialogs();
    return (dialogs ? *dialogs : SystemFileDialogs()).AskSavePath(owner, title, suggestedName, types, typeIndex);
}

}  // namespace forms
