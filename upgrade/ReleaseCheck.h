// The periodic release check, as far as the controller starts and ends it.
#pragma once

#include <windows.h>

// The release-check thread; parameter is the controller. Started when the
// main window has shown its first slide; ends when ExitEvent is set.
DWORD WINAPI ReleaseCheckThreadProc(LPVOID controller);
