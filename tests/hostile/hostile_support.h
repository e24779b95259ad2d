#pragma once
// Hostile inputs made on the spot (damaged pictures, odd names, malformed drops), a watchdog that
// turns a hang into a failure and copies of the real program run as separate processes.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/pixels.h"
#include "support/test_env.h"

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

// An 8-bit palette BMP (grey levels) of the pattern's low bytes.
std::string Bmp8(const testsupport::Pixels& pixels);
// A 1-bit BMP of any size with stripes, written straight to a file without holding it in memory.
bool WriteBmp1(const std::wstring& path, int width, int height);
// Only the headers of a 24-bit BMP claiming the given size, followed by a few bytes of pixels.
std::string BmpHeaderOnly(int width, int height);
// A GIF89a with a 4-colour palette, one or more frames of the whole screen; index `transparent`
// (or -1) is transparent; frame f shows the indexes (x + y + f) % 4.
std::string Gif(int width, int height, int frames, int transparent);

// One damaged file of the generated set.
struct DamagedFile {
    std::wstring name;  // e.g. "bmp24_cut_0054.bmp"
    std::string bytes;
};
// At least a hundred damaged BMP, GIF, JPEG and TIFF files: cut at several points, bytes flipped,
// header fields overwritten.
std::vector<DamagedFile> DamagedSet();

// At least thirty damaged files of each format decoded beside the first types (TGA, PSD, QOI, HDR,
// DDS): the cuts, flips and overwrites above, more flips, and headers claiming sizes too large to hold
// (named "<kind>_big_..."), which must all be refused.
std::vector<DamagedFile> DamagedFormatSet();

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

// ---- The real program as a separate process ----------------------------------------------------

// The built Quadrino.exe (one folder above this test program).
std::wstring BuiltProgram();

struct ProgramRun {
    bool started = false;          // the process was created
    bool windowCameUp = false;     // its main window appeared and answered a message
    bool endedByItself = false;    // it ended before it was asked to close
    bool closedOnRequest = false;  // it ended after WM_CLOSE, without TerminateProcess
    DWORD exitCode = 0xFFFFFFFF;
};

// Runs a copy of the program (placed in its own folder so that its collection folder is made there)
// with the given command-line tail, waits at most upSeconds for its window or its end, then closes it
// with WM_CLOSE to its windows and TerminateProcess as the fallback.
ProgramRun RunProgramCopy(const std::wstring& copyFolder, const std::wstring& tail, unsigned upSeconds = 30);

}  // namespace hostile
