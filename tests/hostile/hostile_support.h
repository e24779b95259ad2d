#pragma once
// Hostile inputs made on the spot (damaged pictures, odd names, malformed drops), a watchdog that
// turns a hang into a failure, a main window under test and copies of the real program run as
// separate processes.

#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/test_env.h"
#include "ui/main/form1.h"

namespace hostile {

// ---- Time bounds -------------------------------------------------------------------------------

// Every test of this program must end within this many seconds; a hang ends the run with a failure.
constexpr unsigned kTestBoundSeconds = 300;

// A tighter bound for one risky step: past it the run ends at once, naming the step.
class Bound {
public:
    Bound(unsigned seconds, const char* what);
    ~Bound();
    Bound(const Bound&) = delete;
    Bound& operator=(const Bound&) = delete;
};

// ---- Pictures ----------------------------------------------------------------------------------

// Opaque pixels as 0xAARRGGBB, rows top to bottom.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
    std::uint32_t At(int x, int y) const
    {
        return argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

// A pattern where neighbouring pixels differ, opaque.
Pixels Pattern(int width, int height, std::uint32_t seed);

std::string Bmp24(const Pixels& pixels);
// An 8-bit palette BMP (grey levels) of the pattern's low bytes.
std::string Bmp8(const Pixels& pixels);
// A 32-bit BMP with an alpha mask (BITMAPV5HEADER), pixels as given (straight alpha).
std::string Bmp32Alpha(const Pixels& pixels);
// A 1-bit BMP of any size with stripes, written straight to a file without holding it in memory.
bool WriteBmp1(const std::wstring& path, int width, int height);
// Only the headers of a 24-bit BMP claiming the given size, followed by a few bytes of pixels.
std::string BmpHeaderOnly(int width, int height);
// A GIF89a with a 4-colour palette, one or more frames of the whole screen; index `transparent`
// (or -1) is transparent; frame f shows the indexes (x + y + f) % 4.
std::string Gif(int width, int height, int frames, int transparent);
// Encodes frames with WIC (GUID_ContainerFormatJpeg, ...Tiff, ...Png); one picture per frame.
std::string EncodeWithWic(const GUID& container, const std::vector<Pixels>& frames);

// One damaged file of the generated set.
struct DamagedFile {
    std::wstring name;  // e.g. "bmp24_cut_0054.bmp"
    std::string bytes;
};
// At least a hundred damaged BMP, GIF, JPEG and TIFF files: cut at several points, bytes flipped,
// header fields overwritten.
std::vector<DamagedFile> DamagedSet();

// The pixels of a DC area, read through a fresh 32-bit DIB (alpha byte cleared).
Pixels ReadDc(HDC dc, int width, int height);
// The clipboard's CF_BITMAP; empty when there is none.
Pixels ReadClipboardBitmap();

// The committed private memory of this process, in bytes.
std::uint64_t PrivateBytes();

// ---- Files and names ---------------------------------------------------------------------------

// "\\?\" in front of a full path, so that names with trailing dots or blanks and long paths work.
std::wstring Extended(const std::wstring& path);
bool FileThere(const std::wstring& path);
bool WriteExtended(const std::wstring& path, const std::string& bytes);

// A file held open without any sharing by another process (a copy of this test program) until
// the object goes. Opened() is false when the holder did not report within its bound.
class HeldByOtherProcess {
public:
    explicit HeldByOtherProcess(const std::wstring& path);
    ~HeldByOtherProcess();
    HeldByOtherProcess(const HeldByOtherProcess&) = delete;
    HeldByOtherProcess& operator=(const HeldByOtherProcess&) = delete;
    bool Opened() const { return opened_; }

private:
    HANDLE process_ = nullptr;
    HANDLE ready_ = nullptr;
    HANDLE release_ = nullptr;
    bool opened_ = false;
};

// ---- Main window -------------------------------------------------------------------------------

// A shown main window with its timer stopped, the collection folder in a fresh temporary folder,
// program-wide variables saved and restored, message boxes and menus scripted.
class WindowTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Points the lists at a folder as the user would through Dir1.
    void ShowFolder(const std::wstring& folder);
    int IndexInFile1(const std::wstring& name) const;
    // Selects the entry of that name (as a click would); false when it is not listed.
    bool Select(const std::wstring& name);
    // Writes a pattern BMP and returns its full path.
    std::wstring AddImage(const std::wstring& folder, const std::wstring& name, int width, int height,
                          std::uint32_t seed);

    std::unique_ptr<ui::Form1> form_;
    testsupport::TempFolder images_;
    testsupport::TempFolder collection_;

private:
    std::wstring savedTitle_, savedCrLf_, savedStart_, savedTiles_, savedFolder_, savedFile_;
};

// ---- The real program as a separate process ----------------------------------------------------

// The built Quadrino.exe (one folder above this test program).
std::wstring BuiltProgram();

struct ProgramRun {
    bool started = false;      // the process was created
    bool windowCameUp = false;  // its main window appeared and answered a message
    bool endedByItself = false;  // it ended before it was asked to close
    bool closedOnRequest = false;  // it ended after WM_CLOSE, without TerminateProcess
    DWORD exitCode = 0xFFFFFFFF;
};

// Runs a copy of the program (placed in its own folder so that its collection folder is made there)
// with the given command-line tail, waits at most upSeconds for its window or its end, then closes it
// with WM_CLOSE to its windows and TerminateProcess as the fallback.
ProgramRun RunProgramCopy(const std::wstring& copyFolder, const std::wstring& tail, unsigned upSeconds = 30);

}  // namespace hostile
