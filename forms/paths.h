#pragma once
// Folder paths and file names as the lists see them: resolving, ordering, matching, searching.

#include <windows.h>

#include <string>
#include <vector>

namespace forms {

// Upper case by the system's rules, so names compare without regard to letter case.
std::wstring UpperCase(std::wstring text);

// Case-insensitive order of names, the same on every system locale.
bool NameLess(const std::wstring& a, const std::wstring& b);

// The ";"-separated patterns ("*.bmp;*.gif"), split and upper-cased once for a whole folder.
class PatternSet {
public:
    explicit PatternSet(const std::wstring& patterns);
    bool Matches(const std::wstring& name) const;  // without regard to case

private:
    std::vector<std::wstring> patterns_;
};

// Whether a file name matches one of the ";"-separated patterns, without regard to case.
bool MatchesPattern(const std::wstring& name, const std::wstring& patterns);

// The folder a path names ("C:", "c: [label]", "C:\a\b\" and so on), as "C:\a\b" in the file system's own
// letter case and without trailing backslash except a root ("C:\"). Empty when it is no readable folder.
std::wstring ResolveFolderPath(const std::wstring& path);

// Resolves the folder a path names and lists it with the reader; false, with folder and names not to be
// used, when the path names no folder or the reader fails.
template <class Reader>
bool ListFolder(const std::wstring& path, Reader&& read, std::wstring& folder, std::vector<std::wstring>& names)
{
    folder = ResolveFolderPath(path);
    return !folder.empty() && read(folder, names);
}

// The search pattern for every entry of a folder ("C:\a\*").
std::wstring EveryEntryOf(const std::wstring& folder);

// After a search of the folder found nothing: true when it is a folder all the same (an empty root
// folder has not even "." to report), false when it could not be read.
bool FoundEmptyFolder(const std::wstring& folder);

}  // namespace forms
