// The local walk's state in the registry between runs: the key "Display
// Control" below the program's settings key, written when the main window
// ends and read (and deleted) at the next start. Every record carries
// PrimeTableHash checks of its own bytes; a record that fails any check makes
// the whole stored state void, and the walk starts afresh.
#pragma once

#include "slideshow/LocalWalk.h"

extern const wchar_t DisplayControlKeyName[];

// A value's bytes as read, not owned.
struct ValueBytes
{
    const unsigned char* data = nullptr;
    size_t size = 0;
};

// The byte checks of the stored values, each length checked before the
// bytes it covers are read. The walk's count and name lists from the key's
// "total this loop", "displayed this loop", "displayed last loop" and
// "unique filenames": false when any check fails.
bool DecodeDisplayControlLists(ValueBytes total, ValueBytes thisLoop, ValueBytes lastLoop, ValueBytes unique,
                               LocalWalkState& state);
// One folder node: its name (the key's default REG_SZ value with its NUL),
// "completed items" and "exhausted".
bool DecodeDisplayControlNode(ValueBytes name, ValueBytes completedItems, ValueBytes exhausted, MString& nodeName,
                              std::vector<MString>& completed, bool& done);

// Writes the state; a value that cannot be written is deleted, so that the
// next load finds the state void.
void StoreDisplayControl(const LocalWalkState& state);

// Reads the stored state into state and deletes the key in any case. False
// (state emptied) when nothing usable was stored.
bool LoadDisplayControl(LocalWalkState& state);
