#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <thread>

#include "imaging/seam.h"
#include "imaging/thumbnail.h"
#include "support/pixels.h"
#include "support/test_env.h"
#include "ui/overview/thumbnail_work.h"

using namespace ui;

namespace {

constexpr std::uint32_t kBackground = 0x00F0F0F0u;

imaging::Image32 ImageOf(const testsupport::Pixels& pixels)
{
    imaging::Image32 image(pixels.width, pixels.height);
    image.pixels = pixels.argb;
    return image;
}

// Collects results until `count` arrived or ten seconds went by.
std::vector<ThumbnailWork::Result> Collect(ThumbnailWork& work, std::size_t count)
{
    std::vector<ThumbnailWork::Result> results;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (results.size() < count && std::chrono::steady_clock::now() < end) {
        for (ThumbnailWork::Result& result : work.TakeResults())
            results.push_back(std::move(result));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return results;
}

}  // namespace

TEST(OverviewWork, EachFileGivesItsThumbnailAndTheSeamOfTheWholePicture)
{
    const testsupport::TempFolder folder;
    const std::vector<testsupport::Pixels> pictures{testsupport::Pattern(40, 30, 1), testsupport::Pattern(7, 90, 2)};
    std::vector<std::wstring> paths;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        paths.push_back(folder / (L"p" + std::to_wstring(i) + L".bmp"));
        ASSERT_TRUE(testsupport::WriteFileBytes(paths.back(), testsupport::Bmp24(pictures[i])));
    }
    paths.push_back(folder / L"kaputt.bmp");
    ASSERT_TRUE(testsupport::WriteFileBytes(paths.back(), "BM kein Bild"));
    paths.push_back(folder / L"fehlt.bmp");

    ThumbnailWork work(2);
    EXPECT_EQ(work.Threads(), 2);
    const unsigned generation = work.Start(paths, {true, true, true, false}, 32, kBackground);
    const std::vector<ThumbnailWork::Result> results = Collect(work, 3);
    ASSERT_EQ(results.size(), 3u);
    std::vector<bool> seen(paths.size(), false);
    for (const ThumbnailWork::Result& result : results) {
        EXPECT_EQ(result.generation, generation);
        ASSERT_TRUE(result.facts);
        ASSERT_LT(result.index, 3);
        seen[static_cast<std::size_t>(result.index)] = true;
        if (result.index == 2) {
            EXPECT_FALSE(result.facts->readable);
            continue;
        }
        const imaging::Image32 picture = ImageOf(pictures[static_cast<std::size_t>(result.index)]);
        EXPECT_TRUE(result.facts->readable);
        EXPECT_EQ(result.facts->width, picture.width);
        EXPECT_EQ(result.facts->height, picture.height);
        EXPECT_EQ(result.facts->thumbnail.pixels, imaging::RepeatThumbnail(picture.View(), 32, kBackground).pixels);
        // The full picture's measure, not the thumbnail's.
        EXPECT_DOUBLE_EQ(result.facts->seam, imaging::MeasureSeam(picture.View(), kBackground).ratio);
        EXPECT_NE(result.facts->seam, imaging::MeasureSeam(result.facts->thumbnail.View(), kBackground).ratio);
    }
    EXPECT_EQ(seen, (std::vector<bool>{true, true, true, false}));  // the file not needed was left alone
}

TEST(OverviewWork, AnotherFolderDropsTheResultsOfTheOneBefore)
{
    const testsupport::TempFolder first;
    const testsupport::TempFolder second;
    std::vector<std::wstring> many;
    for (int i = 0; i < 40; ++i) {
        many.push_back(first / (L"a" + std::to_wstring(i) + L".bmp"));
        ASSERT_TRUE(testsupport::WriteFileBytes(many.back(), testsupport::Bmp24(testsupport::Pattern(200, 200, i))));
    }
    const std::wstring few = second / L"b.bmp";
    ASSERT_TRUE(testsupport::WriteFileBytes(few, testsupport::Bmp24(testsupport::Pattern(3, 5, 9))));

    ThumbnailWork work(2);
    work.Start(many, std::vector<bool>(many.size(), true), 16, kBackground);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const unsigned generation = work.Start({few}, {true}, 16, kBackground);
    std::vector<ThumbnailWork::Result> results = Collect(work, 1);
    // Whatever the workers had in hand still finishes; none of it may arrive.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (ThumbnailWork::Result& result : work.TakeResults())
        results.push_back(std::move(result));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].generation, generation);
    EXPECT_EQ(results[0].facts->width, 3);

    work.Cancel();
    EXPECT_TRUE(work.TakeResults().empty());
}

TEST(OverviewWork, ResultsAreAnnouncedOnceToTheWindowUntilTaken)
{
    const testsupport::TempFolder folder;
    std::vector<std::wstring> paths;
    for (int i = 0; i < 3; ++i) {
        paths.push_back(folder / (L"c" + std::to_wstring(i) + L".bmp"));
        ASSERT_TRUE(testsupport::WriteFileBytes(paths.back(), testsupport::Bmp24(testsupport::Pattern(4, 4, i))));
    }
    const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    constexpr UINT kMessage = WM_APP + 5;
    ThumbnailWork work(1);
    work.SetReceiver(window, kMessage);
    work.Start(paths, {true, true, true}, 8, kBackground);
    // Announced as soon as the first result waits; the others follow without a message of their own.
    MSG msg;
    for (int round = 0; round < 2000 && !PeekMessageW(&msg, window, kMessage, kMessage, PM_NOREMOVE); ++round)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    int announcements = 0;
    while (PeekMessageW(&msg, window, kMessage, kMessage, PM_REMOVE))
        ++announcements;
    EXPECT_EQ(announcements, 1);
    EXPECT_EQ(work.TakeResults().size(), 3u);
    DestroyWindow(window);
}
