// The controller's hot keys: the keys a stored hot key may use, with their
// names; the nine stored keys (each with its Ctrl flag), which the settings
// dialog edits; the tick of the last press and the guard that keeps one press
// from running inside another.
#pragma once

#include "foundation/Containers.h"
#include "foundation/Handle.h"
#include "foundation/StringEx.h"

#include <windows.h>

class HotKeys
{
public:
    static const size_t Count = 9;
    // Presses closer together than this count as one.
    static const DWORD RepeatGap = 1000;

    HotKeys() : m_lastPressTick(GetTickCount() - RepeatGap) {}
    HotKeys(const HotKeys&) = delete;
    HotKeys& operator=(const HotKeys&) = delete;

    Dictionary<unsigned char, MString>& AllowedKeys() { return m_allowedKeys; }
    // The Count stored keys.
    Pair<unsigned char, bool>* Stored() { return m_stored; }
    MHandle& PressGuard() { return m_pressGuard; }
    DWORD LastPressTick() const { return m_lastPressTick; }
    void SetLastPressTick(DWORD tick) { m_lastPressTick = tick; }

private:
    Dictionary<unsigned char, MString> m_allowedKeys;
    Pair<unsigned char, bool> m_stored[Count];
    MHandle m_pressGuard{NewGuard()};
    DWORD m_lastPressTick;
};
