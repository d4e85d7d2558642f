// Turning a file of the local gallery into a slide: a picture is decoded and
// turned upright by its EXIF orientation; a media file, a web page, a text
// or a rich-text file becomes its card with the file's title drawn on it.
// The main window takes the prepared slide and presents it.
#pragma once

#include "foundation/HandleMemory.h"
#include "foundation/StringEx.h"
#include "slideshow/SlideStep.h"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <memory>
#include <vector>

class LocalWalk;
class MediaProbe;
struct InternetSlideState;

// The kind of the current slide; bit 31 marks the slides that come from a file.
enum SlideKind : int
{
    SlideNone = -1,
    SlideStatusCard = 0,
    OnlinePicture = 1,
    OnlineMedia = 2,
    OnlineDocument = 4,
    FilePicture = static_cast<int>(0x80000001u),
    FileMedia = static_cast<int>(0x80000002u),
    FileRichText = static_cast<int>(0x80000004u),
    FileWebDocument = static_cast<int>(0x80000008u),
    HeldFilePicture = static_cast<int>(0xC0000001u),
};

// States of the online request record for a slide loaded from a file.
enum FileSlideState : int
{
    FileSlidePicture = 6,
    FileSlideMedia = 7,
    FileSlideDocument = 8,
    FileSlideRichText = 9,
};

// A pattern text such as "*.htm;*.html;*.mht" as a list of ".htm" ...
std::vector<MString> ExtensionPatternList(const wchar_t* patterns);
// True when a pattern's text after its last '.' equals the extension
// without regard to case; a pattern without '.' matches only an empty
// extension. first .. last (-1: to the end), skipping skip (-1: none).
bool ExtensionListMatches(const std::vector<MString>& patterns, size_t first, size_t last, size_t skip,
                          const MString& extension);

// The slide prepared last. A decoded picture reads from content's stream,
// so the two are handed on together.
struct PreparedSlide
{
    SlideKind kind = SlideNone;
    // The file's bytes, which a decoded picture is read from.
    HandleMemory<unsigned char> content;
    std::unique_ptr<Gdiplus::Bitmap> picture;
    MString title;
};

class LocalSlidePreparation : public SlidePreparation
{
public:
    // walk gives the unique slide names; media answers the media test (the
    // main window's invisible player); record receives files kept for the
    // next step; artModule holds the card artwork (null: the program).
    LocalSlidePreparation(LocalWalk& walk, MediaProbe& media, InternetSlideState& record, HMODULE artModule);

    bool PrepareLocalSlide(const MString& path) override;
    bool LoadFileSlide(const MString& path) override;

    const PreparedSlide& Prepared() const { return *m_prepared; }
    // Hands the prepared slide (picture and the bytes it reads from) to the
    // caller; the next preparation starts with an empty one.
    std::unique_ptr<PreparedSlide> TakePrepared();

    // True when the file is playable media of non-zero duration; its title,
    // or the unique slide name when it has none or only its file name.
    bool ProbeMediaFile(const MString& path, MString& title);
    // The picture's first title tag (ImageDescription, XPTitle,
    // DocumentName, ImageTitle), from GDI+ or else from the file's EXIF
    // block; else the unique slide name, else the file name.
    MString GetSlideTitle(const MString& path, Gdiplus::Image& picture, const MAtom<unsigned char>& fileBytes);

private:
    // The card of a document kind; FileMedia, FileWebDocument (web or
    // text card) or FileRichText. SlideNone when the file is none of them.
    SlideKind ClassifyDocument(const MString& path, unsigned& card, MString& title);
    std::unique_ptr<Gdiplus::Bitmap> LoadCard(unsigned id) const;

    LocalWalk& m_walk;
    MediaProbe& m_media;
    InternetSlideState& m_record;
    HMODULE m_artModule;
    std::vector<MString> m_webPatterns;
    std::unique_ptr<PreparedSlide> m_prepared = std::make_unique<PreparedSlide>();
};
