// One exchange with the server's adverts page: the statistics report (body
// and headers) goes out, the three advert documents come back in one framed
// reply.
#pragma once

#include "adverts/AdvertStats.h"
#include "server/HeaderList.h"

#include <memory>

// "%0.4u%0.4I64u" of the tick count and the seconds since 1970, made afresh
// for each report: the E header and the reply's scrambling key.
MString NewAdvertsRequestId();

// The report's lines "name:value" joined by CRLF, without a line ending
// after the last: the values hex text of their UTF-16LE, the closing count
// plain decimal.
MString AdvertsReportText(const MList<Menu_Item_Stats>& menu, const MList<Overlay_Item_Stats>& overlay,
                          const MList<Slide_Stats>& slides);
MemoryPH<unsigned char> AdvertsReportBody(const MString& text);
HeaderList AdvertsReportHeaders(const MList<Menu_Item_Stats>& menu, const MList<Overlay_Item_Stats>& overlay,
                                const MList<Slide_Stats>& slides, const MString& requestId);

// The three documents of an unscrambled reply, as views into it.
struct AdvertsReplyParts
{
    ShellMemory<unsigned char> menu;
    ShellMemory<unsigned char> overlay;
    ShellMemory<unsigned char> slides;
};

// Failure codes of the reply's framing (string 362).
constexpr unsigned AdvertsReplyEmpty = 2001;
constexpr unsigned AdvertsReplyBadMarker = 1;
constexpr unsigned AdvertsReplyBadTotal = 2;
constexpr unsigned AdvertsReplyBadLengths = 3;

// Cuts the framed reply into its documents. Every length is checked against
// the bytes that remain before it is used; ServerReplyError on any fault.
AdvertsReplyParts SplitAdvertsReply(const MAtom<unsigned char>& reply);

// What one successful exchange brings: the statistics it reported and the
// three parsed records.
struct AdvertsExchange
{
    MList<Menu_Item_Stats> menuStats;
    MList<Overlay_Item_Stats> overlayStats;
    MList<Slide_Stats> slideStats;
    std::unique_ptr<Menu_Adverts> menu;
    std::unique_ptr<Overlay_Adverts> overlay;
    std::unique_ptr<SlideAdvertsSettings> slides;
};

// Reports a snapshot of the statistics to the page at url. readReply false
// (the last report at shut-down): the reply is not looked at and the answer
// is null. Throws on any failure of the exchange; the statistics are left as
// they were.
std::unique_ptr<AdvertsExchange> ExchangeAdvertsAndStatistics(AdvertStatsLists& stats, const MString& url,
                                                              bool readReply);
