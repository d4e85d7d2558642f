// Small text helpers of the shell.
#pragma once

#include "foundation/StringEx.h"

#include <objbase.h>

// Joins two path parts with one backslash: an empty folder (or a lone
// backslash) gives the name; a folder ending in a backslash drops the name's
// leading backslashes; a lone backslash as name gives the folder.
MStringEx<wchar_t> AppendPathComponent(const MStringEx<wchar_t>& folder, const MStringEx<wchar_t>& name);
// The registry form of a class id: braces around 8-4-4-4-12 upper-case
// hexadecimal digits.
MStringEx<wchar_t> ClsidToString(const CLSID& clsid);
