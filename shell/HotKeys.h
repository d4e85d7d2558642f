// The controller's hot keys: the keys a hot key may use, with their names;
// the nine entries of the stored record (version, modifiers, the keys of hot
// keys 2 to 8, each with its registered flag), which the settings dialog
// edits; the tick of the last press and the guard that keeps one press from
// running inside another.
#pragma once

#include "foundation/Containers.h"
#include "foundation/Handle.h"
#include "foundation/StringEx.h"
#include "settings/HotKeysRecord.h"

#include <windows.h>

class HotKeys
{
public:
    static const size_t Count = HotKeyTableSize;
    // A press this soon after the last one, while its key is still held,
    // is the key repeating.
    static const DWORD RepeatGap = 500;

    // Builds the table of allowed keys with the names of the language
    // module in use.
    HotKeys();
    HotKeys(const HotKeys&) = delete;
    HotKeys& operator=(const HotKeys&) = delete;

    AllowedKeyTable& AllowedKeys() { return m_allowedKeys; }
    // The Count entries of the record.
    HotKeyEntry* Stored() { return m_stored; }
    MHandle& HotKeyGuard() { return m_hotKeyGuard; }
    DWORD LastPressTick() const { return m_lastPressTick; }
    void SetLastPressTick(DWORD tick) { m_lastPressTick = tick; }

    // The hot key (2 to 8) whose stored key this is; 0 for none.
    int Find(unsigned char key) const;

private:
    AllowedKeyTable m_allowedKeys;
    HotKeyEntry m_stored[Count];
    MHandle m_hotKeyGuard{NewGuard()};
    DWORD m_lastPressTick;
};

// The keys a hot key may use, in the order the dialog lists them; key 0 (no
// key) first, so that an unused hot key passes the record's check.
void BuildAllowedKeys(AllowedKeyTable& table);
