#include "settings/SettingsDlg.h"

CSettingsDlg::CSettingsDlg(HWND mainWindow, DialogWindowSlot* slot, SettingsCopy* settings, HWND controllerWindow,
                           const Dictionary<unsigned char, MStringEx<wchar_t>>* allowedKeys,
                           Pair<unsigned char, bool>* hotKeys)
    : CControllerDialog<CSettingsDlg>(L"CSettingsDlg", slot, CursorPosition()), m_mainWindow(mainWindow),
      m_settings(settings), m_controllerWindow(controllerWindow), m_allowedKeys(allowedKeys), m_hotKeys(hotKeys)
{
}
