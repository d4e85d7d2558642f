// The kinds of file a gallery takes: the pattern of the file dialogs' first
// filter, the extensions the slide show walks inside folders, and the rows of
// the file dialogs' type filter.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <vector>

// "*.bmp;*.dib;...;*.mht": every supported type.
extern const wchar_t SupportedTypePattern[];
extern const wchar_t WebDocumentPattern[];
extern const wchar_t TextDocumentPattern[];

// The extensions of a pattern, without "*" or ".": "bmp", "dib", ...
std::vector<MString> ExtensionsOfPattern(const wchar_t* pattern);

// The extensions of SupportedTypePattern, built once for the process.
const std::vector<MString>& SupportedExtensions();

// Whether the text after the last '.' of path is one of extensions
// (ignoring case).
bool HasExtensionOf(const MString& path, const std::vector<MString>& extensions);

struct FileTypeFilter
{
    MString name;
    MString pattern;
};

// The rows of the file dialogs' type filter in the interface language
// (1026 names the group rows in Bulgarian). withExtensions: the older dialog
// follows each member's name with its extensions, "   Bitmap image (*.bmp, *.dib)".
std::vector<FileTypeFilter> FileTypeFilters(LANGID language, bool withExtensions);
