// The clipboard bitmap of a form of this thread is promised and handed over when asked for.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "forms/clipboard.h"
#include "forms/form.h"
#include "forms/handles.h"
#include "forms/picture.h"
#include "forms/picture_box.h"
#include "test_images.h"

using picturetest::ExpectSameColours;
using testsupport::MakeDib;
using testsupport::Pixels;
using testsupport::ReadClipboardBitmap;

namespace {

// Only a form promises: its window procedure answers the clipboard's requests.
class FormHost {
public:
    FormHost() { form_.Load(forms::FormStyle{}); }
    HWND get() const { return form_.Hwnd(); }

private:
    forms::Form form_;
};

// A box whose persistent image holds the pattern at its top left.
void Draw(forms::PictureBox& box, const Pixels& pattern)
{
    box.SetPicture(forms::Picture(MakeDib(pattern), pattern.width, pattern.height, false));
}

}  // namespace

TEST(ClipboardPromise, PixelsAreThoseOfTheMomentOfCopyingNotOfTheAsking)
{
    FormHost host;
    forms::PictureBox box;
    ASSERT_TRUE(box.Create(host.get(), {0, 0, 70, 50}));
    const Pixels first = testsupport::Pattern(box.ScaleWidth(), box.ScaleHeight(), 21);
    Draw(box, first);
    ASSERT_TRUE(forms::ClipboardSetBitmap(host.get(), box.Hdc(), box.ScaleWidth(), box.ScaleHeight()));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));

    // Drawing after the copy does not change what a later paste gets.
    Draw(box, testsupport::Pattern(box.ScaleWidth(), box.ScaleHeight(), 22));
    ExpectSameColours(ReadClipboardBitmap(host.get()), first);
}

TEST(ClipboardPromise, OnlyTheGivenTopLeftPartIsCopied)
{
    FormHost host;
    forms::PictureBox box;
    ASSERT_TRUE(box.Create(host.get(), {0, 0, 70, 50}));
    const Pixels whole = testsupport::Pattern(box.ScaleWidth(), box.ScaleHeight(), 23);
    Draw(box, whole);
    ASSERT_TRUE(forms::ClipboardSetBitmap(host.get(), box.Hdc(), 17, 9));
    const Pixels got = ReadClipboardBitmap(host.get());
    ASSERT_EQ(got.width, 17);
    ASSERT_EQ(got.height, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 17; ++x)
            ASSERT_EQ(got.At(x, y) & 0xffffffu, whole.At(x, y) & 0xffffffu) << x << "," << y;
    EXPECT_FALSE(forms::ClipboardSetBitmap(host.get(), box.Hdc(), 0, 9));
    EXPECT_FALSE(forms::ClipboardSetBitmap(host.get(), nullptr, 5, 5));
}

TEST(ClipboardPromise, ADragCopiesOnlyWhatCameIntoViewAndAPasteGetsTheWholeBox)
{
    FormHost host;
    forms::PictureBox box;
    ASSERT_TRUE(box.Create(host.get(), {0, 0, 70, 50}));
    Draw(box, testsupport::Pattern(box.ScaleWidth(), box.ScaleHeight(), 24));
    // One clipboard step as the main window takes it: what stayed of the box is not copied again.
    const auto step = [&] {
        ASSERT_TRUE(forms::ClipboardClear(host.get()));
        ASSERT_TRUE(
            forms::ClipboardSetBitmap(host.get(), box.Hdc(), box.ScaleWidth(), box.ScaleHeight(), {}, box.Unchanged()));
        box.MarkUnchanged();
        const Pixels image = testsupport::ReadDc(box.Hdc(), box.ScaleWidth(), box.ScaleHeight());
        ExpectSameColours(ReadClipboardBitmap(host.get()), image);
    };
    const auto size = [&](int width, int height) {
        SetWindowPos(box.Hwnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    step();
    size(80, 60);  // new strips of background beside and below the pattern
    step();
    size(60, 40);
    size(75, 55);  // shrunk first: background now where the pattern was, within the last copy
    step();
    EXPECT_EQ(box.Unchanged().cx, box.ScaleWidth());
    size(240, 170);  // past the room the kept copy had, and back far below it: copies made anew
    step();
    size(60, 40);
    step();

    // Drawn through the DC and said so: copied anew.
    const Pixels drawn = testsupport::Pattern(box.ScaleWidth(), box.ScaleHeight(), 25);
    const forms::UniqueHbitmap dib = MakeDib(drawn);
    const forms::UniqueHdc source(CreateCompatibleDC(nullptr));
    const auto paint = [&] {
        const forms::SelectGuard select(source.get(), dib.get());
        BitBlt(box.Hdc(), 0, 0, drawn.width, drawn.height, source.get(), 0, 0, SRCCOPY);
    };
    paint();
    box.Drawn();
    step();
    // Drawn without saying so: the copy kept from the last step is what a paste gets.
    const Pixels kept = testsupport::ReadDc(box.Hdc(), box.ScaleWidth(), box.ScaleHeight());
    Draw(box, testsupport::Pattern(box.ScaleWidth(), box.ScaleHeight(), 26));
    box.MarkUnchanged();
    ASSERT_TRUE(forms::ClipboardClear(host.get()));
    ASSERT_TRUE(
        forms::ClipboardSetBitmap(host.get(), box.Hdc(), box.ScaleWidth(), box.ScaleHeight(), {}, box.Unchanged()));
    ExpectSameColours(ReadClipboardBitmap(host.get()), kept);
}

TEST(ClipboardPromise, AnotherThreadAsksAndGetsThePixels)
{
    FormHost host;
    const Pixels pattern = testsupport::Pattern(31, 19, 24);
    forms::UniqueHbitmap bitmap = MakeDib(pattern);
    ASSERT_TRUE(forms::ClipboardSetBitmap(host.get(), bitmap.get()));

    // The owner answers the request while it waits for the other thread, as a message loop would.
    Pixels got;
    std::atomic<bool> done{false};
    std::thread reader([&] {
        picturetest::HostWindow readerWindow;
        got = ReadClipboardBitmap(readerWindow.get());
        done = true;
    });
    const DWORD until = GetTickCount() + 10000;
    while (!done && GetTickCount() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT | QS_SENDMESSAGE);
        picturetest::PumpMessages();
    }
    reader.join();
    ExpectSameColours(got, pattern);
}

TEST(ClipboardPromise, TheBitmapStaysWhenTheOwnerIsDestroyed)
{
    const Pixels pattern = testsupport::Pattern(12, 8, 25);
    {
        FormHost host;
        forms::UniqueHbitmap bitmap = MakeDib(pattern);
        ASSERT_TRUE(forms::ClipboardSetBitmap(host.get(), bitmap.get()));
    }
    ExpectSameColours(ReadClipboardBitmap(nullptr), pattern);
}

TEST(ClipboardPromise, AnEarlierOwnerGoingLeavesTheCopyOfTheOwnerNow)
{
    const Pixels pattern = testsupport::Pattern(12, 8, 27);
    FormHost owner;
    {
        FormHost earlier;
        forms::UniqueHbitmap before = MakeDib(testsupport::Pattern(5, 5, 28));
        ASSERT_TRUE(forms::ClipboardSetBitmap(earlier.get(), before.get()));
        forms::UniqueHbitmap now = MakeDib(pattern);
        ASSERT_TRUE(forms::ClipboardSetBitmap(owner.get(), now.get()));
    }
    ExpectSameColours(ReadClipboardBitmap(owner.get()), pattern);
}

TEST(ClipboardPromise, AnEmptiedClipboardHandsNothingOver)
{
    FormHost host;
    picturetest::HostWindow other;
    forms::UniqueHbitmap bitmap = MakeDib(testsupport::Pattern(6, 6, 26));
    ASSERT_TRUE(forms::ClipboardSetBitmap(host.get(), bitmap.get()));
    ASSERT_TRUE(forms::ClipboardClear(other.get()));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    // The owner that lost the clipboard must not put its old promise back when it goes.
    SendMessageW(host.get(), WM_RENDERALLFORMATS, 0, 0);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_EQ(GetClipboardOwner(), other.get());
}

namespace {

// A promise of one registered format whose render calls are counted; the bytes are the count so far.
forms::PromisedFormat CountedFormat(UINT format, std::shared_ptr<int> renders)
{
    return {format, [renders] { return std::vector<std::uint8_t>{static_cast<std::uint8_t>(++*renders)}; }};
}

std::vector<std::uint8_t> ClipboardBytes(HWND window, UINT format)
{
    std::vector<std::uint8_t> bytes;
    forms::ClipboardSession session(window);
    if (HANDLE data = session.IsOpen() ? GetClipboardData(format) : nullptr) {
        const forms::GlobalLockScope<const std::uint8_t> locked(data);
        if (locked.get())
            bytes.assign(locked.get(), locked.get() + locked.Size());
    }
    return bytes;
}

}  // namespace

TEST(ClipboardPromise, FurtherFormatsAreRenderedOnceWhenAskedAndDroppedWithTheClipboard)
{
    const UINT format = RegisterClipboardFormatW(L"Quadrino test format");
    FormHost host;
    auto renders = std::make_shared<int>(0);
    // Only beside what the owner holds: another owner's clipboard is left alone.
    picturetest::HostWindow other;
    ASSERT_TRUE(forms::ClipboardClear(other.get()));
    EXPECT_FALSE(forms::ClipboardPromiseFormats(host.get(), {CountedFormat(format, renders)}));

    ASSERT_TRUE(forms::ClipboardClear(host.get()));
    ASSERT_TRUE(forms::ClipboardPromiseFormats(host.get(), {CountedFormat(format, renders)}));
    EXPECT_TRUE(IsClipboardFormatAvailable(format));
    EXPECT_EQ(*renders, 0) << "nothing is made before a program asks";
    EXPECT_EQ(ClipboardBytes(nullptr, format), std::vector<std::uint8_t>{1});
    EXPECT_EQ(ClipboardBytes(nullptr, format), std::vector<std::uint8_t>{1});
    EXPECT_EQ(*renders, 1);

    // Emptied before anyone asked: never rendered, and what the promise held is let go.
    ASSERT_TRUE(forms::ClipboardClear(host.get()));
    ASSERT_TRUE(forms::ClipboardPromiseFormats(host.get(), {CountedFormat(format, renders)}));
    ASSERT_TRUE(forms::ClipboardClear(other.get()));
    SendMessageW(host.get(), WM_RENDERALLFORMATS, 0, 0);
    EXPECT_EQ(*renders, 1);
    EXPECT_EQ(renders.use_count(), 1);

    // A window that is no form cannot answer later: the bytes go over at once.
    ASSERT_TRUE(forms::ClipboardPromiseFormats(other.get(), {CountedFormat(format, renders)}));
    EXPECT_EQ(*renders, 2);
    EXPECT_EQ(ClipboardBytes(nullptr, format), std::vector<std::uint8_t>{2});
}
