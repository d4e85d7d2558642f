// What the controller tells the main window when one of its dialogs has
// closed: WM_DIALOG_CLOSED with the result code (bit 31: the main window was visible at
// the opening) and the operation mode at the opening, or, after the gallery
// dialog when the selection may have changed, WM_SELECTION_CHANGED.
#pragma once

#include <windows.h>

struct DialogEndMessage
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// WM_DIALOG_CLOSED for a dialog's result code. Both values are 32-bit numbers
// sign-extended, as the main window reads them.
DialogEndMessage DialogClosedMessage(INT_PTR code, bool wasVisible, DWORD operationMode);

// The gallery dialog's end: 0 gives WM_DIALOG_CLOSED with code 1; 0x40000000 (the
// selection unchanged) gives WM_SELECTION_CHANGED (0, 0x40000000); any other result, its
// change bits, WM_SELECTION_CHANGED with wParam 0xC0000001 or 0x40000001 (bit 31: visible)
// and lParam result OR 0x80000000.
DialogEndMessage GalleryDialogEndMessage(INT_PTR result, bool wasVisible, DWORD operationMode);
