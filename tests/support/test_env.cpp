#include "support/test_env.h"

#include <shellapi.h>

#include <atomic>

namespace testsupport {

void InstallTestSeams()
{
    forms::SetPrompter(&Prompter());
    forms::SetMenuPresenter(&MenuPresenter());
    forms::SetFileDialogs(&FileDialogs());
}

int ScriptedPrompter::Show(HWND owner, const std::wstring& text, const std::wstring& title, UINT flags)
{
    shown.push_back({owner, text, title, flags});
    if (whileShown)
        whileShown();
    if (answers.empty())
        return IDOK;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedPrompter::Reset()
{
    shown.clear();
    answers.clear();
    whileShown = nullptr;
}

ScriptedPrompter& Prompter()
{
    static ScriptedPrompter prompter;
    return prompter;
}

namespace {

// The captions of a menu's items, and the command id of the first item (in submenus too) with that caption.
std::vector<std::wstring> CaptionsOf(HMENU menu, const std::wstring& wanted, UINT& found, ScriptedMenuPresenter& seen)
{
    std::vector<std::wstring> captions;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t buffer[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING | MIIM_ID | MIIM_FTYPE | MIIM_SUBMENU | MIIM_STATE;
        info.dwTypeData = buffer;
        info.cch = 255;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        captions.push_back((info.fType & MFT_SEPARATOR) ? L"-" : buffer);
        if (info.fState & MFS_CHECKED)
            seen.checked.push_back(buffer);
        if (!(info.fType & MFT_SEPARATOR) && (info.fState & MFS_DISABLED))
            seen.disabled.push_back(buffer);
        if (info.hSubMenu)
            CaptionsOf(info.hSubMenu, wanted, found, seen);
        else if (found == 0 && !wanted.empty() && captions.back() == wanted)
            found = info.wID;
    }
    return captions;
}

}  // namespace

UINT ScriptedMenuPresenter::Track(HMENU menu, HWND, POINT)
{
    const std::wstring choice = choices.empty() ? std::wstring() : choices.front();
    if (!choices.empty())
        choices.pop_front();
    UINT found = 0;
    checked.clear();
    disabled.clear();
    shownMenus.push_back(CaptionsOf(menu, choice, found, *this));
    return found;
}

void ScriptedMenuPresenter::Reset()
{
    choices.clear();
    shownMenus.clear();
}

ScriptedMenuPresenter& MenuPresenter()
{
    static ScriptedMenuPresenter presenter;
    return presenter;
}

std::optional<std::wstring> ScriptedFileDialogs::AskSavePath(HWND owner, const std::wstring& title,
                                                             const std::wstring& suggestedName,
                                                             const std::vector<forms::FileType>& types, int& typeIndex)
{
    asked.push_back({owner, title, suggestedName, types, typeIndex});
    if (answers.empty())
        return std::nullopt;
    const Answer answer = answers.front();
    answers.pop_front();
    if (answer.path)
        typeIndex = answer.typeIndex;
    return answer.path;
}

void ScriptedFileDialogs::Reset()
{
    answers.clear();
    asked.clear();
}

ScriptedFileDialogs& FileDialogs()
{
    static ScriptedFileDialogs dialogs;
    return dialogs;
}

TempFolder::TempFolder()
{
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring base = temp;
    if (!base.empty() && base.back() != L'\\')
        base += L'\\';
    for (;;) {
        std::wstring candidate =
            base + L"qtest" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(counter++) + L"\\";
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate;
            break;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
}

TempFolder::~TempFolder()
{
    if (!path_.empty())
        RemoveTree(path_);
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadFileBytes(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

void RemoveTree(const std::wstring& path)
{
    std::wstring folder = path;
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = folder + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());
}

std::wstring WithoutBackslash(std::wstring path)
{
    if (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return path;
}

std::wstring LongPath(const std::wstring& path)
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetLongPathNameW(path.c_str(), buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? WithoutBackslash(buffer) : std::wstring();
}

std::wstring BuiltProgram()
{
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring folder(buffer.data(), length);
    folder.erase(folder.rfind(L'\\'));
    folder.erase(folder.rfind(L'\\') + 1);
    return folder + L"Quadrino.exe";
}

}  // namespace testsupport
