#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "forms/jobs.h"
#include "forms/ole.h"
#include "support/test_env.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Windows, the clipboard and drag and drop all want an OLE apartment on this thread.
    const forms::OleScope ole;
    if (!ole.Succeeded())
        return 2;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    testsupport::InstallTestSeams();
    const int result = RUN_ALL_TESTS();
    // Every job's thread ends before the program does.
    forms::EndJobs(10000);
    return result;
}
