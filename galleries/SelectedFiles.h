// The gallery dialog (template 111) as the controller opens it. Until the
// galleries come, it is the least dialog of its template: it changes
// nothing, so OK ends with SelectionUnchanged; Cancel, the controller's close
// request and the close broadcast end with NothingChosen.
#pragma once

#include "foundation/StringEx.h"
#include "resources/languages/LanguageIds.h"
#include "shell/core/ControllerDialog.h"

class CSelectedFiles : public CControllerDialog<CSelectedFiles>
{
public:
    enum : INT_PTR
    {
        IDD = IDD_SELECTED_FILES,
        // End codes: 0, the online selection unchanged, or the change bits.
        NothingChosen = 0,
        LocalSelectionChanged = 1,
        OnlineSelectionChanged = 2,
        CheckAgain = 4,
        SelectionUnchanged = 0x40000000,
        AcceptedResult = SelectionUnchanged,
        CancelledResult = NothingChosen,
        ClosedResult = NothingChosen,
    };

    // file: the file to show in the dialog (empty: none).
    CSelectedFiles(POINT cursor, DialogWindowSlot* slot, HWND mainWindow, const MStringEx<wchar_t>& file);

    const MStringEx<wchar_t>& GetFile() const { return m_file; }

private:
    HWND m_mainWindow;
    MStringEx<wchar_t> m_file;
};
