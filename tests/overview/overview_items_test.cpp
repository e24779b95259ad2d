#include <gtest/gtest.h>

#include <optional>

#include "support/pixels.h"
#include "support/test_env.h"
#include "ui/overview/overview_items.h"

using namespace ui;

namespace {

OverviewItem Item(const std::wstring& name, std::optional<double> seam, int width = 10, int height = 10,
                  bool readable = true)
{
    OverviewItem item;
    item.name = name;
    if (seam) {
        auto facts = std::make_shared<TileFacts>();
        facts->readable = readable;
        facts->seam = *seam;
        facts->width = width;
        facts->height = height;
        item.facts = facts;
    }
    return item;
}

}  // namespace

TEST(OverviewItems, SortingPutsWhatIsNotKnownLastInListedOrder)
{
    const std::vector<OverviewItem> items{
        Item(L"a", std::nullopt),       Item(L"b", 2.5, 30, 30), Item(L"c", 0.98, 50, 40),
        Item(L"d", 1.5, 8, 8, false),  // not readable: its numbers mean nothing
        Item(L"e", 1.04, 20, 20),       Item(L"f", std::nullopt), Item(L"g", 2.5, 4, 4),
    };
    EXPECT_EQ(SortOrder(items, SortKey::Name), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(SortOrder(items, SortKey::Seam), (std::vector<int>{2, 4, 1, 6, 0, 3, 5}));
    EXPECT_EQ(SortOrder(items, SortKey::Size), (std::vector<int>{6, 4, 1, 2, 0, 3, 5}));
}

TEST(OverviewItems, TheLabelGivesTheSeamAsTheMainWindowWritesIt)
{
    TileFacts facts;
    facts.readable = true;
    facts.seam = 1.0449;
    EXPECT_EQ(SeamLabel(&facts), L"Naht 1,04");
    facts.seam = 12.5;
    EXPECT_EQ(SeamLabel(&facts), L"Naht 12,50");
    facts.readable = false;
    EXPECT_EQ(SeamLabel(&facts), L"nicht lesbar");
    EXPECT_EQ(SeamLabel(nullptr), L"");
}

TEST(OverviewItems, TheCacheRedoesAFileThatChangedOnDisk)
{
    const testsupport::TempFolder folder;
    const std::wstring path = folder / L"Wand.bmp";
    ASSERT_TRUE(testsupport::WriteFileBytes(path, testsupport::Bmp24(testsupport::Pattern(8, 8, 1))));
    const FileStamp before = StampOf(path);
    EXPECT_NE(before.written, 0u);

    ThumbnailCache cache;
    const auto made = MakeTileFacts(path, 16, 0xFFFFFF);
    ASSERT_TRUE(made->readable);
    cache.Put(path, before, made);
    EXPECT_EQ(cache.Find(folder / L"WAND.BMP", before, 16), made);  // names without regard to case
    EXPECT_EQ(cache.Find(path, before, 24), nullptr);                // another DPI, another side

    // Rewritten with another picture and a later time: the old thumbnail is not found any more.
    ASSERT_TRUE(testsupport::WriteFileBytes(path, testsupport::Bmp24(testsupport::Pattern(12, 8, 2))));
    {
        const HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        const std::uint64_t later = before.written + 10'000'000;  // one second on
        const FILETIME time{static_cast<DWORD>(later), static_cast<DWORD>(later >> 32)};
        EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
        CloseHandle(file);
    }
    const FileStamp after = StampOf(path);
    EXPECT_FALSE(after == before);
    EXPECT_EQ(cache.Find(path, after, 16), nullptr);
    cache.Put(path, after, MakeTileFacts(path, 16, 0xFFFFFF));
    ASSERT_NE(cache.Find(path, after, 16), nullptr);
    EXPECT_EQ(cache.Find(path, after, 16)->width, 12);
    EXPECT_EQ(cache.Count(), 1u);
}

TEST(OverviewItems, TheCacheForgetsWhatWasUsedLongestAgoPastItsBudget)
{
    const auto thumbnail = [] {
        auto facts = std::make_shared<TileFacts>();
        facts->readable = true;
        facts->thumbnail = imaging::Image32(16, 16);
        return facts;
    };
    const std::size_t each = sizeof(TileFacts) + 16 * 16 * 4;
    ThumbnailCache cache(4 * each);
    const FileStamp stamp{1, 2};
    for (const wchar_t* name : {L"a", L"b", L"c", L"d"})
        cache.Put(name, stamp, thumbnail());
    EXPECT_EQ(cache.Count(), 4u);
    EXPECT_EQ(cache.Bytes(), 4 * each);
    ASSERT_NE(cache.Find(L"a", stamp, 16), nullptr);  // now the one used last

    // Over the budget: the oldest go until a quarter is free, and "a", just found, stays.
    cache.Put(L"e", stamp, thumbnail());
    EXPECT_EQ(cache.Count(), 3u);
    EXPECT_EQ(cache.Bytes(), 3 * each);
    EXPECT_NE(cache.Find(L"a", stamp, 16), nullptr);
    EXPECT_NE(cache.Find(L"e", stamp, 16), nullptr);
    EXPECT_EQ(cache.Find(L"b", stamp, 16), nullptr);
    EXPECT_EQ(cache.Find(L"c", stamp, 16), nullptr);
    // The same file made again replaces its entry without counting twice.
    cache.Put(L"d", stamp, thumbnail());
    EXPECT_EQ(cache.Bytes(), 3 * each);
}
