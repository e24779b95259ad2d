#pragma once
// GIF files, host windows and colour checks for the picture, clipboard and drop tests.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "forms/handles.h"
#include "support/pixels.h"
#include "support/read_back.h"

namespace picturetest {

// Writes a GIF89a with a 4-colour palette; palette index `transparent` (or -1) is transparent.
bool WriteGif(const std::wstring& path, int width, int height, const std::vector<std::uint8_t>& indexes,
              const std::uint32_t (&palette)[4], int transparent);

// Fails the test unless both have the same size and colours (alpha aside).
void ExpectSameColours(const testsupport::Pixels& got, const testsupport::Pixels& want);

// A plain top-level window hosting the controls of a test; reflects notifications to them.
class HostWindow {
public:
    HostWindow();
    HWND get() const { return hwnd_.get(); }

private:
    forms::UniqueHwnd hwnd_;
};

// Dispatches every queued message of this thread.
void PumpMessages();

}  // namespace picturetest
