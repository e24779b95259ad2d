// Program entry: sets up the thread for windows and OLE, starts the program, runs its messages.

#include <windows.h>
#include <commctrl.h>

#include "app/app_modul.h"
#include "app/first_view.h"
#include "forms/events.h"
#include "forms/ole.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // Drag and drop and the clipboard need an OLE apartment on the user-interface thread.
    const forms::OleScope ole;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    int exitCode = 0;
    if (AppModul::Main())
        exitCode = forms::RunMessageLoop();
    AppModul::EndProgram();
    return exitCode;
}
