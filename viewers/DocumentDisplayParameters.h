// The display parameters a document may carry for the web-document viewer:
// a block of "name=value" lines between two fixed markers, usually inside a
// comment. Reading the file as UTF-8, finding the block, normalising its
// lines and working out what they ask of the viewer live here; the slide
// loaders take "Document_Title" from the same block.
#pragma once

#include "foundation/Error.h"
#include "foundation/PictureBounds.h"
#include "foundation/StringEx.h"

#include <windows.h>

#include <vector>

// A document that cannot be read; the text is for the user.
class DocumentReadError : public QuilloryError
{
public:
    explicit DocumentReadError(const MString& text) : m_text(text) {}
    unsigned Code() const noexcept override { return 0; }
    const char* what() const noexcept override { return "document"; }
    const MString& Text() const { return m_text; }

private:
    MString m_text;
};

// The whole file converted from UTF-8 (a byte-order mark is kept). Throws
// DocumentReadError when the file cannot be opened or read or is longer than
// MaxDocumentFileBytes.
MString ReadUtf8TextFile(const MString& path);

// The lines of the first block: the text between the opening marker and the
// first closing marker after it, cut at "\n", empty lines dropped. Empty
// without either marker.
std::vector<MString> ExtractDisplayParameters(const MString& text);

// The line trimmed; ";;" stands for ";", the first single ";" ends the value;
// trimmed again.
MString NormalizeDisplayParameterLine(const MString& line);

// The value of the first "Document_Title" line (name compared without case),
// normalised and trimmed; empty when there is none.
MString DocumentTitleParameter(const std::vector<MString>& lines);

// What the parameters ask of the viewer.
struct DocumentDisplayParameters
{
    MString title;
    bool windowStyleValid = false;
    DWORD windowStyle = 0;
    bool windowExStyleValid = false;
    DWORD windowExStyle = 0;
    bool resizable = true;
    bool constantAspect = false;
    DWORD openingWidth = 0;
    DWORD openingHeight = 0;
    DWORD minimalWidth = 0;
    DWORD minimalHeight = 0;
    DWORD maximalWidth = 0;
    DWORD maximalHeight = 0;
};

// How the viewer shows the document: 0 a document of its own (its title
// wins), 1 the slide's document (the caller's title with the program name).
enum class DocumentViewMode
{
    OwnTitle = 0,
    SlideTitle = 1,
};

// Applies the lines to parameters whose title is the caller's. Maximal sizes
// beyond the largest window (maxTrackWidth x maxTrackHeight) are scaled down
// to it by the opening size's aspect; without an opening size that step is
// skipped (it would divide by zero) and the sizes stay as given.
DocumentDisplayParameters ApplyDisplayParameters(const std::vector<MString>& lines, DocumentViewMode mode,
                                                 const MString& callerTitle, DWORD maxTrackWidth,
                                                 DWORD maxTrackHeight);
