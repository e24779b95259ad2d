#include <gtest/gtest.h>

#include <windows.h>

#include "helpers.h"
#include "imaging/composite.h"
#include "imaging/save.h"
#include "support/test_env.h"

using namespace imaging;
using testsupport::ReadFileBytes;

namespace {

constexpr std::uint32_t kBackground = 0x00204080u;

// Whether `bytes` decode to the w x h tiling of `tile`, composited over the background when `opaque`.
::testing::AssertionResult IsTiling(const std::string& bytes, const Image32& tile, int w, int h, bool opaque)
{
    const std::optional<Image32> image = imagingtest::Decode(bytes);
    if (!image || image->width != w || image->height != h)
        return ::testing::AssertionFailure() << "not decodable or of another size";
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t source = tile.At(x % tile.width, y % tile.height);
            if (image->At(x, y) != (opaque ? CompositeOver(source, kBackground) : source))
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " differs";
        }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(ImagingEncode, PngInMemoryDecodesToTheExactTiling)
{
    const Image32 tile = imagingtest::SampleTile(3, 2, 21);
    const std::vector<std::uint8_t> png = EncodePngToMemory(tile.View(), 7, 5);
    EXPECT_TRUE(IsTiling(std::string(png.begin(), png.end()), tile, 7, 5, false));
    EXPECT_TRUE(EncodePngToMemory(tile.View(), kMaxOutputSide + 1, 1).empty());
    EXPECT_TRUE(EncodePngToMemory(Image32().View(), 7, 5).empty());
    EXPECT_EQ(EncodeTiling(nullptr, ImageFormat::Png, tile.View(), 7, 5, 0), E_INVALIDARG);
}

TEST(ImagingSave, EachFormatWritesTheTilingAndReplacesAnOldFile)
{
    testsupport::TempFolder folder;
    const Image32 tile = imagingtest::SampleTile(3, 2, 33);
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"t.png", "old contents"));
    const std::pair<ImageFormat, const wchar_t*> cases[] = {{ImageFormat::Png, L"t.png"},
                                                            {ImageFormat::Bmp, L"t.bmp"},
                                                            {ImageFormat::Tiff, L"t.tif"},
                                                            {ImageFormat::Jpeg, L"t.jpg"}};
    for (const auto& [format, name] : cases) {
        const SaveResult result = SaveTilingToFile(folder / name, format, tile.View(), 7, 5, kBackground);
        ASSERT_TRUE(result.ok) << DescribeError(result).c_str();
        if (format == ImageFormat::Jpeg) {
            const std::optional<Image32> image = imagingtest::Decode(ReadFileBytes(folder / name));
            EXPECT_TRUE(image && image->width == 7 && image->height == 5);
        } else {
            EXPECT_TRUE(IsTiling(ReadFileBytes(folder / name), tile, 7, 5, format == ImageFormat::Bmp)) << name;
        }
    }
    EXPECT_EQ(imagingtest::FolderEntries(folder.Path()).size(), 4u);  // no temporary file left behind
    ASSERT_TRUE(SaveTilingToFile(folder / L"wide.png", ImageFormat::Png, tile.View(), kMaxOutputSide, 2, 0).ok);
    EXPECT_TRUE(IsTiling(ReadFileBytes(folder / L"wide.png"), tile, kMaxOutputSide, 2, false));
}

TEST(ImagingSave, FailuresLeaveTheOldFileAndNoTemporaryFile)
{
    testsupport::TempFolder folder;
    const Image32 tile = imagingtest::SampleTile(3, 2, 44);
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"old.png", "old contents"));
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"locked.png", "locked contents"));
    ASSERT_TRUE(SetFileAttributesW((folder / L"locked.png").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CreateDirectoryW((folder / L"folder.png").c_str(), nullptr));

    for (const wchar_t* name : {L"missing\\x.png", L"locked.png", L"folder.png"}) {
        const SaveResult result = SaveTilingToFile(folder / name, ImageFormat::Png, tile.View(), 7, 5, kBackground);
        EXPECT_FALSE(result.ok) << name;
        EXPECT_TRUE(FAILED(result.error));
        const std::wstring reason = DescribeError(result);
        EXPECT_TRUE(!reason.empty() && reason.back() != L'\n' && reason.back() != L'\r') << name;
    }
    for (int side : {0, -1, kMaxOutputSide + 1}) {
        EXPECT_EQ(SaveTilingToFile(folder / L"old.png", ImageFormat::Png, tile.View(), side, 5, 0).error, E_INVALIDARG);
        EXPECT_EQ(SaveTilingToFile(folder / L"old.png", ImageFormat::Bmp, tile.View(), 5, side, 0).error, E_INVALIDARG);
    }
    EXPECT_EQ(ReadFileBytes(folder / L"old.png"), "old contents");
    EXPECT_EQ(ReadFileBytes(folder / L"locked.png"), "locked contents");
    EXPECT_NE(GetFileAttributesW((folder / L"folder.png").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(imagingtest::FolderEntries(folder.Path()).size(), 3u);
}
