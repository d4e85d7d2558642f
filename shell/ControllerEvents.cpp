#include "shell/ControllerEvents.h"

#include "core/ProgramObjects.h"

namespace
{
HANDLE NewEvent(const wchar_t* name = nullptr) { return CreateEventW(nullptr, TRUE, FALSE, name); }
}

ControllerEvents::ControllerEvents(const MString& upgradeExitEventName)
    : ExitEvent(NewEvent()),
      ReleaseCheckEvent(NewEvent(ReleaseCheckEventName)),
      UpgradeExitEvent(NewEvent(upgradeExitEventName.GetText())),
      RunningEvent(NewEvent(RunningEventName)),
      EndSessionEvent(NewEvent()),
      TrayIconReadyEvent(NewEvent()),
      ReleaseRecheckEvent(NewEvent()),
      MainWindowReadyEvent(NewEvent()),
      ControllerReadyEvent(NewEvent()),
      SlideAdvertsSettledEvent(NewEvent())
{
}
