// The real program started with hostile command lines and surroundings, one copy at a time (it runs
// once per session): it must come up, answer and end on WM_CLOSE, or end by itself, never crash.

#include "hostile_support.h"

namespace {

using hostile::ProgramRun;
using hostile::RunProgramCopy;
using testsupport::TempFolder;
using testsupport::WriteFileBytes;

class HostileCommandLine : public testing::Test {
protected:
    void SetUp() override
    {
        if (GetFileAttributesW(hostile::BuiltProgram().c_str()) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "the program is not built beside the tests";
    }
    // Starts a copy with the tail and expects it up and closed cleanly.
    void ExpectComesUpAndCloses(const std::wstring& tail)
    {
        const ProgramRun run = RunProgramCopy(copy_.Path(), tail);
        ASSERT_TRUE(run.started);
        EXPECT_TRUE(run.windowCameUp) << "ended by itself: " << run.endedByItself << ", exit code " << std::hex
                                      << run.exitCode;
        EXPECT_TRUE(run.closedOnRequest);
        EXPECT_EQ(run.exitCode, 0u) << std::hex << run.exitCode;
    }
    TempFolder copy_;
};

TEST_F(HostileCommandLine, TenThousandCharactersComeUpAndClose)
{
    std::wstring tail = L"C:\\";
    while (tail.size() < 10000)
        tail += L"Sehr langer Ordnername\\";
    tail += L"Bild.bmp";
    ExpectComesUpAndCloses(tail);
}

TEST_F(HostileCommandLine, QuotationMarksOnlyComeUpAndClose)
{
    ExpectComesUpAndCloses(L"\"");
    ExpectComesUpAndCloses(L"\"\"");
    ExpectComesUpAndCloses(std::wstring(501, L'"'));
}

TEST_F(HostileCommandLine, ControlCharactersComeUpAndClose)
{
    std::wstring tail;
    for (wchar_t c = 1; c < 32; ++c)
        tail += c;
    ExpectComesUpAndCloses(tail);
    ExpectComesUpAndCloses(L"C:\\Bild\t\r\n.bmp");
    ExpectComesUpAndCloses(std::wstring(L"\x7f\xfeff\xffff\xd800 Bild.bmp"));
}

TEST_F(HostileCommandLine, NetworkDeviceAndMissingDrivePathsComeUpAndClose)
{
    ExpectComesUpAndCloses(L"\\\\server\\share\\Bild.bmp");
    ExpectComesUpAndCloses(L"\\\\.\\pipe\\kein Rohr");
    ExpectComesUpAndCloses(L"Q:\\gibt es nicht\\Bild.bmp");
    ExpectComesUpAndCloses(L"CON");
}

TEST_F(HostileCommandLine, DamagedHugeAndLongNamedPicturesComeUpAndClose)
{
    TempFolder pictures;
    ASSERT_TRUE(WriteFileBytes(pictures / L"Kaputt.jpg", std::string("\xff\xd8\xff\xe0", 4) + std::string(100, 'x')));
    ASSERT_TRUE(hostile::WriteBmp1(pictures / L"Gross.bmp", 20000, 20000));
    const std::wstring unicode = pictures / L"壁紙 Πλακάκι Größe \U0001F600.bmp";
    ASSERT_TRUE(WriteFileBytes(unicode, testsupport::Bmp24(testsupport::Pattern(6, 6, 1))));
    std::wstring deep = pictures.Path();
    while (deep.size() < 280) {
        deep += std::wstring(40, L'L') + L"\\";
        ASSERT_TRUE(CreateDirectoryW(hostile::Extended(deep).c_str(), nullptr));
    }
    ASSERT_TRUE(hostile::WriteExtended(deep + L"Tief.bmp", testsupport::Bmp24(testsupport::Pattern(5, 5, 2))));

    ExpectComesUpAndCloses(pictures / L"Kaputt.jpg");
    ExpectComesUpAndCloses(pictures / L"Gross.bmp");
    ExpectComesUpAndCloses(unicode);
    ExpectComesUpAndCloses(L"\"" + unicode + L"\"");
    ExpectComesUpAndCloses(deep + L"Tief.bmp");
    ExpectComesUpAndCloses(pictures.Path());
}

TEST_F(HostileCommandLine, ACollectionFolderThatIsAPlainFileIsLeftAloneAtStart)
{
    ASSERT_TRUE(WriteFileBytes(copy_ / L"Tiles", "kein Ordner"));
    ExpectComesUpAndCloses(L"");
    EXPECT_EQ(testsupport::ReadFileBytes(copy_ / L"Tiles"), "kein Ordner");
}

TEST_F(HostileCommandLine, APictureHeldOpenByAnotherProcessComesUpAndCloses)
{
    TempFolder pictures;
    ASSERT_TRUE(WriteFileBytes(pictures / L"Gesperrt.bmp", testsupport::Bmp24(testsupport::Pattern(6, 6, 3))));
    hostile::HeldByOtherProcess holder(pictures / L"Gesperrt.bmp");
    ASSERT_TRUE(holder.Opened());
    ExpectComesUpAndCloses(pictures / L"Gesperrt.bmp");
}

}  // namespace
