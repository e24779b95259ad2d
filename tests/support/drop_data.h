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

}  // namespace testsupport
