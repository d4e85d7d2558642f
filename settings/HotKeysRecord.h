// The hot keys' stored record "Hotkeys File" (9 bytes: version 1, the
// modifier byte, the keys of hot keys 2 to 8), its table in memory, and
// their registration with Windows on a window. The table's entry k is hot
// key k (ids 2 to 8); each entry is a value byte and a flag that says that
// the key is registered.
#pragma once

#include "foundation/Containers.h"
#include "foundation/StringEx.h"

#include <windows.h>

using AllowedKeyTable = Dictionary<unsigned char, MStringEx<wchar_t>>;
using HotKeyEntry = Pair<unsigned char, bool>;

constexpr size_t HotKeyTableSize = 9;
constexpr int FirstHotKeyId = 2;
constexpr int LastHotKeyId = 8;
// The modifier byte: bit 7 Ctrl, bit 6 Alt, bit 5 Shift.
constexpr unsigned char HotKeyCtrl = 0x80;
constexpr unsigned char HotKeyAlt = 0x40;
constexpr unsigned char HotKeyShift = 0x20;
constexpr DWORD HotKeysRecordSize = 9;

// The stored record's registry value, "Hotkeys File".
extern const wchar_t HotKeysBlob[];

// MOD_ALT, MOD_CONTROL and MOD_SHIFT for the modifier byte.
UINT HotKeyModifiers(unsigned char modifiers);

// Whether the allowed-key table holds the key.
bool IsAllowedKey(const AllowedKeyTable& allowed, unsigned char key);

// Checks the bytes of a stored record (size, version, modifier bits, every
// key in the allowed table) and takes them into the table, flags cleared.
// A refused record leaves every entry 0. Returns false when refused.
bool DecodeHotKeysRecord(const BYTE* data, DWORD size, DWORD type, const AllowedKeyTable& allowed,
                         HotKeyEntry* table);

// Reads "Hotkeys File" into the table; true when a good record has
// modifiers (the hot keys are on). A refused value stays in the registry.
bool LoadHotKeys(const AllowedKeyTable& allowed, HotKeyEntry* table);
// Writes the table's 9 bytes; a failure is ignored.
void SaveHotKeys(const HotKeyEntry* table);

// Registers the keys of ids 2 to 8 on the window. At the first refusal the
// keys registered before it are unregistered again and the refusal is
// reported: into outText when given, else by a message box over owner.
// names gives the keys' display names for the report.
bool RegisterHotKeys(HWND window, HotKeyEntry* table, HWND owner, MString* outText, const AllowedKeyTable& names);
// Unregisters every key whose flag is set and clears the flags.
void UnregisterHotKeys(HWND window, HotKeyEntry* table);

// "Ctrl +Alt +Shift +"key"" for the modifiers set, in that order, with the
// key's name from the table (the key's character when it has none).
MString FailedHotKeyText(unsigned char modifiers, unsigned char key, const AllowedKeyTable& names);
