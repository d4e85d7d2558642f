#include "adverts/AdvertsReport.h"

#include "adverts/AdvertDocuments.h"
#include "crypto/Unscramble.h"
#include "foundation/SystemUtilities.h"
#include "server/GetSlideHeaders.h"
#include "server/HttpTransport.h"
#include "server/ServerReplyError.h"

#include <cstring>
#include <ctime>

namespace
{
constexpr DWORD ReplyMarker = 0xFFFFFFFF;
constexpr unsigned __int64 FrameWordBytes = 4;

MString Decimal(unsigned __int64 value) { return MString(sX::Format(), L"%I64u", value); }

// Adds "<prefix>-<index>-<name>:<hex of value>".
void AddLine(MString& text, const wchar_t* prefix, unsigned __int64 index, const wchar_t* name,
             const MString& value, unsigned __int64& lines)
{
    if (lines++ > 0)
        text += L"\r\n";
    text += MString(sX::Format(), L"%s-%I64u-%s:%s", prefix, index, name, HexOfText(value).GetText());
}

// The big-endian word at offset; the caller has checked that it lies inside.
DWORD Word(const MAtom<unsigned char>& bytes, unsigned __int64 offset)
{
    return static_cast<DWORD>(bytes[offset]) << 24 | static_cast<DWORD>(bytes[offset + 1]) << 16 |
           static_cast<DWORD>(bytes[offset + 2]) << 8 | static_cast<DWORD>(bytes[offset + 3]);
}

// Reads the length word at offset and the document after it, advancing
// offset past both; the word and the document must lie inside the reply.
ShellMemory<unsigned char> NextDocument(const MAtom<unsigned char>& reply, unsigned __int64& offset)
{
    const unsigned __int64 size = reply.GetCount();
    if (size - offset < FrameWordBytes)
        throw ServerReplyError::Malformed(AdvertsReplyBadLengths, __LINE__);
    const unsigned __int64 length = Word(reply, offset);
    offset += FrameWordBytes;
    if (length > size - offset)
        throw ServerReplyError::Malformed(AdvertsReplyBadLengths, __LINE__);
    ShellMemory<unsigned char> document(const_cast<unsigned char*>(reply.GetData()) + offset, length);
    offset += length;
    return document;
}

MString AgentText()
{
    return MString(sX::Format(), L"%s %s", ProductName, MString(L"ProductVersion", nullptr).GetText());
}
}

MString NewAdvertsRequestId()
{
    return MString(sX::Format(), L"%0.4u%0.4I64u", GetTickCount(), static_cast<unsigned __int64>(std::time(nullptr)));
}

MString AdvertsReportText(const MList<Menu_Item_Stats>& menu, const MList<Overlay_Item_Stats>& overlay,
                          const MList<Slide_Stats>& slides)
{
    MString text;
    unsigned __int64 lines = 0;
    for (unsigned __int64 i = 0; i < menu.GetCount(); ++i)
    {
        const Menu_Item_Stats& s = *menu.GetAt(i);
        AddLine(text, L"MAF", i, L"Advert-Title", s.title, lines);
        AddLine(text, L"MAF", i, L"Impressions", Decimal(s.impressions), lines);
        AddLine(text, L"MAF", i, L"Clicks", Decimal(s.clicks), lines);
    }
    for (unsigned __int64 i = 0; i < overlay.GetCount(); ++i)
    {
        const Overlay_Item_Stats& s = *overlay.GetAt(i);
        AddLine(text, L"OAF", i, L"Leading-Title", s.leadingTitle, lines);
        AddLine(text, L"OAF", i, L"Auxiliary-Title", s.auxiliaryTitle, lines);
        AddLine(text, L"OAF", i, L"Impressions", Decimal(s.impressions), lines);
        AddLine(text, L"OAF", i, L"Follows", Decimal(s.follows), lines);
    }
    for (unsigned __int64 i = 0; i < slides.GetCount(); ++i)
    {
        const Slide_Stats& s = *slides.GetAt(i);
        AddLine(text, L"SAF", i, L"Slide-Id", s.slideId, lines);
        AddLine(text, L"SAF", i, L"Loads", Decimal(s.loads), lines);
        AddLine(text, L"SAF", i, L"Opens", Decimal(s.opens), lines);
        AddLine(text, L"SAF", i, L"Follows", Decimal(s.follows), lines);
    }
    if (lines > 0)
        text += L"\r\n";
    text += MString(sX::Format(), L"LV-FI-data-fields-count:%I64u", lines);
    return text;
}

MemoryPH<unsigned char> AdvertsReportBody(const MString& text)
{
    const unsigned __int64 bytes = text.GetLength() * sizeof(wchar_t);
    MemoryPH<unsigned char> body(bytes);
    if (bytes)
        std::memcpy(body.GetData(), text.GetText(), static_cast<size_t>(bytes));
    return body;
}

HeaderList AdvertsReportHeaders(const MList<Menu_Item_Stats>& menu, const MList<Overlay_Item_Stats>& overlay,
                                const MList<Slide_Stats>& slides, const MString& requestId)
{
    HeaderList headers;
    headers.Add(L"Velmora-LV-Get-Adverts-Request-Version", L"1");
    headers.Add(L"Velmora-LV-Get-Menu-Adverts-Version", L"1");
    headers.Add(L"Velmora-LV-Get-Overlay-Adverts-Version", L"1");
    headers.Add(L"Velmora-LV-Get-Slide-Adverts-Version", L"1");
    headers.Add(L"Velmora-LV-Product-Name", HexOfText(ProductName));
    headers.Add(L"Velmora-LV-Product-Version", HexOfText(MString(L"ProductVersion", nullptr)));
    headers.Add(L"Velmora-LV-UI-Language", Decimal(UiLanguage));
    headers.Add(L"Velmora-LV-Menu-Adverts-Stats-Data-Items-Count", Decimal(menu.GetCount()));
    headers.Add(L"Velmora-LV-Overlay-Adverts-Stats-Data-Items-Count", Decimal(overlay.GetCount()));
    headers.Add(L"Velmora-LV-Slide-Adverts-Stats-Data-Items-Count", Decimal(slides.GetCount()));
    headers.Add(L"E", requestId);
    return headers;
}

AdvertsReplyParts SplitAdvertsReply(const MAtom<unsigned char>& reply)
{
    const unsigned __int64 size = reply.GetCount();
    if (size < 2 * FrameWordBytes)
        throw ServerReplyError::Malformed(AdvertsReplyBadLengths, __LINE__);
    if (Word(reply, 0) != ReplyMarker)
        throw ServerReplyError::Malformed(AdvertsReplyBadMarker, __LINE__);
    if (Word(reply, FrameWordBytes) != size)
        throw ServerReplyError::Malformed(AdvertsReplyBadTotal, __LINE__);
    unsigned __int64 offset = 2 * FrameWordBytes;
    AdvertsReplyParts parts{NextDocument(reply, offset), NextDocument(reply, offset), NextDocument(reply, offset)};
    if (offset != size)
        throw ServerReplyError::Malformed(AdvertsReplyBadLengths, __LINE__);
    return parts;
}

std::unique_ptr<AdvertsExchange> ExchangeAdvertsAndStatistics(AdvertStatsLists& stats, const MString& url,
                                                              bool readReply)
{
    const MString requestId = NewAdvertsRequestId();
    auto exchange = std::make_unique<AdvertsExchange>();
    stats.SnapshotAdvertStats(exchange->menuStats, exchange->overlayStats, exchange->slideStats);
    const HeaderList headers =
        AdvertsReportHeaders(exchange->menuStats, exchange->overlayStats, exchange->slideStats, requestId);
    const MemoryPH<unsigned char> body =
        AdvertsReportBody(AdvertsReportText(exchange->menuStats, exchange->overlayStats, exchange->slideStats));
    std::unique_ptr<MemoryPH<unsigned char>> reply(HttpPostToServer(url, headers, AgentText(), body, nullptr));
    if (!readReply)
        return nullptr;
    if (!reply || reply->IsEmpty())
        throw ServerReplyError::Malformed(AdvertsReplyEmpty, __LINE__);
    UnscrambleBytes(*reply, AdvertsKey(requestId));
    const AdvertsReplyParts parts = SplitAdvertsReply(*reply);
    ParseMenuAdverts(exchange->menu, parts.menu, requestId);
    ParseOverlayAdverts(exchange->overlay, parts.overlay, requestId);
    ParseSlideAdverts(exchange->slides, parts.slides, requestId);
    return exchange;
}
