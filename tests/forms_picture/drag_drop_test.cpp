#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <stdexcept>

#include "forms/drag_drop.h"
#include "support/drop_data.h"
#include "test_images.h"

TEST(DroppedFiles, ReturnsEveryPathInOrderWithNonAsciiNames)
{
    const std::wstring longName = L"C:\\" + std::wstring(280, L'x') + L".bmp";
    const std::vector<std::wstring> paths = {L"C:\\Kacheln\\Größe ß.bmp", L"Z:\\tmp\\写真 タイル.gif", L"C:\\a.jpg",
                                             longName, L"\\\\server\\share\\Ærø.tif"};
    const auto data = testsupport::MakeFileDropData(paths);
    EXPECT_TRUE(forms::HasFileList(data.Get()));
    EXPECT_EQ(forms::DroppedFiles(data.Get()), paths);
    // The data object can be read again: the medium was given back, not consumed.
    EXPECT_EQ(forms::DroppedFiles(data.Get()), paths);
}

TEST(DroppedFiles, SinglePathAndEmptyList)
{
    EXPECT_EQ(forms::DroppedFiles(testsupport::MakeFileDropData({L"C:\\x.bmp"}).Get()),
              std::vector<std::wstring>{L"C:\\x.bmp"});
    const auto none = testsupport::MakeFileDropData({});
    EXPECT_TRUE(forms::HasFileList(none.Get()));
    EXPECT_TRUE(forms::DroppedFiles(none.Get()).empty());
}

TEST(DroppedFiles, DataWithoutAFileListGivesNothing)
{
    const auto text = testsupport::MakeTextDropData(L"C:\\Bilder\\a.bmp");
    EXPECT_FALSE(forms::HasFileList(text.Get()));
    EXPECT_TRUE(forms::DroppedFiles(text.Get()).empty());
    EXPECT_FALSE(forms::HasFileList(nullptr));
    EXPECT_TRUE(forms::DroppedFiles(nullptr).empty());
}

class FileDropTargetTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(host.get(), nullptr); }
    picturetest::HostWindow host;
};

TEST_F(FileDropTargetTest, OffersCopyOnlyForFileLists)
{
    forms::FileDropTarget drop;
    ASSERT_TRUE(drop.Register(host.get(), [](IDataObject*) {}));
    IDropTarget* target = drop.Target();
    ASSERT_NE(target, nullptr);
    const auto files = testsupport::MakeFileDropData({L"C:\\a.bmp"});
    const auto text = testsupport::MakeTextDropData(L"nichts");

    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    EXPECT_EQ(target->DragEnter(files.Get(), MK_LBUTTON, POINTL{1, 1}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragOver(MK_LBUTTON, POINTL{2, 2}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(target->DragLeave(), S_OK);

    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragEnter(text.Get(), MK_LBUTTON, POINTL{1, 1}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragOver(MK_LBUTTON, POINTL{2, 2}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(target->DragLeave(), S_OK);
}

TEST_F(FileDropTargetTest, DropCallsTheHandlerWithTheData)
{
    std::vector<IDataObject*> received;
    std::vector<std::wstring> paths;
    forms::FileDropTarget drop;
    ASSERT_TRUE(drop.Register(host.get(), [&](IDataObject* data) {
        received.push_back(data);
        paths = forms::DroppedFiles(data);
    }));
    const auto files = testsupport::MakeFileDropData({L"C:\\Bilder\\eins.bmp", L"C:\\Bilder\\zwei.gif"});
    DWORD effect = DROPEFFECT_COPY;
    ASSERT_EQ(drop.Target()->DragEnter(files.Get(), MK_LBUTTON, POINTL{3, 3}, &effect), S_OK);
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(drop.Target()->Drop(files.Get(), 0, POINTL{3, 3}, &effect), S_OK);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], files.Get());
    EXPECT_EQ(paths, (std::vector<std::wstring>{L"C:\\Bilder\\eins.bmp", L"C:\\Bilder\\zwei.gif"}));

    // Data without files still reaches the handler, which decides what to do.
    const auto text = testsupport::MakeTextDropData(L"x");
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(drop.Target()->Drop(text.Get(), 0, POINTL{3, 3}, &effect), S_OK);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_TRUE(paths.empty());
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
}

TEST_F(FileDropTargetTest, HandlerExceptionsStayInside)
{
    forms::FileDropTarget drop;
    int calls = 0;
    ASSERT_TRUE(drop.Register(host.get(), [&](IDataObject*) {
        ++calls;
        throw std::runtime_error("kaputt");
    }));
    const auto files = testsupport::MakeFileDropData({L"C:\\a.bmp"});
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(drop.Target()->Drop(files.Get(), 0, POINTL{0, 0}, &effect), S_OK);
    EXPECT_EQ(calls, 1);
}

TEST_F(FileDropTargetTest, RevokeUnregistersTheWindow)
{
    {
        forms::FileDropTarget drop;
        ASSERT_TRUE(drop.Register(host.get(), [](IDataObject*) {}));
        // The window is taken: a second registration fails and holds no target.
        forms::FileDropTarget second;
        EXPECT_FALSE(second.Register(host.get(), [](IDataObject*) {}));
        EXPECT_EQ(second.Target(), nullptr);

        drop.Revoke();
        EXPECT_EQ(drop.Target(), nullptr);
        EXPECT_TRUE(second.Register(host.get(), [](IDataObject*) {}));
    }
    // The destructors revoked everything: the window can be registered again.
    forms::FileDropTarget third;
    EXPECT_TRUE(third.Register(host.get(), [](IDataObject*) {}));
    EXPECT_FALSE(forms::FileDropTarget().Register(nullptr, [](IDataObject*) {}));
}

TEST_F(FileDropTargetTest, TargetCountsItsReferences)
{
    forms::FileDropTarget drop;
    ASSERT_TRUE(drop.Register(host.get(), [](IDataObject*) {}));
    IDropTarget* target = drop.Target();
    const ULONG held = target->AddRef();
    EXPECT_GE(held, 2u);
    EXPECT_EQ(target->Release(), held - 1);
    Microsoft::WRL::ComPtr<IUnknown> unknown;
    ASSERT_EQ(target->QueryInterface(IID_PPV_ARGS(&unknown)), S_OK);
    Microsoft::WRL::ComPtr<IDataObject> wrong;
    EXPECT_EQ(target->QueryInterface(IID_PPV_ARGS(&wrong)), E_NOINTERFACE);
    EXPECT_EQ(wrong, nullptr);
}

TEST_F(FileDropTargetTest, RegisteringAgainReplacesTheHandler)
{
    forms::FileDropTarget drop;
    int first = 0;
    int second = 0;
    ASSERT_TRUE(drop.Register(host.get(), [&](IDataObject*) { ++first; }));
    ASSERT_TRUE(drop.Register(host.get(), [&](IDataObject*) { ++second; }));
    const auto files = testsupport::MakeFileDropData({L"C:\\a.bmp"});
    DWORD effect = DROPEFFECT_COPY;
    drop.Target()->Drop(files.Get(), 0, POINTL{0, 0}, &effect);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
}
