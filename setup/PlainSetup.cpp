#include "foundation/ComApartment.h"
#include "foundation/Handle.h"
#include "resources/setup/SetupResourceIds.h"
#include "setup/HandOver.h"
#include "setup/SetupDlg.h"
#include "setup/SetupModes.h"
#include "setup/SetupText.h"

#include <objbase.h>

int RunPlainMode(const SetupEnvironment& environment)
{
    const ComApartment com(COINIT_APARTMENTTHREADED);
    int exitCode = SetupSucceeded;
    {
        MHandle instance(CreateMutexW(nullptr, TRUE, HandOver::SetupInstanceMutexName));
        if (GetLastError() != ERROR_SUCCESS)
        {
            const MString caption = SetupCaption(environment.module);
            environment.system.ShowMessage(GetDesktopWindow(),
                                           FormatSetupString(environment.module, IDS_SETUP_ALREADY_RUNNING,
                                                             DefaultSetupLanguage(), caption.GetText())
                                               .GetText(),
                                           caption.GetText(), MB_ICONEXCLAMATION);
        }
        else
        {
            CSetupDlg dialog(environment.system, environment.module, environment.ownPath);
            dialog.DoModal(GetDesktopWindow());
        }
    }
    return exitCode;
}
