// Small helpers over the search line's combos and time pickers, shared by
// the window and by the reading and loading of its conditions.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <commctrl.h>

namespace SearchLineControls
{
inline LRESULT AddItem(HWND combo, const MStringEx<wchar_t>& text, LPARAM data)
{
    const LRESULT item = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.GetText()));
    if (item >= 0)
        ::SendMessageW(combo, CB_SETITEMDATA, item, data);
    return item;
}

// The selected item's data; false when nothing is selected.
inline bool SelectedData(HWND combo, LPARAM& data)
{
    const LRESULT item = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (item == CB_ERR)
        return false;
    data = ::SendMessageW(combo, CB_GETITEMDATA, item, 0);
    return true;
}

// The selected item's data, or absent when nothing is selected.
inline DWORD SelectedOr(HWND combo, DWORD absent)
{
    LPARAM data = 0;
    return SelectedData(combo, data) ? static_cast<DWORD>(data) : absent;
}

// Selects the first item with the data; false when there is none.
inline bool SelectData(HWND combo, LPARAM data)
{
    const LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item)
        if (::SendMessageW(combo, CB_GETITEMDATA, item, 0) == data)
        {
            ::SendMessageW(combo, CB_SETCURSEL, item, 0);
            return true;
        }
    return false;
}

// A time of day on the fixed date the pickers never show.
inline void SetPickerTime(HWND picker, unsigned hour, unsigned minute, unsigned second)
{
    SYSTEMTIME time = {};
    time.wYear = 1985;
    time.wMonth = 3;
    time.wDay = 1;
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    ::SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

inline SYSTEMTIME PickerTime(HWND picker)
{
    SYSTEMTIME time = {};
    ::SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    return time;
}
} // namespace SearchLineControls
