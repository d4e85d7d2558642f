#include "adverts/AdvertDocuments.h"

#include "crypto/Unscramble.h"
#include "server/ServerReplyError.h"

#include <pugixml.hpp>

#include <cstring>

namespace
{
// Detail numbers of string 385.
constexpr unsigned DetailMissing = 16;
constexpr unsigned DetailNoVersion = 12;

// Length limits of the advert texts, in characters.
constexpr unsigned __int64 MaxMenuTitle = 50;
constexpr unsigned __int64 MaxUrl = 8000;
constexpr unsigned __int64 MaxLeadingTitle = 50;
constexpr unsigned __int64 MaxAuxiliaryTitle = 80;
constexpr unsigned __int64 MaxClass = 50;
constexpr unsigned __int64 MaxContent = 500;

constexpr int MinIncidence = 1;
constexpr int MaxIncidence = 99999;
constexpr unsigned MaxLagTime = 99;

[[noreturn]] void Fail(unsigned code, unsigned location) { throw ServerReplyError::Malformed(code, location); }
[[noreturn]] void FailDocument(unsigned code, unsigned location, unsigned detail)
{
    throw ServerReplyError::MalformedDocument(code, location, detail);
}

// The first text or CDATA child's text; "" when there is none.
const char* NodeText(const pugi::xml_node& node)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            return child.value();
    return "";
}

bool ReadBool(const pugi::xml_node& node)
{
    const char first = NodeText(node)[0];
    return first != 0 && std::strchr("1tTyY", first) != nullptr;
}
int ReadInt(const pugi::xml_node& node) { return node.text().as_int(); }

// A text written as the hex digits of its UTF-16LE bytes. An odd count of
// digits, a character that is no digit or an odd number of bytes rejects the
// document with badHex.
struct HexText
{
    MString text;
    unsigned __int64 length = 0; // in characters, NULs included
};

HexText ReadHexText(const pugi::xml_node& node, unsigned badHex, unsigned location)
{
    const char* digits = NodeText(node);
    MemoryPH<unsigned char> bytes(std::strlen(digits));
    if (bytes.GetCount())
        std::memcpy(bytes.GetData(), digits, static_cast<size_t>(bytes.GetCount()));
    if (!HexTextToBytes(bytes) || bytes.GetCount() % 2 != 0)
        Fail(badHex, location);
    HexText result;
    result.length = bytes.GetCount() / 2;
    MemoryPH<wchar_t> units(result.length);
    if (result.length)
        std::memcpy(units.GetData(), bytes.GetData(), static_cast<size_t>(bytes.GetCount()));
    result.text = MString(units, true);
    return result;
}

int ClampPriority(int priority)
{
    return priority < static_cast<int>(LowestAdvertPriority) || priority > static_cast<int>(HighestAdvertPriority)
               ? static_cast<int>(DefaultAdvertPriority)
               : priority;
}

// One document unscrambled, loaded and its root checked; codes are the
// document's base code plus 0 to 4.
class AdvertDocument
{
public:
    AdvertDocument(const MAtom<unsigned char>& text, unsigned base, const char* rootQuery)
    {
        const pugi::xml_parse_result parsed =
            m_document.load_buffer(text.GetData(), static_cast<size_t>(text.GetCount()));
        if (parsed.status != pugi::status_ok)
            FailDocument(base + 1, __LINE__, parsed.status);
        m_root = m_document.select_node(rootQuery).node();
        if (!m_root)
            FailDocument(base + 2, __LINE__, DetailMissing);
        const pugi::xml_attribute version = m_root.attribute("version");
        if (!version)
            FailDocument(base + 3, __LINE__, DetailNoVersion);
        if (std::strcmp(version.value(), "1") != 0)
            Fail(base + 4, __LINE__);
    }

    const pugi::xml_node& Root() const { return m_root; }

private:
    pugi::xml_document m_document;
    pugi::xml_node m_root;
};

// The elements of a table queried in order under a parent; the first
// missing one in table order answers its code.
template <size_t N> struct Elements
{
    pugi::xml_node nodes[N];

    Elements(const pugi::xml_node& parent, const char* const (&names)[N])
    {
        for (size_t i = 0; i < N; ++i)
            nodes[i] = parent.select_node(names[i]).node();
    }
    // Missing-element codes in table order; 0 for an element that may be absent.
    void RequirePresent(const unsigned (&codes)[N]) const
    {
        for (size_t i = 0; i < N; ++i)
            if (codes[i] && !nodes[i])
                FailDocument(codes[i], static_cast<unsigned>(__LINE__ * 100 + i), DetailMissing);
    }
    const pugi::xml_node& operator[](size_t i) const { return nodes[i]; }
};

void CheckLength(const HexText& text, bool mayBeEmpty, unsigned emptyCode, unsigned __int64 limit,
                 unsigned longCode, unsigned location)
{
    if (!mayBeEmpty && text.length == 0)
        Fail(emptyCode, location);
    if (text.length > limit)
        Fail(longCode, location + 1);
}

// A copy of the document unscrambled with the request's identifier; an
// empty document stays empty (and is no XML).
MemoryPH<unsigned char> Unscrambled(const MAtom<unsigned char>& document, const MString& requestId, unsigned code)
{
    MemoryPH<unsigned char> copy(document);
    if (!copy.IsEmpty() && !UnscrambleBytes(copy, AdvertsKey(requestId)))
        Fail(code, __LINE__);
    return copy;
}
}

MemoryPH<unsigned char> AdvertsKey(const MString& requestId)
{
    const MStringEx<char> utf8 = WideToUtf8String(requestId);
    MemoryPH<unsigned char> key(utf8.GetLength());
    if (utf8.GetLength())
        std::memcpy(key.GetData(), utf8.GetData(), static_cast<size_t>(utf8.GetLength()));
    return key;
}

void ParseMenuAdverts(std::unique_ptr<Menu_Adverts>& out, const MAtom<unsigned char>& document, const MString& requestId)
{
    ReadMenuAdverts(out, Unscrambled(document, requestId, 1000));
}

void ReadMenuAdverts(std::unique_ptr<Menu_Adverts>& out, const MAtom<unsigned char>& text)
{
    const AdvertDocument xml(text, 1000, "//Menu_Adverts");
    static const char* const names[] = {"Enabled",          "Web_Home_App_Default", "Title_Bold",
                                        "Title_Italic",     "Title_Underlined",     "Title_Normal_Height",
                                        "Title_Has_Separator", "Title_Icon",        "Fixed_Items_Positions",
                                        "Title_Text",       "Title_URL",            "Position",
                                        "Max_Displayed_Entries", "Adverts"};
    static const unsigned codes[] = {1005, 1006, 1007, 1008, 1009, 1010, 1011,
                                     1012, 1013, 1014, 1015, 1016, 1017, 1018};
    const Elements<14> e(xml.Root(), names);
    e.RequirePresent(codes);
    const HexText titleText = ReadHexText(e[9], MenuBadHexText, __LINE__);
    const HexText titleUrl = ReadHexText(e[10], MenuBadHexText, __LINE__);
    auto record = std::make_unique<Menu_Adverts>(ReadBool(e[0]), ReadBool(e[1]), titleText.text, ReadBool(e[2]),
                                                 ReadBool(e[3]), ReadBool(e[4]), ReadBool(e[7]), ReadBool(e[5]),
                                                 ReadBool(e[6]), titleUrl.text, NodeText(e[11]), ReadInt(e[12]),
                                                 ReadBool(e[8]));

    static const char* const advertNames[] = {"title", "enabled", "url", "priority"};
    static const unsigned advertCodes[] = {1019, 1020, 1021, 1022};
    for (pugi::xml_node node = e[13].first_child(); node; node = node.next_sibling())
    {
        const Elements<4> a(node, advertNames);
        a.RequirePresent(advertCodes);
        const HexText title = ReadHexText(a[0], MenuBadHexText, __LINE__);
        const HexText url = ReadHexText(a[2], MenuBadHexText, __LINE__);
        CheckLength(title, false, 1038, MaxMenuTitle, 1039, __LINE__ * 10);
        CheckLength(url, false, 1041, MaxUrl, 1042, __LINE__ * 10);
        record->adverts.Append(new Menu_Adverts::Advert(title.text, ReadBool(a[1]), url.text,
                                                        static_cast<DWORD>(ClampPriority(ReadInt(a[3])))));
    }
    out = std::move(record);
}

void ParseOverlayAdverts(std::unique_ptr<Overlay_Adverts>& out, const MAtom<unsigned char>& document, const MString& requestId)
{
    ReadOverlayAdverts(out, Unscrambled(document, requestId, 1100));
}

void ReadOverlayAdverts(std::unique_ptr<Overlay_Adverts>& out, const MAtom<unsigned char>& text)
{
    const AdvertDocument xml(text, 1100, "//Overlay_Adverts");
    static const char* const names[] = {"Enabled",       "Incidence",        "MC_Lag_Time",
                                        "MC_Has_Title",  "MC_Title_Bold",    "MC_Title_Italic",
                                        "MC_Title_Underlined", "MC_Title_Icon", "MC_Title_Normal_Height",
                                        "Adverts"};
    static const unsigned codes[] = {1105, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const Elements<10> e(xml.Root(), names);
    e.RequirePresent(codes);
    const int incidence = ReadInt(e[1]);
    if (incidence < MinIncidence || incidence > MaxIncidence)
        Fail(1106, __LINE__);
    const unsigned lagTime = static_cast<unsigned>(ReadInt(e[2]));
    if (lagTime > MaxLagTime)
        Fail(1107, __LINE__);

    auto record = std::make_unique<Overlay_Adverts>();
    record->Enabled = ReadBool(e[0]);
    record->Incidence = static_cast<DWORD>(incidence);
    record->MC_Lag_Time = lagTime;
    record->MC_Has_Title = ReadBool(e[3]);
    record->MC_Title_Bold = ReadBool(e[4]);
    record->MC_Title_Italic = ReadBool(e[5]);
    record->MC_Title_Underlined = ReadBool(e[6]);
    record->MC_Title_Icon = ReadBool(e[7]);
    record->MC_Title_Normal_Height = ReadBool(e[8]);

    static const char* const advertNames[] = {"leading_title", "auxiliary_title", "enabled", "class",
                                              "content",       "url",             "priority"};
    static const unsigned advertCodes[] = {1108, 1109, 1110, 1111, 1112, 1113, 1114};
    for (pugi::xml_node node = e[9].first_child(); node; node = node.next_sibling())
    {
        const Elements<7> a(node, advertNames);
        a.RequirePresent(advertCodes);
        const HexText leading = ReadHexText(a[0], OverlayBadHexText, __LINE__);
        const HexText auxiliary = ReadHexText(a[1], OverlayBadHexText, __LINE__);
        const HexText advertClass = ReadHexText(a[3], OverlayBadHexText, __LINE__);
        const HexText content = ReadHexText(a[4], OverlayBadHexText, __LINE__);
        const HexText url = ReadHexText(a[5], OverlayBadHexText, __LINE__);
        CheckLength(leading, false, 1115, MaxLeadingTitle, 1116, __LINE__ * 10);
        CheckLength(auxiliary, true, 0, MaxAuxiliaryTitle, 1117, __LINE__ * 10);
        CheckLength(advertClass, false, 1118, MaxClass, 1119, __LINE__ * 10);
        CheckLength(content, false, 1120, MaxContent, 1121, __LINE__ * 10);
        CheckLength(url, true, 0, MaxUrl, 1131, __LINE__ * 10);
        auto advert = new Overlay_Adverts::Advert;
        record->adverts.Append(advert);
        advert->leading_title = leading.text;
        advert->auxiliary_title = auxiliary.text;
        advert->enabled = ReadBool(a[2]);
        advert->advertClass = advertClass.text;
        advert->content = content.text;
        advert->url = url.text;
        advert->priority = advert->running = static_cast<DWORD>(ClampPriority(ReadInt(a[6])));
    }
    out = std::move(record);
}

void ParseSlideAdverts(std::unique_ptr<SlideAdvertsSettings>& out, const MAtom<unsigned char>& document, const MString& requestId)
{
    ReadSlideAdverts(out, Unscrambled(document, requestId, 1200));
}

void ReadSlideAdverts(std::unique_ptr<SlideAdvertsSettings>& out, const MAtom<unsigned char>& text)
{
    const AdvertDocument xml(text, 1200, "//Slide_Adverts");
    static const char* const names[] = {"Enabled", "Incidence"};
    static const unsigned codes[] = {1205, 0};
    const Elements<2> e(xml.Root(), names);
    e.RequirePresent(codes);
    const int incidence = ReadInt(e[1]);
    if (incidence < MinIncidence || incidence > MaxIncidence)
        Fail(1206, __LINE__);
    auto record = std::make_unique<SlideAdvertsSettings>();
    record->suspendOnline = 0;
    record->enabled = ReadBool(e[0]) ? 1 : 0;
    record->incidence = static_cast<DWORD>(incidence);
    out = std::move(record);
}
