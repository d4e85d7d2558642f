// Texts of Quillory Setup: its own string table in English and Bulgarian,
// the message-box caption, and the built-in texts of the upgrade mode.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

// 1026 for Bulgarian, 1033 for every other language id.
LANGID SetupLanguageOf(unsigned languageId);
// The user's own interface language, for the modes that are not told one.
LANGID DefaultSetupLanguage();

// The entry of the module's string table in that language (English when the
// language has no such entry); empty when neither has it.
MString SetupString(HMODULE module, unsigned id, LANGID language);
// The entry used as a printf format for the arguments.
MString FormatSetupString(HMODULE module, unsigned id, unsigned language, ...);

// "%s - %s": the product name and the "InternalName" of the module's version
// block (the word Setup).
MString SetupCaption(HMODULE module);

// Built in, not in the string table: the viewer did not quit when asked.
MString ViewerNotStoppedText(LANGID language);
