// Entry of Quillory Setup: the mode comes from the command line.
#include "setup/HandOver.h"
#include "setup/SetupModes.h"
#include "setup/SetupModule.h"

#include <windows.h>

namespace
{
// Started before wWinMain and shut down after it.
CSetupModule SetupModule;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    try
    {
        const SetupEnvironment environment = CurrentSetupEnvironment(RealSetupSystem());
        MString switchText;
        switch (ChooseSetupMode(GetCommandLineW(), switchText))
        {
        case SetupMode::Upgrade:
            return RunUpgradeMode(switchText, environment);
        case SetupMode::UninstallInstall:
            return RunUninstallInstallMode(switchText, environment);
        case SetupMode::Plain:
        default:
            return RunPlainMode(environment);
        }
    }
    catch (...)
    {
        return SetupFailed;
    }
}
