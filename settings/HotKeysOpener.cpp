#include "settings/HotKeysOpener.h"

#include "settings/HotKeysDlg.h"

HotKeysOpener::HotKeysOpener(HWND controllerWindow, const AllowedKeyTable* allowedKeys, HotKeyEntry* hotKeys)
    : m_controllerWindow(controllerWindow), m_allowedKeys(allowedKeys), m_hotKeys(hotKeys)
{
}

void HotKeysOpener::Open(HWND owner)
{
    if (!m_hotKeys || !m_allowedKeys)
        return;
    // No hot key is active while the dialog is open; every way out of it
    // registers a table again.
    UnregisterHotKeys(m_controllerWindow, m_hotKeys);
    CHotKeysDlg dialog(&m_slot, m_controllerWindow, m_allowedKeys, m_hotKeys);
    dialog.DoModal(owner);
}

void HotKeysOpener::Close() { m_slot.SendCloseRequest(); }
