// The about box (template 114) as the controller opens it. Until its own
// contents come, it is the least dialog of its template: OK and Cancel close
// it, as do the controller's close request and the close broadcast.
#pragma once

#include "resources/languages/LanguageIds.h"
#include "shell/core/ControllerDialog.h"

class CAboutBoxDlg : public CControllerDialog<CAboutBoxDlg>
{
public:
    enum : INT_PTR
    {
        IDD = IDD_ABOUT_BOX,
        AcceptedResult = IDOK,
        CancelledResult = IDCANCEL,
        ClosedResult = IDCANCEL,
    };

    CAboutBoxDlg(POINT cursor, DialogWindowSlot* slot, HWND controllerWindow, HWND mainWindow);

private:
    HWND m_controllerWindow;
    HWND m_mainWindow;
};
