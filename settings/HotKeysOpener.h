// The hot-key dialog as the settings dialog opens it: the controller's
// window and tables handed on, and the slot through which an open one is
// closed when the settings dialog ends.
#pragma once

#include "settings/HotKeysRecord.h"
#include "core/DialogWindowSlot.h"

#include <windows.h>

class HotKeysOpener
{
public:
    // The tables are the controller's; without them nothing opens.
    HotKeysOpener(HWND controllerWindow, const AllowedKeyTable* allowedKeys, HotKeyEntry* hotKeys);
    HotKeysOpener(const HotKeysOpener&) = delete;
    HotKeysOpener& operator=(const HotKeysOpener&) = delete;

    // Runs the hot-key dialog modally over owner.
    void Open(HWND owner);
    // Asks an open hot-key dialog to close.
    void Close();

private:
    HWND m_controllerWindow;
    const AllowedKeyTable* m_allowedKeys;
    HotKeyEntry* m_hotKeys;
    // Where the open hot-key dialog records its window.
    DialogWindowSlot m_slot;
};
