// The controls of one dialog by id: texts, numbers, check boxes, the values
// behind combo-box entries and up-down ranges. It reads the dialog's handle
// at each call, so it can be made with the dialog object before the window
// exists.
#pragma once

#include "foundation/Containers.h"
#include "foundation/StringEx.h"
#include "standins/atl/AtlWindow.h"

#include <windows.h>

class DialogItems
{
public:
    // The entries of a combo box: the value behind each one and its text.
    using ChoiceTexts = Dictionary<DWORD, MString>;

    explicit DialogItems(const ATL::CWindow& dialog) : m_dialog(&dialog) {}

    HWND Item(int id) const;

    MString Text(int id) const;
    void SetText(int id, const wchar_t* text) const;
    // The edit's number; false when empty or not a number.
    bool Number(int id, unsigned __int64& value) const;
    bool IsChecked(int id) const;
    void Check(int id, bool on) const;
    void Enable(int id, bool on) const;
    void Show(int id, bool on) const;
    void FocusOn(int id) const;

    // Fills the combo with the texts and, with select, selects value (which
    // must have an entry).
    void FillCombo(int id, const ChoiceTexts& texts, bool select, DWORD value) const;
    DWORD SelectedValue(int id) const;
    bool HasSelection(int id) const;
    void SelectValue(int id, DWORD value) const;
    void ClearSelection(int id) const;

    // Ties the up-down to its edit, which takes at most digits characters.
    void SetUpDown(int upDown, int edit, int digits, int low, int high) const;

private:
    const ATL::CWindow* m_dialog;
};
