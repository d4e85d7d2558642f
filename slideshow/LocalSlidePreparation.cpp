#include "slideshow/LocalSlidePreparation.h"

#include "crypto/CryptBase.h"
#include "foundation/ExifBlock.h"
#include "foundation/FolderPath.h"
#include "foundation/PictureBounds.h"
#include "foundation/ShellHelpers.h"
#include "galleries/ExifOrientation.h"
#include "galleries/GalleryEntryCheck.h"
#include "galleries/MediaProbe.h"
#include "resources/window/ProgramResourceIds.h"
#include "server/ReceivedSlide.h"
#include "slideshow/InternetSlideState.h"
#include "slideshow/LocalWalk.h"
#include "slideshow/StatusCard.h"
#include "viewers/DocumentDisplayParameters.h"

#include <wincrypt.h>

#include <cstring>

namespace
{
const wchar_t WebDocumentPatterns[] = L"*.htm;*.html;*.mht";
// Title tags of a picture, in the order they are asked: ImageDescription,
// XPTitle, DocumentName, ImageTitle.
const PROPID TitleTags[] = {270, 40091, 269, 800};
constexpr float CardTitlePoints = 30.0f;

// The identity of a slide kept in the record: of its final content, so that
// a media or document slide is named by its card, which the record holds
// and the next step checks. Empty when CryptoAPI cannot make it.
void TakeIdentity(InternetSlideState& record)
{
    record.identity.Clear();
    try
    {
        record.identity.Assign(SlideIdentity(record.content));
    }
    catch (const QuilloryError&)
    {
    }
}

// A picture decoded from the bytes' stream, or null; null too, before any
// decoding, when the header declares more pixels than a picture may have.
std::unique_ptr<Gdiplus::Bitmap> Decode(const HandleMemory<unsigned char>& bytes)
{
    if (!bytes.GetStream() || !PictureHeaderWithinBounds(bytes.GetData(), static_cast<size_t>(bytes.GetCount())))
        return nullptr;
    LARGE_INTEGER start = {};
    bytes.GetStream()->Seek(start, STREAM_SEEK_SET, nullptr);
    auto picture = std::make_unique<Gdiplus::Bitmap>(bytes.GetStream());
    if (picture->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    return picture;
}

// The file's bytes when it is short enough to be a picture; false, with
// bytes empty and the file unread, when it is longer.
bool ReadPictureFile(const MString& path, HandleMemory<unsigned char>& bytes)
{
    bytes.Clear();
    if (!FileSizeAtMost(path.GetText(), MaxPictureFileBytes))
        return false;
    bytes.ReadWholeFile(path.GetText());
    return true;
}

// A picture that may not be decoded (its file too long, its header too
// large) is not handed to the media player either, which would decode it.
bool IsRefusedPicture(const MString& path, const HandleMemory<unsigned char>& bytes)
{
    if (!bytes.IsEmpty())
        return HasPictureSignature(bytes.GetData(), static_cast<size_t>(bytes.GetCount()));
    unsigned char start[64] = {};
    size_t read = 0;
    return ReadFileStart(path.GetText(), start, sizeof(start), read) && HasPictureSignature(start, read);
}

bool TooSmall(Gdiplus::Image& picture)
{
    return picture.GetWidth() < SmallestPictureSide || picture.GetHeight() < SmallestPictureSide;
}

// A media card's title sits below its strip of holes; a document card's
// fills the card.
Gdiplus::RectF TitleBox(SlideKind kind, const Gdiplus::Bitmap& card)
{
    const auto width = static_cast<float>(const_cast<Gdiplus::Bitmap&>(card).GetWidth());
    const auto height = static_cast<float>(const_cast<Gdiplus::Bitmap&>(card).GetHeight());
    if (kind == FileMedia)
        return Gdiplus::RectF(15.0f, 88.0f, width - 30.0f, height - 186.0f);
    return Gdiplus::RectF(15.0f, 15.0f, width - 10.0f, height - 10.0f);
}
}

std::vector<MString> ExtensionPatternList(const wchar_t* patterns)
{
    return SplitAtSeparator(MString(patterns).Trim(L'*'), MString(L";*"));
}

bool ExtensionListMatches(const std::vector<MString>& patterns, size_t first, size_t last, size_t skip,
                          const MString& extension)
{
    for (size_t i = first; i < patterns.size() && (last == static_cast<size_t>(-1) || i <= last); ++i)
    {
        if (i == skip)
            continue;
        const MString& pattern = patterns[i];
        if (pattern.FindChar(L'.', 0, true) == MString::npos)
        {
            if (extension.IsEmpty())
                return true;
            continue;
        }
        if (EqualsIgnoringCase(pattern.AfterLast(L'.', false), extension))
            return true;
    }
    return false;
}

LocalSlidePreparation::LocalSlidePreparation(LocalWalk& walk, MediaProbe& media, InternetSlideState& record,
                                             HMODULE artModule)
    : m_walk(walk), m_media(media), m_record(record), m_artModule(artModule),
      m_webPatterns(ExtensionPatternList(WebDocumentPatterns))
{
}

std::unique_ptr<Gdiplus::Bitmap> LocalSlidePreparation::LoadCard(unsigned id) const
{
    HandleMemory<unsigned char> bytes;
    bytes.LoadFromResource(m_artModule, L"PNG", id);
    std::unique_ptr<Gdiplus::Bitmap> decoded = Decode(bytes);
    if (!decoded)
        return nullptr;
    // GDI+ decodes lazily from the stream; a copy owns its pixels and can
    // be drawn on.
    std::unique_ptr<Gdiplus::Bitmap> copy(
        decoded->Clone(0, 0, decoded->GetWidth(), decoded->GetHeight(), PixelFormat32bppARGB));
    if (!copy || copy->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    return copy;
}

SlideKind LocalSlidePreparation::ClassifyDocument(const MString& path, unsigned& card, MString& title)
{
    if (ProbeMediaFile(path, title))
    {
        card = IDP_MEDIA_CARD;
        return FileMedia;
    }
    const MString extension = ExtensionOf(path);
    if (ExtensionListMatches(m_webPatterns, 0, static_cast<size_t>(-1), static_cast<size_t>(-1), extension))
    {
        card = IDP_WEB_CARD;
        try
        {
            title = DocumentTitleParameter(ExtractDisplayParameters(ReadUtf8TextFile(path)));
        }
        catch (const DocumentReadError&)
        {
            title.Clear();
        }
        if (title.IsEmpty())
            title = m_walk.GetUniqueSlideName(path);
        return FileWebDocument;
    }
    if (EqualsIgnoringCase(extension, MString(L"txt")) || EqualsIgnoringCase(extension, MString(L"rtf")))
    {
        card = IDP_TEXT_CARD;
        title = m_walk.GetUniqueSlideName(path);
        return EqualsIgnoringCase(extension, MString(L"txt")) ? FileWebDocument : FileRichText;
    }
    return SlideNone;
}

std::unique_ptr<PreparedSlide> LocalSlidePreparation::TakePrepared()
{
    std::unique_ptr<PreparedSlide> taken = std::move(m_prepared);
    m_prepared = std::make_unique<PreparedSlide>();
    return taken;
}

bool LocalSlidePreparation::PrepareLocalSlide(const MString& path)
{
    m_prepared->picture.reset();
    ReadPictureFile(path, m_prepared->content);
    m_prepared->picture = Decode(m_prepared->content);
    if (m_prepared->picture)
    {
        if (TooSmall(*m_prepared->picture))
            return false;
        m_prepared->title = GetSlideTitle(path, *m_prepared->picture, m_prepared->content);
        ApplyExifOrientation(*m_prepared->picture, m_prepared->content.GetData(),
                             static_cast<size_t>(m_prepared->content.GetCount()));
        m_prepared->kind = FilePicture;
        return true;
    }

    if (IsRefusedPicture(path, m_prepared->content))
        return false;
    unsigned card = 0;
    MString title;
    const SlideKind kind = ClassifyDocument(path, card, title);
    if (kind == SlideNone)
        return false;
    m_prepared->content.Clear();
    m_prepared->picture = LoadCard(card);
    if (!m_prepared->picture)
        return false;
    m_prepared->kind = kind;
    m_prepared->title = title;
    Gdiplus::RectF box = TitleBox(kind, *m_prepared->picture);
    DrawShadowedText(*m_prepared->picture, title, box, CardTitlePoints);
    return true;
}

bool LocalSlidePreparation::LoadFileSlide(const MString& path)
{
    m_record.Reset();
    m_record.firstText = path;
    m_record.file = path;
    HandleMemory<unsigned char> bytes;
    if (ReadPictureFile(path, bytes) && bytes.IsEmpty())
        return false;
    m_record.content.Assign(bytes);

    if (std::unique_ptr<Gdiplus::Bitmap> picture = Decode(bytes))
    {
        if (TooSmall(*picture))
            return false;
        m_record.secondText = GetSlideTitle(path, *picture, bytes);
        m_record.state = FileSlidePicture;
        TakeIdentity(m_record);
        return true;
    }
    if (IsRefusedPicture(path, bytes))
        return false;
    unsigned card = 0;
    MString title;
    const SlideKind kind = ClassifyDocument(path, card, title);
    if (kind == SlideNone)
        return false;
    HandleMemory<unsigned char> art;
    art.LoadFromResource(m_artModule, L"PNG", card);
    m_record.content.Assign(art);
    m_record.secondText = title;
    m_record.state = kind == FileMedia ? FileSlideMedia : kind == FileRichText ? FileSlideRichText : FileSlideDocument;
    TakeIdentity(m_record);
    return true;
}

bool LocalSlidePreparation::ProbeMediaFile(const MString& path, MString& title)
{
    MediaFacts facts;
    if (!m_media.Probe(path, facts) || facts.duration == 0.0)
        return false;
    const MString fileBase = WithoutExtension(FileNameOf(path));
    title = facts.title.IsEmpty() || EqualsIgnoringCase(facts.title, fileBase) ? m_walk.GetUniqueSlideName(path)
                                                                                : facts.title;
    return true;
}

MString LocalSlidePreparation::GetSlideTitle(const MString& path, Gdiplus::Image& picture,
                                             const MAtom<unsigned char>& fileBytes)
{
    // GDI+ gives the title tags on Windows; where it gives none (Wine's
    // GDI+ reads no EXIF from JPEG files) the file's own EXIF block is read.
    const ExifBlock block(fileBytes.GetData(), static_cast<size_t>(fileBytes.GetCount()));
    for (const PROPID tag : TitleTags)
    {
        MString title = GetImagePropertyItem(picture, tag);
        if (title.IsEmpty() && picture.GetPropertyItemSize(tag) == 0)
            title = block.ReadText(static_cast<WORD>(tag));
        if (!title.IsEmpty())
            return title;
    }
    MString name = m_walk.GetUniqueSlideName(path);
    return name.IsEmpty() ? FileNameOf(path) : name;
}
