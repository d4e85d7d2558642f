// Small services several subsystems share: the program's data folder and the
// text of a Windows error code in the user's language.
#pragma once

#include "foundation/StringEx.h"

// The maker word, product name and major version: they name the settings key
// ("Software\%s\%s\%d"), the data folder and the event-log source.
constexpr const wchar_t* MakerWord = L"Velmora";
constexpr const wchar_t* ProductName = L"Quillory";
constexpr int ProductMajorVersion = 3;

// LANGID of the user-interface language (1026 or 1033); set at start-up from
// the "Language" setting.
extern LANGID UiLanguage;

// <known folder>\Velmora\Quillory\3 below the common program-data folder or the
// user's local application-data folder; empty when the known folder is not
// available. The folder itself is not created here.
MStringEx<wchar_t> AppDataFolderPath(bool common);

// The system's message for a Windows error code in the user-interface
// language (falling back to the system's choice when that language has no
// messages), trimmed; "Unknown error code - %d." when there is none.
MStringEx<wchar_t> FormatSystemError(DWORD code);
