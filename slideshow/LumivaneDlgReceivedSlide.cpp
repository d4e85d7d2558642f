// CLumivaneDlg: the online slides. Starting a round of the download worker,
// and building the slide that the record holds once the worker has
// delivered (or that a step kept there from a local file): the hand-over of
// the reply, its picture decoded, the badge of a media item or document,
// the tray title and "Current Slide".
#include "slideshow/LumivaneDlg.h"

#include "adverts/AdvertStats.h"
#include "foundation/PictureBounds.h"
#include "galleries/ExifOrientation.h"
#include "resources/window/ProgramResourceIds.h"
#include "server/ReceivedSlide.h"
#include "core/PrivateMessages.h"
#include "slideshow/CurrentSlideRecord.h"
#include "slideshow/StatusCard.h"

#include <algorithm>
#include <cmath>

namespace
{
// The smallest picture a slide may have, across and down.
constexpr UINT SmallestSlideSide = 24;

// The card of a received media item or document that came without a
// picture of its own.
unsigned DefaultCard(SlideKind kind) { return kind == OnlineMedia ? IDP_MEDIA_CARD : IDP_WEB_CARD; }

// The picture of the content, or null; a header that declares more pixels
// than a picture may have is refused before anything is decoded.
std::unique_ptr<Gdiplus::Bitmap> DecodeContent(const HandleMemory<unsigned char>& bytes)
{
    if (!bytes.GetStream() || !PictureHeaderWithinBounds(bytes.GetData(), static_cast<size_t>(bytes.GetCount())))
        return nullptr;
    LARGE_INTEGER start = {};
    bytes.GetStream()->Seek(start, STREAM_SEEK_SET, nullptr);
    auto picture = std::make_unique<Gdiplus::Bitmap>(bytes.GetStream());
    if (picture->GetLastStatus() != Gdiplus::Ok || picture->GetWidth() == 0 || picture->GetHeight() == 0)
        return nullptr;
    return picture;
}

// The badge's edge on screen for a card shown at larger x smaller pixels.
unsigned BadgeEdge(unsigned larger, unsigned smaller)
{
    if (larger < 8)
        return smaller;
    static const struct
    {
        unsigned below;
        unsigned edge;
    } steps[] = {{21, 8}, {71, 10}, {131, 12}, {151, 14}, {401, 16}, {501, 18}, {601, 20}, {701, 22}};
    unsigned edge = 24;
    for (const auto& step : steps)
        if (larger < step.below)
        {
            edge = step.edge;
            break;
        }
    return std::min(smaller, edge);
}

// A green disc with a white play triangle (media), or a white page with
// blue lines (document), filling the square.
void PaintBadge(Gdiplus::Graphics& graphics, SlideKind kind, const Gdiplus::RectF& square)
{
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    const float x = square.X, y = square.Y, s = square.Width;
    if (kind == OnlineMedia)
    {
        Gdiplus::SolidBrush disc(Gdiplus::Color(255, 46, 160, 67));
        graphics.FillEllipse(&disc, square);
        const Gdiplus::PointF triangle[] = {{x + s * 0.38f, y + s * 0.27f},
                                            {x + s * 0.38f, y + s * 0.73f},
                                            {x + s * 0.76f, y + s * 0.5f}};
        Gdiplus::SolidBrush white(Gdiplus::Color(255, 255, 255, 255));
        graphics.FillPolygon(&white, triangle, 3);
        return;
    }
    Gdiplus::SolidBrush page(Gdiplus::Color(255, 250, 250, 250));
    Gdiplus::Pen edge(Gdiplus::Color(255, 60, 60, 60), std::max(1.0f, s / 16));
    const Gdiplus::RectF sheet(x + s * 0.15f, y + s * 0.05f, s * 0.7f, s * 0.9f);
    graphics.FillRectangle(&page, sheet);
    graphics.DrawRectangle(&edge, sheet);
    Gdiplus::Pen line(Gdiplus::Color(255, 40, 90, 200), std::max(1.0f, s / 14));
    for (int i = 1; i <= 4; ++i)
    {
        const float ly = y + s * (0.05f + 0.18f * static_cast<float>(i));
        graphics.DrawLine(&line, x + s * 0.25f, ly, x + s * 0.75f, ly);
    }
}
} // namespace

void CLumivaneDlg::DrawOnlineBadge(Gdiplus::Bitmap& card, SlideKind kind)
{
    const unsigned width = card.GetWidth(), height = card.GetHeight();
    const LONG areaHeight = m_displayArea.bottom - m_displayArea.top - NonClientSize().cy;
    if (width == 0 || height == 0 || areaHeight <= 0)
        return;
    const unsigned side = static_cast<unsigned>(areaHeight);
    PictureSize shown;
    FitIntoSquare(side, width, height, shown);
    const double scale = std::min(static_cast<double>(side) / width, static_cast<double>(side) / height);
    const unsigned edge = BadgeEdge(std::max(shown.width, shown.height), std::min(shown.width, shown.height));
    if (edge == 0 || scale <= 0)
        return;
    const float badge = static_cast<float>(edge / scale);
    const Gdiplus::RectF square(std::max(0.0f, static_cast<float>(width) - badge),
                                std::max(0.0f, static_cast<float>(height) - badge), badge, badge);
    Gdiplus::Graphics graphics(&card);
    PaintBadge(graphics, kind, square);
}

bool CLumivaneDlg::BuildReceivedSlide(int mode)
{
    // A failed or still running round stands as its text.
    MString status;
    m_online.StatusText(status);
    if (!status.IsEmpty())
        throw StepFailure(status);

    m_online.TakeSlide();
    InternetSlideState& record = m_online.Record();
    const int state = record.state;
    auto slide = std::make_unique<PreparedSlide>();
    MString path;
    SlideOnScreen::Received facts;
    if (record.HoldsReply())
    {
        // The reply becomes the shown slide: "Internet Control", the cache
        // file committed, the session code moved to the shown slide.
        ResetReceivedSlide();
        ReceivedSlide received;
        SaveInternetControlState(record, received, m_online.ShownCode());
        slide->kind = static_cast<SlideKind>(received.displayedKind);
        slide->content.Assign(received.content);
        slide->title = !received.properties.title.IsEmpty() ? received.properties.title : received.firstText;
        facts.advert = received.advert != 0;
        facts.properties = received.properties;
        facts.propertiesText = received.propertiesText;
        facts.description = received.properties.description;
        // The reply's second section is the content's address, its third
        // the text that goes with it.
        facts.address = received.secondSection;
        facts.document = received.thirdSection;
        m_shown.TakeLinkAndId(received.properties.link, received.properties.id);
        if (m_link->advertStats && !received.properties.id.IsEmpty())
            m_link->advertStats->CountSlideEvent(received.properties.id, true, false, false);
    }
    else if (FileSlideKind(state) != SlideNone)
    {
        // A file kept for this step: its content is final (a card for media
        // and documents) and the identity was taken of it.
        ResetReceivedSlide();
        slide->kind = FileSlideKind(state);
        slide->content.Assign(record.content);
        slide->title = record.secondText;
        // A file says nothing of itself beyond its title.
        facts.description = slide->title;
        path = record.file;
        record.Reset();
    }
    else
        throw StepFailure(MString(ResId(IDS_ONLINE_SLIDE_EMPTY)));

    if (slide->content.IsEmpty() && (slide->kind == OnlineMedia || slide->kind == OnlineDocument))
        slide->content.LoadFromResource(nullptr, L"PNG", DefaultCard(slide->kind));
    if (slide->content.IsEmpty())
        throw StepFailure(MString(ResId(IDS_ONLINE_SLIDE_EMPTY)));
    slide->picture = DecodeContent(slide->content);
    if (!slide->picture)
        throw StepFailure(MString(ResId(slide->kind >= 0 ? IDS_ONLINE_SLIDE_UNREADABLE : IDS_FILE_SLIDE_UNREADABLE)));
    ApplyExifOrientation(*slide->picture, slide->content.GetData(), static_cast<size_t>(slide->content.GetCount()));

    switch (slide->kind)
    {
    case OnlineMedia:
    case OnlineDocument:
        DrawOnlineBadge(*slide->picture, slide->kind);
        break;
    case FilePicture:
    case HeldFilePicture:
        if (slide->picture->GetWidth() < SmallestSlideSide || slide->picture->GetHeight() < SmallestSlideSide)
            throw StepFailure(MString(ResId(IDS_SCAN_TOO_SMALL)));
        break;
    case FileMedia:
    {
        const auto w = static_cast<float>(slide->picture->GetWidth());
        const auto h = static_cast<float>(slide->picture->GetHeight());
        Gdiplus::RectF box(15.0f, 88.0f, w - 30.0f, h - 186.0f);
        ::DrawShadowedText(*slide->picture, slide->title, box, 30.0f);
        break;
    }
    case FileRichText:
    case FileWebDocument:
    {
        const auto w = static_cast<float>(slide->picture->GetWidth());
        const auto h = static_cast<float>(slide->picture->GetHeight());
        Gdiplus::RectF box(15.0f, 15.0f, w - 10.0f, h - 10.0f);
        ::DrawShadowedText(*slide->picture, slide->title, box, 30.0f);
        break;
    }
    default:
        break;
    }

    // The slide is built: it becomes the prepared picture, the old picture
    // going before the bytes it may read from.
    m_shown.TakeReceived(slide->kind, slide->title, path, facts);
    BitmapPtr picture = std::move(slide->picture);
    TakePreparedPicture(std::move(picture), std::move(slide));
    const bool advert = facts.advert;
    PostTrayTitle(m_link->controllerWindow->load(),
                  std::make_unique<MString>(sX::Format(), advert ? IDS_ADVERT_TOOLTIP : IDS_SLIDE_TOOLTIP,
                                            m_shown.Title().GetText()));
    if (!advert)
    {
        if (mode == StepAfterFetch || mode == StepTimer)
            m_online.ResetLocalSlideCount();
        // The next start goes on with an online slide, or with the file.
        const bool fromFile = (static_cast<unsigned>(m_shown.Kind()) & 0x80000000u) != 0;
        if (!SaveCurrentSlide(fromFile, fromFile ? path : MString(L"slide")))
            DeleteCurrentSlideValue();
    }
    return true;
}
