#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "forms/clipboard.h"
#include "forms/picture.h"
#include "forms/picture_box.h"
#include "test_images.h"

using picturetest::ExpectSameColours;
using testsupport::MakeDib;
using testsupport::Pixels;
using testsupport::ReadClipboardBitmap;

namespace {

// The bitmap handle the clipboard holds now.
HBITMAP ClipboardBitmap(HWND window)
{
    const forms::ClipboardSession session(window);
    return session.IsOpen() ? static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)) : nullptr;
}

}  // namespace

TEST(Clipboard, SetBitmapPutsACopyOfThePixels)
{
    picturetest::HostWindow host;
    const Pixels pattern = testsupport::Pattern(33, 21, 12);
    forms::UniqueHbitmap bitmap = MakeDib(pattern);
    ASSERT_TRUE(forms::ClipboardSetBitmap(host.get(), bitmap.get()));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_EQ(GetClipboardOwner(), host.get());
    ExpectSameColours(ReadClipboardBitmap(host.get()), pattern);

    // The caller's bitmap is untouched and still its own.
    EXPECT_EQ(GetObjectType(bitmap.get()), static_cast<DWORD>(OBJ_BITMAP));
    ExpectSameColours(testsupport::ReadBitmap(bitmap.get()), pattern);
    ASSERT_TRUE(forms::ClipboardClear(host.get()));
    EXPECT_EQ(GetObjectType(bitmap.get()), static_cast<DWORD>(OBJ_BITMAP));
}

TEST(Clipboard, PersistentImageOfAPictureBoxGoesOverWhileSelected)
{
    picturetest::HostWindow host;
    forms::PictureBox box;
    ASSERT_TRUE(box.Create(host.get(), {0, 0, 80, 60}));
    box.SetAutoSize(true);
    const Pixels pattern = testsupport::Pattern(45, 35, 13);
    forms::Picture picture(MakeDib(pattern), 45, 35, false);
    box.SetPicture(picture);
    ASSERT_EQ(GetCurrentObject(box.Hdc(), OBJ_BITMAP), box.Image());

    ASSERT_TRUE(forms::ClipboardClear(host.get()));
    ASSERT_TRUE(forms::ClipboardSetBitmap(host.get(), box.Image()));
    ExpectSameColours(ReadClipboardBitmap(host.get()), pattern);
    EXPECT_EQ(GetCurrentObject(box.Hdc(), OBJ_BITMAP), box.Image());
}

TEST(Clipboard, ClearEmptiesAndTakesOwnership)
{
    picturetest::HostWindow host;
    picturetest::HostWindow other;
    forms::UniqueHbitmap bitmap = MakeDib(testsupport::Pattern(4, 4, 14));
    ASSERT_TRUE(forms::ClipboardSetBitmap(other.get(), bitmap.get()));
    ASSERT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    ASSERT_TRUE(forms::ClipboardClear(host.get()));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_EQ(CountClipboardFormats(), 0);
    EXPECT_EQ(GetClipboardOwner(), host.get());
}

TEST(Clipboard, SetReplacesAnotherOwnersContent)
{
    picturetest::HostWindow host;
    picturetest::HostWindow other;
    const Pixels first = testsupport::Pattern(6, 5, 15);
    const Pixels second = testsupport::Pattern(9, 2, 16);
    forms::UniqueHbitmap a = MakeDib(first);
    forms::UniqueHbitmap b = MakeDib(second);
    ASSERT_TRUE(forms::ClipboardSetBitmap(other.get(), a.get()));
    ASSERT_TRUE(forms::ClipboardSetBitmap(host.get(), b.get()));
    EXPECT_EQ(GetClipboardOwner(), host.get());
    ExpectSameColours(ReadClipboardBitmap(host.get()), second);
    // Setting again as the owner replaces the bitmap too.
    ASSERT_TRUE(forms::ClipboardSetBitmap(host.get(), a.get()));
    ExpectSameColours(ReadClipboardBitmap(host.get()), first);
}

TEST(Clipboard, FailsWhileAnotherWindowHoldsItOpen)
{
    picturetest::HostWindow host;
    picturetest::HostWindow other;
    forms::UniqueHbitmap bitmap = MakeDib(testsupport::Pattern(4, 4, 17));
    bool cleared = true;
    bool set = true;
    {
        const forms::ClipboardSession held(other.get());
        ASSERT_TRUE(held.IsOpen());
        // Same thread: the clipboard is open by this thread, so open it from another one.
        std::thread([&] {
            picturetest::HostWindow threadWindow;
            cleared = forms::ClipboardClear(threadWindow.get());
            set = forms::ClipboardSetBitmap(threadWindow.get(), bitmap.get());
        }).join();
    }
    EXPECT_FALSE(cleared);
    EXPECT_FALSE(set);
    EXPECT_EQ(GetObjectType(bitmap.get()), static_cast<DWORD>(OBJ_BITMAP));
}

TEST(Clipboard, RepeatedSetsDoNotLeakGdiObjects)
{
    picturetest::HostWindow host;
    forms::UniqueHbitmap bitmap = MakeDib(testsupport::Pattern(64, 48, 18));
    ASSERT_TRUE(forms::ClipboardSetBitmap(host.get(), bitmap.get()));
    HBITMAP previous = ClipboardBitmap(host.get());
    ASSERT_NE(previous, nullptr);
    ASSERT_NE(previous, bitmap.get());
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 200; ++i) {
        if (i % 2) {
            ASSERT_TRUE(forms::ClipboardClear(host.get()));
            // Clearing frees the copy the clipboard held.
            ASSERT_EQ(GetObjectType(previous), 0u) << i;
        }
        ASSERT_TRUE(forms::ClipboardSetBitmap(host.get(), bitmap.get()));
        // Replacing frees the one before as well.
        ASSERT_EQ(GetObjectType(previous), 0u) << i;
        previous = ClipboardBitmap(host.get());
        ASSERT_EQ(GetObjectType(previous), static_cast<DWORD>(OBJ_BITMAP));
    }
    ASSERT_TRUE(forms::ClipboardClear(host.get()));
    EXPECT_EQ(GetObjectType(previous), 0u);
    // Where the platform counts GDI objects (Wine reports 0), the count stays put too.
    const DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    EXPECT_LE(after, before + 5);
    EXPECT_EQ(GetObjectType(bitmap.get()), static_cast<DWORD>(OBJ_BITMAP));
}
