// The setup program's message box: centred on its owner (the desktop when
// it has none) and kept on a monitor, with the arrow cursor while it is up.
#pragma once

#include <windows.h>

// MessageBoxW with that placement; answers its result. One such box at a
// time: the placement hook lives in one program-wide variable.
int CenteredMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
