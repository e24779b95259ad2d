#pragma once
// A small data object for simulated drops: Wine has no SHCreateDataObject, so tests make their own.

#include <windows.h>
#include <ole2.h>

#include <wrl/client.h>

#include <string>
#include <vector>

namespace testsupport {

// A data object offering the given paths as a file list (CF_HDROP, wide DROPFILES).
Microsoft::WRL::ComPtr<IDataObject> MakeFileDropData(const std::vector<std::wstring>& paths);

// A data object that offers plain text only and no file list.
Microsoft::WRL::ComPtr<IDataObject> MakeTextDropData(const std::wstring& text);

// A data object that claims the file-list format and hands out exactly these bytes as its HGLOBAL
// (a DROPFILES built by a careless or hostile drag source). With failGetData it claims the format
// but refuses to deliver it.
Microsoft::WRL::ComPtr<IDataObject> MakeRawFileListData(const std::string& bytes, bool failGetData = false);

// A well-formed DROPFILES (wide) of the paths, as bytes.
std::string DropFilesBytes(const std::vector<std::wstring>& paths);

}  // namespace testsupport
