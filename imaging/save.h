#pragma once
// Saving a tiling to a file so that the target is replaced only by a complete file.

#include <windows.h>

#include <cstdint>
#include <string>

#include "imaging/encode.h"

namespace imaging {

struct SaveResult {
    bool ok = false;
    HRESULT error = S_OK;  // the failing step's HRESULT
    DWORD win32Error = 0;  // its Win32 code when there is one, else 0
};

// Encodes the tiling (see EncodeTiling) into a temporary file in the target's folder, flushes it
// and then moves it over `path`; on failure the temporary file is removed and `path` untouched. The
// temporary file is hidden while it is written. `progress` may stop the work: E_ABORT, no file left.
SaveResult SaveTilingToFile(const std::wstring& path, ImageFormat format, ConstPixels tile, int width, int height,
                            std::uint32_t background, Repeat repeat = {},
                            const RowProgress& progress = nullptr);

// The system's text for the failure (no trailing line break); empty for success.
std::wstring DescribeError(const SaveResult& result);

}  // namespace imaging
