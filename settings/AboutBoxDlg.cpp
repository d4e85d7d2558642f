#include "settings/AboutBoxDlg.h"

CAboutBoxDlg::CAboutBoxDlg(POINT cursor, DialogWindowSlot* slot, HWND controllerWindow, HWND mainWindow)
    : CControllerDialog<CAboutBoxDlg>(L"CAboutBoxDlg", slot, cursor), m_controllerWindow(controllerWindow),
      m_mainWindow(mainWindow)
{
}
