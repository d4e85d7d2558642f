// Exact text operations on file and folder paths that the gallery store, the
// gallery dialog and the local walk share: normalisation, containment
// without regard to case, the test of a "true" word and cutting a text at a
// separator. Upper-casing is the C runtime's towupper of each code unit on
// both sides of every comparison.
#pragma once

#include "foundation/StringEx.h"

#include <vector>

// A bare drive ("C:") gets its backslash, a drive root stays; otherwise every
// '/' becomes '\' and all trailing '\' go. "C:/" therefore becomes "C:": the
// slash is replaced before the trailing backslash is removed, as the stored
// galleries have always been written.
MString NormalizeFolderPath(const MString& text);

// True when path lies strictly below folder: folder is a case-insensitive
// prefix of path, a '\' follows the prefix (or folder ends with one), and path
// has more '\'-separated levels than folder.
bool IsStrictSubPath(const MString& folder, const MString& path);

// Same length and equal after upper-casing each code unit.
bool EqualsIgnoringCase(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength);
bool EqualsIgnoringCase(const MString& a, const MString& b);
// A copy with every code unit upper-cased.
MString UpperCased(const MString& text);

// "true", "yes", "on" or "1" without regard to case; no trimming.
bool IsTrueText(const MString& text);

// The pieces of text between occurrences of separator (found without regard
// to case); empty pieces are left out. separator must not be empty.
std::vector<MString> SplitAtSeparator(const MString& text, const MString& separator);

// The file name: the text after the last '\' (the whole text without one).
MString FileNameOf(const MString& path);
// The text before the last '.' (the whole text without one).
MString WithoutExtension(const MString& name);
// The text after the last '.' of the whole path; empty without a '.'.
MString ExtensionOf(const MString& path);
