// The Run value that starts the program with Windows.
#pragma once

#include "foundation/Registry.h"
#include "foundation/StringEx.h"

#include <windows.h>

// Start with Windows: a REG_SZ value below HKEY_CURRENT_USER's Run key whose
// data is the quoted program path.
extern const wchar_t RunKeyPath[];
extern const wchar_t RunValueName[];
// Set to 1 once the program has registered itself to start with Windows.
extern const wchar_t AutoStartFirstTimeValueName[];

// The program's module path in double quotation marks, as the Run value holds it.
MString QuotedModulePath();
