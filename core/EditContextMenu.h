// The program's own context menu of edit controls: owner-drawn, with the
// labels of the language module, enabled by the state of the control.
#pragma once

#include "core/OwnerDrawMenu.h"

#include <windows.h>

// Commands of the menu; they arrive as WM_COMMAND at the control.
enum EditMenuCommand : UINT
{
    EditMenuUndo = 180,
    EditMenuCut = 181,
    EditMenuCopy = 182,
    EditMenuPaste = 183,
    EditMenuDelete = 184,
    EditMenuSelectAll = 185,
};

// Call from an edit control's window procedure before its own handling; true
// when the message was handled, with its result in result.
bool HandleEditContextMenu(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// Window procedure for edit controls: the control's previous procedure is
// kept in its GWLP_USERDATA, which the dialog sets before installing this one.
LRESULT CALLBACK EditContextMenuSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Appends the entries (Undo, -, Cut, Copy, Paste, Delete, -, Select all) to
// the created menu, each enabled or grayed as the control's state allows.
void BuildEditContextMenu(HWND control, OwnerDrawMenu& menu, OwnerDrawMenuItem::Storage& items);
// Where the menu opens for WM_CONTEXTMENU's lParam: the point itself, or for
// the keyboard (-1, -1) half the width and three quarters of the height of
// the control's window rectangle.
POINT EditContextMenuPoint(HWND control, LPARAM lParam);
