// Every message box of the program: the standard buttons get the captions of
// the language module and the box is centred on its owner.
#pragma once

#include "foundation/Containers.h"

#include <windows.h>

// MessageBoxW with a WH_CBT hook for the calling thread that acts on the box's
// first activation: centres it on its owner and relabels its buttons.
int LocalizedMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags);

// The hook procedure of LocalizedMessageBox.
LRESULT CALLBACK MessageBoxCbtHookProc(int code, WPARAM wParam, LPARAM lParam);

// EnumChildWindows callback over a box's children; lParam is a
// Pair<bool, bool>* (first button examined, buttons to be relabelled), both
// false at the start. The first button decides: when the user-interface
// language is not English and its caption (without "&") is the English one
// of its id, every standard button (ids 1 to 9) gets string id + 257.
BOOL CALLBACK LocalizeMessageBoxButtons(HWND child, LPARAM state);
