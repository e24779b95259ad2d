#include "hostile_support.h"

#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <mutex>

#include "common/commands.h"
#include "forms/events.h"
#include "forms/handles.h"
#include "forms/picture.h"
#include "support/formats.h"

namespace hostile {

using testsupport::AppendBmpInfoHeader;
using testsupport::AppendGifIndexes;
using testsupport::AppendLe16;
using testsupport::AppendLe32;
using testsupport::Bmp24;
using testsupport::BmpFileHeader;
using testsupport::EncodeWithWic;
using testsupport::Pattern;
using testsupport::Pixels;

// ---- Time bounds -------------------------------------------------------------------------------

namespace {

// The watchdog's state lives for the whole process and is never destroyed, so its thread can
// outlive every other object without touching a dead one.
struct WatchdogState {
    std::mutex lock;
    ULONGLONG deadline = 0;  // GetTickCount64 value; 0 while nothing is bounded
    std::string what;
};

WatchdogState& Watch()
{
    static WatchdogState* state = std::make_unique<WatchdogState>().release();
    return *state;
}

DWORD WINAPI WatchdogThread(void*)
{
    for (;;) {
        Sleep(200);
        std::string what;
        {
            std::lock_guard<std::mutex> guard(Watch().lock);
            if (Watch().deadline == 0 || GetTickCount64() < Watch().deadline)
                continue;
            what = Watch().what;
        }
        std::fprintf(stderr, "\n*** time bound exceeded (a hang): %s\n", what.c_str());
        std::fflush(stderr);
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);
    }
}

void StartWatchdogThread()
{
    static const bool started = [] {
        forms::UniqueKernelHandle thread(CreateThread(nullptr, 0, &WatchdogThread, nullptr, 0, nullptr));
        return static_cast<bool>(thread);
    }();
    (void)started;
}

class WatchdogListener : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo& info) override
    {
        StartWatchdogThread();
        std::lock_guard<std::mutex> guard(Watch().lock);
        Watch().deadline = GetTickCount64() + kTestBoundSeconds * 1000ULL;
        Watch().what = std::string(info.test_suite_name()) + "." + info.name();
    }
    void OnTestEnd(const testing::TestInfo&) override
    {
        std::lock_guard<std::mutex> guard(Watch().lock);
        Watch().deadline = 0;
    }
};

// A crash ends the run at once with its test named, instead of waiting on a debugger.
LONG WINAPI Crashed(EXCEPTION_POINTERS* info)
{
    const DWORD code = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0;
    const void* address = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionAddress : nullptr;
    std::fprintf(stderr, "\n*** crash 0x%08lx at %p in %s\n", static_cast<unsigned long>(code), address,
                 Watch().what.c_str());
    std::fflush(stderr);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), code ? code : 4);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Every test of this program runs under the watchdog.
const bool g_watchdogInstalled = [] {
    SetUnhandledExceptionFilter(&Crashed);
    testing::UnitTest::GetInstance()->listeners().Append(std::make_unique<WatchdogListener>().release());
    return true;
}();

thread_local std::vector<std::pair<ULONGLONG, std::string>> t_outerBounds;

}  // namespace

Bound::Bound(unsigned seconds, const char* what)
{
    StartWatchdogThread();
    std::lock_guard<std::mutex> guard(Watch().lock);
    t_outerBounds.emplace_back(Watch().deadline, Watch().what);
    Watch().deadline = GetTickCount64() + seconds * 1000ULL;
    Watch().what = Watch().what + ": " + what;
}

Bound::~Bound()
{
    std::lock_guard<std::mutex> guard(Watch().lock);
    Watch().deadline = t_outerBounds.back().first;
    Watch().what = t_outerBounds.back().second;
    t_outerBounds.pop_back();
}

// ---- Pictures ----------------------------------------------------------------------------------

std::string Bmp8(const Pixels& pixels)
{
    const std::uint32_t stride = (static_cast<std::uint32_t>(pixels.width) + 3) & ~3u;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(pixels.height);
    const std::uint32_t offset = 54 + 256 * 4;
    std::string out = BmpFileHeader(offset + imageSize, offset);
    AppendBmpInfoHeader(out, pixels.width, pixels.height, 8, imageSize, 256);
    for (unsigned i = 0; i < 256; ++i)
        AppendLe32(out, (i << 16) | (i << 8) | i);
    for (int y = pixels.height - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < pixels.width; ++x)
            row += static_cast<char>(pixels.At(x, y) & 0xff);
        row.resize(stride, '\0');
        out += row;
    }
    return out;
}

bool WriteBmp1(const std::wstring& path, int width, int height)
{
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) + 31) / 32) * 4;
    const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(height);
    const std::uint32_t offset = 54 + 8;
    std::string header = BmpFileHeader(static_cast<std::uint32_t>(offset + imageSize), offset);
    AppendBmpInfoHeader(header, width, height, 1, static_cast<std::uint32_t>(imageSize), 2);
    AppendLe32(header, 0x00000000u);
    AppendLe32(header, 0x00ffffffu);
    forms::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    if (!WriteFile(file.get(), header.data(), static_cast<DWORD>(header.size()), &written, nullptr))
        return false;
    // Rows go out in large blocks: stripes of 8 pixels.
    const std::string row(static_cast<std::size_t>(stride), '\x0f');
    const int rowsPerBlock = 256;
    std::string block;
    for (int r = 0; r < rowsPerBlock; ++r)
        block += row;
    for (int y = 0; y < height; y += rowsPerBlock) {
        const int rows = std::min(rowsPerBlock, height - y);
        const auto bytes = static_cast<DWORD>(static_cast<std::uint64_t>(rows) * stride);
        if (!WriteFile(file.get(), block.data(), bytes, &written, nullptr) || written != bytes)
            return false;
    }
    return true;
}

std::string BmpHeaderOnly(int width, int height)
{
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * 3) + 3) & ~3ull;
    const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(height);
    std::string out = BmpFileHeader(static_cast<std::uint32_t>(54 + imageSize), 54);
    AppendBmpInfoHeader(out, width, height, 24, static_cast<std::uint32_t>(imageSize), 0);
    out.append(4096, '\x55');
    return out;
}

std::string Gif(int width, int height, int frames, int transparent)
{
    std::string out = "GIF89a";
    AppendLe16(out, static_cast<unsigned>(width));
    AppendLe16(out, static_cast<unsigned>(height));
    out += static_cast<char>(0xF1);  // global table of 4 entries
    out += '\0';
    out += '\0';
    out += std::string("\xff\x00\x00\x00\xff\x00\x00\x00\xff\xff\xff\xff", 12);
    if (frames > 1)
        out += std::string("\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    for (int f = 0; f < frames; ++f) {
        out += std::string("\x21\xf9\x04", 3);
        out += static_cast<char>(transparent >= 0 ? 0x05 : 0x04);  // keep previous frame
        AppendLe16(out, 2);
        out += static_cast<char>(transparent >= 0 ? transparent : 0);
        out += '\0';
        out += '\x2C';
        AppendLe16(out, 0);
        AppendLe16(out, 0);
        AppendLe16(out, static_cast<unsigned>(width));
        AppendLe16(out, static_cast<unsigned>(height));
        out += '\0';
        std::vector<std::uint8_t> indexes;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                indexes.push_back(static_cast<std::uint8_t>((x + y + f) % 4));
        AppendGifIndexes(out, indexes);
    }
    out += '\x3B';
    return out;
}

namespace {

// A fixed pseudo-random sequence, so every run damages the same bytes.
struct Lcg {
    std::uint32_t state;
    std::uint32_t Next()
    {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    }
};

void AddDamaged(std::vector<DamagedFile>& set, const std::string& kind, const std::string& ext,
                const std::string& source)
{
    const std::size_t n = source.size();
    const auto name = [&](const std::string& what, std::size_t number) {
        char digits[16];
        std::snprintf(digits, sizeof(digits), "%05u", static_cast<unsigned>(number));
        const std::string text = kind + "_" + what + "_" + digits + "." + ext;
        return std::wstring(text.begin(), text.end());
    };
    // Cut at the headers' edges and at fractions of the file.
    std::vector<std::size_t> cuts{1, 2, 6, 10, 13, 14, 26, 30, 54, n / 4, n / 2, n * 3 / 4, n - 1};
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    for (const std::size_t cut : cuts)
        if (cut > 0 && cut < n)
            set.push_back({name("cut", cut), source.substr(0, cut)});

    // Bytes flipped in the header region and anywhere.
    Lcg random{static_cast<std::uint32_t>(n * 7919 + ext.size())};
    const int counts[] = {1, 3, 8, 32, 1, 2, 64, 5};
    for (std::size_t k = 0; k < std::size(counts); ++k) {
        std::string bytes = source;
        const std::size_t region = (k % 2 == 0) ? std::min<std::size_t>(n, 128) : n;
        for (int i = 0; i < counts[k]; ++i) {
            const std::size_t at = random.Next() % region;
            bytes[at] = static_cast<char>(bytes[at] ^ static_cast<char>(1 + random.Next() % 255));
        }
        set.push_back({name("flip", k), bytes});
    }

    // Header fields overwritten with all ones and all zeros.
    const std::pair<std::size_t, std::size_t> ranges[] = {{2, 10}, {10, 30}};
    for (const auto& [from, to] : ranges) {
        for (const char fill : {'\xff', '\0'}) {
            std::string bytes = source;
            for (std::size_t i = from; i < to && i < n; ++i)
                bytes[i] = fill;
            set.push_back({name(fill ? "ones" : "zeros", from), bytes});
        }
    }
}

// More flips than AddDamaged's, and headers that lie about the size.
void AddMoreDamaged(std::vector<DamagedFile>& set, const std::string& kind, const std::string& ext,
                    const std::string& source, const std::vector<std::pair<std::size_t, std::string>>& bigSizes)
{
    Lcg random{static_cast<std::uint32_t>(source.size() * 104729 + 17)};
    for (int k = 0; k < 6; ++k) {
        std::string bytes = source;
        for (int i = 0; i <= k * 3; ++i) {
            const std::size_t at = random.Next() % bytes.size();
            bytes[at] = static_cast<char>(bytes[at] ^ static_cast<char>(1 << (random.Next() % 8)));
        }
        const std::string name = kind + "_bit_" + std::to_string(k) + "." + ext;
        set.push_back({std::wstring(name.begin(), name.end()), bytes});
    }
    int number = 0;
    for (const auto& [offset, field] : bigSizes) {
        std::string bytes = source;
        bytes.replace(offset, field.size(), field);
        const std::string name = kind + "_big_" + std::to_string(number++) + "." + ext;
        set.push_back({std::wstring(name.begin(), name.end()), bytes});
    }
}

// A BMP whose header lies in one field.
std::string BmpLie(std::size_t offset, std::uint32_t value)
{
    std::string bytes = Bmp24(Pattern(16, 12, 5));
    std::memcpy(bytes.data() + offset, &value, sizeof(value));
    return bytes;
}

}  // namespace

std::vector<DamagedFile> DamagedSet()
{
    std::vector<DamagedFile> set;
    AddDamaged(set, "bmp24", "bmp", Bmp24(Pattern(31, 23, 1)));
    AddDamaged(set, "bmp8", "bmp", Bmp8(Pattern(29, 17, 2)));
    AddDamaged(set, "gif", "gif", Gif(33, 21, 2, -1));
    AddDamaged(set, "jpeg", "jpg", EncodeWithWic(GUID_ContainerFormatJpeg, {Pattern(40, 30, 3)}));
    AddDamaged(set, "tiff", "tif", EncodeWithWic(GUID_ContainerFormatTiff, {Pattern(24, 18, 4)}));

    // Header fields that lie: pixel offset past the end, absurd sizes, depths and palette counts.
    set.push_back({L"bmplie_offset.bmp", BmpLie(10, 0xFFFFFFF0u)});
    set.push_back({L"bmplie_width_max.bmp", BmpLie(18, 0x7FFFFFFFu)});
    set.push_back({L"bmplie_width_negative.bmp", BmpLie(18, 0xFFFFFFFFu)});
    set.push_back({L"bmplie_height_min.bmp", BmpLie(22, 0x80000000u)});
    set.push_back({L"bmplie_depth_zero.bmp", BmpLie(28, 0)});
    set.push_back({L"bmplie_depth_odd.bmp", BmpLie(28, 7)});
    set.push_back({L"bmplie_compression.bmp", BmpLie(30, 99)});
    set.push_back({L"bmplie_palette_huge.bmp", BmpLie(46, 0x7FFFFFFFu)});
    set.push_back({L"bmplie_header_size.bmp", BmpLie(14, 0xFFFFFF00u)});
    std::string gifScreen = Gif(8, 8, 1, -1);
    gifScreen[6] = gifScreen[7] = gifScreen[8] = gifScreen[9] = '\xff';  // screen 65535 x 65535
    set.push_back({L"giflie_screen.gif", gifScreen});
    std::string gifCode = Gif(8, 8, 1, -1);
    gifCode[gifCode.find('\x2C') + 10] = '\x0f';  // LZW code size beyond 12 bits
    set.push_back({L"giflie_codesize.gif", gifCode});
    return set;
}

std::vector<DamagedFile> DamagedFormatSet()
{
    std::vector<DamagedFile> set;
    const auto add = [&set](const std::string& kind, const std::string& ext, const std::string& source,
                            const std::vector<std::pair<std::size_t, std::string>>& bigSizes) {
        AddDamaged(set, kind, ext, source);
        AddMoreDamaged(set, kind, ext, source, bigSizes);
    };
    const std::string ones(8, '\xff');
    add("tga", "tga", testsupport::ReadFileBytes(testsupport::DataFile(L"rle_bottom_up.tga")),
        {{12, ones.substr(0, 4)}, {12, std::string("\xff\xff\x01\x10", 4)}});
    add("psd", "psd", testsupport::ReadFileBytes(testsupport::DataFile(L"alpha8.psd")),
        {{14, std::string("\x00\x00\x75\x30\x00\x00\x75\x30", 8)},
         {14, std::string("\x00\x10\x00\x00\x00\x10\x00\x00", 8)}});
    add("qoi", "qoi", testsupport::Qoi(Pattern(31, 23, 6), 3),
        {{4, ones},
         {4, std::string("\x00\x01\x00\x00\x00\x01\x00\x00", 8)},
         {4, std::string("\x00\x00\x40\x00\x00\x00\x40\x01", 8)}});
    std::vector<testsupport::Rgbe> light;
    for (int i = 0; i < 9 * 7; ++i)
        light.push_back({static_cast<unsigned char>(128 + i), static_cast<unsigned char>(200 - i), 150, 129});
    const std::string hdr = testsupport::Hdr(9, 7, light);
    const std::size_t size = hdr.find("-Y 7 +X 9");
    add("hdr", "hdr", hdr, {{size, "-Y 99999 +X 9999"}, {size, "-Y 20000 +X 20000"}});
    add("dds", "dds", testsupport::ReadFileBytes(testsupport::DataFile(L"blocks_dxt5.dds")),
        {{12, ones}, {12, std::string("\x00\x00\x01\x00\x00\x00\x01\x00", 8)}});
    return set;
}

std::uint64_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof(counters)))
        return 0;
    // Wine reports no private usage without swap; the working set then tells what is held.
    return std::max<std::uint64_t>(counters.PrivateUsage, counters.WorkingSetSize);
}

// ---- Files and names ---------------------------------------------------------------------------

std::wstring Extended(const std::wstring& path)
{
    if (path.rfind(L"\\\\?\\", 0) == 0)
        return path;
    return L"\\\\?\\" + path;
}

bool FileThere(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(Extended(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteExtended(const std::wstring& path, const std::string& bytes)
{
    return testsupport::WriteFileBytes(Extended(path), bytes);
}

namespace {

std::wstring ThisProgram()
{
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::wstring(buffer.data(), length);
}

std::wstring UniqueName(const wchar_t* what)
{
    static std::atomic<int> counter{0};
    return std::wstring(L"QuadrinoHostile.") + what + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
           std::to_wstring(counter++);
}

}  // namespace

HeldByOtherProcess::HeldByOtherProcess(const std::wstring& path)
{
    const std::wstring readyName = UniqueName(L"ready");
    const std::wstring releaseName = UniqueName(L"release");
    ready_ = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
    release_ = CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str());
    if (!ready_ || !release_)
        return;
    // The holder is this test program running only its holder case; it learns its task from the environment.
    SetEnvironmentVariableW(L"QUADRINO_HOLD_FILE", path.c_str());
    SetEnvironmentVariableW(L"QUADRINO_HOLD_READY", readyName.c_str());
    SetEnvironmentVariableW(L"QUADRINO_HOLD_RELEASE", releaseName.c_str());
    const std::wstring exe = ThisProgram();
    std::wstring commandLine = L"\"" + exe +
                               L"\" --gtest_filter=Holder.DISABLED_HoldsAFileWithoutSharing "
                               L"--gtest_also_run_disabled_tests --gtest_brief=1";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &info)) {
        process_ = info.hProcess;
        CloseHandle(info.hThread);
    }
    SetEnvironmentVariableW(L"QUADRINO_HOLD_FILE", nullptr);
    SetEnvironmentVariableW(L"QUADRINO_HOLD_READY", nullptr);
    SetEnvironmentVariableW(L"QUADRINO_HOLD_RELEASE", nullptr);
    if (!process_)
        return;
    const HANDLE waits[] = {ready_, process_};
    opened_ = WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
}

HeldByOtherProcess::~HeldByOtherProcess()
{
    if (release_)
        SetEvent(release_);
    if (process_) {
        if (WaitForSingleObject(process_, 20000) != WAIT_OBJECT_0) {
            TerminateProcess(process_, 1);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
    }
    if (ready_)
        CloseHandle(ready_);
    if (release_)
        CloseHandle(release_);
}

// ---- The real program as a separate process ----------------------------------------------------

std::wstring BuiltProgram()
{
    std::wstring folder = ThisProgram();
    folder.erase(folder.rfind(L'\\'));
    folder.erase(folder.rfind(L'\\') + 1);
    return folder + L"Quadrino.exe";
}

namespace {

struct ProcessWindows {
    DWORD processId;
    HWND main = nullptr;
    std::vector<HWND> visible;
};

BOOL CALLBACK CollectWindows(HWND hwnd, LPARAM param)
{
    auto& found = *reinterpret_cast<ProcessWindows*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != found.processId || !IsWindowVisible(hwnd))
        return TRUE;
    found.visible.push_back(hwnd);
    wchar_t caption[64] = {};
    GetWindowTextW(hwnd, caption, 64);
    if (std::wstring(caption) == L"Brenwick Quadrino")
        found.main = hwnd;
    return TRUE;
}

ProcessWindows WindowsOf(DWORD processId)
{
    ProcessWindows found{processId, nullptr, {}};
    EnumWindows(&CollectWindows, reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace

ProgramRun RunProgramCopy(const std::wstring& copyFolder, const std::wstring& tail, unsigned upSeconds)
{
    ProgramRun run;
    const std::wstring copy = copyFolder + L"Quadrino.exe";
    if (!FileThere(copy) && !CopyFileW(BuiltProgram().c_str(), copy.c_str(), TRUE))
        return run;
    std::wstring commandLine = L"\"" + copy + L"\"";
    if (!tail.empty())
        commandLine += L" " + tail;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, copyFolder.c_str(),
                        &startup, &info))
        return run;
    run.started = true;
    forms::UniqueKernelHandle process(info.hProcess);
    forms::UniqueKernelHandle thread(info.hThread);

    // Bounded wait: the main window shows and answers, or the process ends.
    for (unsigned attempt = 0; attempt < upSeconds * 10; ++attempt) {
        const ProcessWindows windows = WindowsOf(info.dwProcessId);
        DWORD_PTR answer = 0;
        if (windows.main && SendMessageTimeoutW(windows.main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) != 0) {
            run.windowCameUp = true;
            break;
        }
        if (WaitForSingleObject(process.get(), 100) == WAIT_OBJECT_0) {
            run.endedByItself = true;
            break;
        }
    }
    if (!run.endedByItself) {
        for (const HWND window : WindowsOf(info.dwProcessId).visible)
            PostMessageW(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.get(), 15000) == WAIT_OBJECT_0) {
            run.closedOnRequest = true;
        } else {
            TerminateProcess(process.get(), 0xDEAD);
            WaitForSingleObject(process.get(), 5000);
        }
    }
    GetExitCodeProcess(process.get(), &run.exitCode);
    return run;
}

}  // namespace hostile
