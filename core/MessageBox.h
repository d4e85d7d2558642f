// Every message box of the program: the standard buttons get the captions of
// the language module and the box is centred on its owner.
#pragma once

#include "foundation/Containers.h"
#include "foundation/Handle.h"

#include <windows.h>

// MessageBoxW with a WH_CBT hook for the calling thread that acts on the box's
// first activation: centres it on its owner and relabels its buttons.
int LocalizedMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags);

// The box a WM_MESSAGE_BOX_REQUEST asks for, on the receiving window's
// thread: wParam a heap MString (freed here on every path), lParam the
// MessageBoxW flags. One such box per guard at a time: a request that arrives
// while one is open (the box's own loop delivers it) is dropped.
void ShowRequestedMessageBox(MHandle& guard, const wchar_t* caption, WPARAM wParam, LPARAM lParam);

// The hook procedure of LocalizedMessageBox.
LRESULT CALLBACK MessageBoxCbtHookProc(int code, WPARAM wParam, LPARAM lParam);

// EnumChildWindows callback over a box's children; lParam is a
// Pair<bool, bool>* (first button examined, buttons to be relabelled), both
// false at the start. The first button decides: when the user-interface
// language is not English and its caption (without "&") is the English one
// of its id, every standard button (IDOK to IDHELP) gets its IDS_BUTTON_... caption.
BOOL CALLBACK LocalizeMessageBoxButtons(HWND child, LPARAM state);
