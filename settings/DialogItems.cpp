#include "settings/DialogItems.h"

#include <commctrl.h>

HWND DialogItems::Item(int id) const { return ::GetDlgItem(m_dialog->m_hWnd, id); }

MString DialogItems::Text(int id) const
{
    HWND control = Item(id);
    const int length = ::GetWindowTextLengthW(control);
    MString text{ElementCount(static_cast<unsigned __int64>(length))};
    if (length > 0)
        ::GetWindowTextW(control, text.GetData(), length + 1);
    return MString(text.GetText());
}

void DialogItems::SetText(int id, const wchar_t* text) const { ::SetWindowTextW(Item(id), text); }

bool DialogItems::Number(int id, unsigned __int64& value) const
{
    const MString text = Text(id);
    return !text.IsEmpty() && text.ToUInt64(value);
}

bool DialogItems::IsChecked(int id) const { return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
void DialogItems::Check(int id, bool on) const { ::SendMessageW(Item(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }
void DialogItems::Enable(int id, bool on) const { ::EnableWindow(Item(id), on); }
void DialogItems::Show(int id, bool on) const { ::ShowWindow(Item(id), on ? SW_SHOW : SW_HIDE); }
void DialogItems::FocusOn(int id) const { ::SetFocus(Item(id)); }

void DialogItems::FillCombo(int id, const ChoiceTexts& texts, bool select, DWORD value) const
{
    // A value without an entry is a damaged setting in memory.
    if (select)
        texts.GetValue(value);
    HWND combo = Item(id);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (unsigned __int64 i = 0; i < texts.GetCount(); ++i)
    {
        const ChoiceTexts::Entry& entry = *texts.GetAt(i);
        const LRESULT index = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.second.GetText()));
        ::SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), entry.first);
    }
    if (select)
        SelectValue(id, value);
}

void DialogItems::SelectValue(int id, DWORD value) const
{
    HWND combo = Item(id);
    const LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        if (static_cast<DWORD>(::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == value)
        {
            ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return;
        }
}

void DialogItems::ClearSelection(int id) const { ::SendMessageW(Item(id), CB_SETCURSEL, static_cast<WPARAM>(-1), 0); }

bool DialogItems::HasSelection(int id) const { return ::SendMessageW(Item(id), CB_GETCURSEL, 0, 0) != CB_ERR; }

DWORD DialogItems::SelectedValue(int id) const
{
    HWND combo = Item(id);
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return 0;
    return static_cast<DWORD>(::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void DialogItems::SetUpDown(int upDown, int edit, int digits, int low, int high) const
{
    HWND spin = Item(upDown);
    ::SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Item(edit)), 0);
    ::SendMessageW(Item(edit), EM_LIMITTEXT, static_cast<WPARAM>(digits), 0);
    ::SendMessageW(spin, UDM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
}
