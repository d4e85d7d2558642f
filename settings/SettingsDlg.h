// The settings dialog (template 110) as the controller opens it. Until the
// dialog's own controls come, it is the least dialog of its template: OK
// saves nothing and ends with Saved, Cancel ends with Cancelled, the
// controller's close request and the close broadcast with ClosedByProgram.
#pragma once

#include "foundation/Containers.h"
#include "foundation/StringEx.h"
#include "resources/languages/LanguageIds.h"
#include "shell/core/ControllerDialog.h"

class CLumivaneDlg;

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

    // The main window and its object are edited in place; the hot-key
    // tables are the controller's.
    CSettingsDlg(HWND mainWindow, DialogWindowSlot* slot, CLumivaneDlg* mainDialog, HWND controllerWindow,
                 const Dictionary<unsigned char, MStringEx<wchar_t>>* allowedKeys,
                 Pair<unsigned char, bool>* hotKeys);

private:
    HWND m_mainWindow;
    CLumivaneDlg* m_mainDialog;
    HWND m_controllerWindow;
    const Dictionary<unsigned char, MStringEx<wchar_t>>* m_allowedKeys;
    Pair<unsigned char, bool>* m_hotKeys;
};
