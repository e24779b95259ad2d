#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "support/test_env.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Windows, the clipboard and drag and drop all want an OLE apartment on this thread.
    if (FAILED(OleInitialize(nullptr)))
        return 2;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    testsupport::InstallTestSeams();
    const int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
