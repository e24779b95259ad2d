#include "app/app_modul.h"

#include <windows.h>

#include "app/command_line.h"
#include "app/first_view.h"
#include "common/commands.h"
#include "forms/single_instance.h"

namespace AppModul {

bool Main()
{
    // Held for the whole run, so that later starts see this one.
    static const forms::SingleInstance instance(kInstanceName);
    if (instance.AnotherIsRunning())
        return false;

    Commands::InitEnvironment();
    Commands::InitProgramFiles();

    Commands::StartFile.clear();
    const std::wstring tail = CommandLineTail(GetCommandLineW());
    if (!tail.empty())
        Commands::StartFile = Commands::GetLongName(StartPathFromTail(tail));

    return FirstView();
}

}  // namespace AppModul
