// Numbers of the dialog templates, controls and strings of the language
// modules ("Resources EN US.dll", "Resources BG BG.dll"). The program refers
// to their contents only by these numbers. Shared by the resource scripts and
// the C++ code; keep them to #define lines. One header per subsystem under
// ids/: a new feature adds its numbers to its subsystem's header.
#pragma once

#include "ids/ShellIds.h"
#include "ids/SlideShowIds.h"
#include "ids/ServerIds.h"
#include "ids/ViewerIds.h"
#include "ids/GalleryIds.h"
#include "ids/FilterIds.h"
#include "ids/SettingsIds.h"
#include "ids/UpgradeIds.h"
