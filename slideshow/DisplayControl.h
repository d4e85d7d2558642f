// The local walk's state in the registry between runs: the key "Display
// Control" below the program's settings key, written when the main window
// ends and read (and deleted) at the next start. Every record carries
// PrimeTableHash checks of its own bytes; a record that fails any check makes
// the whole stored state void, and the walk starts afresh.
#pragma once

#include "slideshow/LocalWalk.h"

extern const wchar_t DisplayControlKeyName[];

// Writes the state; a value that cannot be written is deleted, so that the
// next load finds the state void.
void StoreDisplayControl(const LocalWalkState& state);

// Reads the stored state into state and deletes the key in any case. False
// (state emptied) when nothing usable was stored.
bool LoadDisplayControl(LocalWalkState& state);
