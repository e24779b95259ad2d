#include "forms/paths.h"

#include <algorithm>
#include <cwctype>

#include "forms/handles.h"
#include "forms/list_support.h"

namespace forms {

namespace {

// '*' any run of characters, '?' one character; both texts already upper case.
bool WildcardMatch(const std::wstring& text, const std::wstring& pattern)
{
    size_t t = 0, p = 0, star = std::wstring::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || pattern[p] == text[t])) {
            ++t;
            ++p;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = t;
        } else if (star != std::wstring::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

bool IsDriveLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// One entry of a folder by exact name, or false when there is none.
bool FindEntry(const std::wstring& path, WIN32_FIND_DATAW& data)
{
    UniqueFind find(FindFirstFileExW(path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    return static_cast<bool>(find);
}

}  // namespace

std::wstring UpperCase(std::wstring text)
{
    if (!text.empty())
        CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

PatternSet::PatternSet(const std::wstring& patterns)
{
    size_t start = 0;
    while (start <= patterns.size()) {
        size_t end = patterns.find(L';', start);
        if (end == std::wstring::npos)
            end = patterns.size();
        std::wstring one = patterns.substr(start, end - start);
        const size_t first = one.find_first_not_of(L' ');
        const size_t last = one.find_last_not_of(L' ');
        if (first != std::wstring::npos) {
            one = UpperCase(one.substr(first, last - first + 1));
            // "*.*" means every file, names without a dot included.
            if (one == L"*.*")
                one = L"*";
            patterns_.push_back(one);
        }
        start = end + 1;
    }
}

bool PatternSet::Matches(const std::wstring& name) const
{
    const std::wstring upper = UpperCase(name);
    return std::any_of(patterns_.begin(), patterns_.end(),
                       [&](const std::wstring& p) { return WildcardMatch(upper, p); });
}

bool NameLess(const std::wstring& a, const std::wstring& b)
{
    const int order =
        CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE);
    if (order != CSTR_EQUAL)
        return order == CSTR_LESS_THAN;
    return a < b;  // a stable order for names that differ only in case
}

bool MatchesPattern(const std::wstring& name, const std::wstring& patterns)
{
    return PatternSet(patterns).Matches(name);
}

std::wstring ResolveFolderPath(const std::wstring& path)
{
    if (path.size() < 2 || !IsDriveLetter(path[0]) || path[1] != L':')
        return {};
    std::wstring rest = path.substr(2);
    // A bare drive, or a drive list's text such as "c: [System]", means the drive's root.
    if (!rest.empty() && rest[0] == L' ')
        rest.clear();
    if (!rest.empty() && rest[0] != L'\\' && rest[0] != L'/')
        return {};  // relative to a drive's current folder: not supported

    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start < rest.size()) {
        size_t end = rest.find_first_of(L"\\/", start);
        if (end == std::wstring::npos)
            end = rest.size();
        const std::wstring part = rest.substr(start, end - start);
        if (part == L"..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != L".") {
            if (part.find_first_of(L"*?<>|\"") != std::wstring::npos)
                return {};
            parts.push_back(part);
        }
        start = end + 1;
    }

    std::wstring resolved;
    resolved += static_cast<wchar_t>(std::towupper(path[0]));
    resolved += L":\\";
    QuietErrorMode quiet;
    const DWORD rootAttributes = GetFileAttributesW(resolved.c_str());
    if (rootAttributes == INVALID_FILE_ATTRIBUTES || !(rootAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    for (const std::wstring& part : parts) {
        std::wstring candidate = resolved;
        if (candidate.back() != L'\\')
            candidate += L'\\';
        candidate += part;
        WIN32_FIND_DATAW data{};
        if (!FindEntry(candidate, data) || !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return {};
        // The name as the file system stores it: real letter case, long form of a short name.
        candidate.resize(candidate.size() - part.size());
        candidate += data.cFileName;
        resolved = candidate;
    }
    return resolved;
}

std::wstring EveryEntryOf(const std::wstring& folder)
{
    std::wstring searchPattern = folder;
    if (searchPattern.back() != L'\\')
        searchPattern += L'\\';
    searchPattern += L'*';
    return searchPattern;
}

bool FoundEmptyFolder(const std::wstring& folder)
{
    if (GetLastError() != ERROR_FILE_NOT_FOUND)
        return false;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace forms
