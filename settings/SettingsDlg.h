// The settings dialog (template 110) as the controller opens it. Until the
// dialog's own controls come, it is the least dialog of its template: OK
// saves nothing and ends with Saved, Cancel ends with Cancelled, the
// controller's close request and the close broadcast with ClosedByProgram.
#pragma once

#include "foundation/Containers.h"
#include "foundation/StringEx.h"
#include "resources/languages/LanguageIds.h"
#include "shell/core/ControllerDialog.h"

struct SettingsCopy;

class CSettingsDlg : public CControllerDialog<CSettingsDlg>
{
public:
    enum : INT_PTR
    {
        IDD = IDD_SETTINGS,
        Saved = 0,
        Cancelled = 1,
        ClosedByProgram = 2,
        AcceptedResult = Saved,
        CancelledResult = Cancelled,
        ClosedResult = ClosedByProgram,
    };

    // settings is the copy of the main window's record and display area that
    // the dialog edits (the controller hands a saved copy back to the main
    // window); mainWindow gets the live previews; the hot-key tables are the
    // controller's.
    CSettingsDlg(HWND mainWindow, DialogWindowSlot* slot, SettingsCopy* settings, HWND controllerWindow,
                 const Dictionary<unsigned char, MStringEx<wchar_t>>* allowedKeys,
                 Pair<unsigned char, bool>* hotKeys);

private:
    HWND m_mainWindow;
    SettingsCopy* m_settings;
    HWND m_controllerWindow;
    const Dictionary<unsigned char, MStringEx<wchar_t>>* m_allowedKeys;
    Pair<unsigned char, bool>* m_hotKeys;
};
