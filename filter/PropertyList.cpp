#include "filter/PropertyList.h"

#include "crypto/CryptException.h"
#include "crypto/Unscramble.h"
#include "foundation/FolderPath.h"
#include "foundation/SystemUtilities.h"
#include "resources/languages/LanguageIds.h"
#include "server/GetSlideHeaders.h"
#include "server/HttpTransport.h"
#include "server/RequestTexts.h"
#include "server/ServerPages.h"
#include "server/ServerReplyError.h"
#include "core/WaitDlg.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>

namespace
{
// No list reply is read beyond this; real ones are a few KiB.
constexpr unsigned __int64 PropertyListReplyLimit = 16ull * 1024 * 1024;
constexpr unsigned char StatusGood = 0;
constexpr unsigned char FirstMessageStatus = 128;
constexpr unsigned char LastMessageStatus = 138;
constexpr DWORD ContainerMark = 0xFFFFFFFF;
constexpr size_t ContainerHead = 12;
constexpr DWORD HighestEntryType = 2;
constexpr DWORD DataTypeCount = 15;
constexpr DWORD DefaultGalleryLanguage = 1033;
// Indentation of a gallery's display text: 7 x depth - 6 spaces.
constexpr size_t IndentPerDepth = 7;

// Reply and document failures: code, location (and detail for string 385).
struct Failure
{
    unsigned code;
    unsigned location;
    unsigned detail;
};
constexpr Failure ContainerEmpty{3000, 58, 0};
constexpr Failure ContainerMarkWrong{3001, 73, 0};
constexpr Failure ContainerLengthWrong{3002, 85, 0};
constexpr Failure ContainerDocumentLength{3003, 102, 0};
constexpr Failure DocumentKeyRefused{3004, 116, 0};
constexpr Failure NoSearchProperties{3006, 135, 16};
constexpr Failure NoVersion{3007, 143, 12};
constexpr Failure VersionWrong{3008, 149, 0};
constexpr Failure NoItems{3009, 157, 16};
constexpr Failure NoPropertyData{3018, 182, 16};
constexpr Failure NoValueId{3019, 208, 16};
constexpr Failure NoValueData{3020, 209, 16};
// Our own codes for sizes that do not fit what was received, checked
// before anything is read.
constexpr Failure ReplyShort{3021, 300, 0};
constexpr Failure GalleryTextOdd{3022, 301, 0};
constexpr Failure GalleryTextOverrun{3023, 302, 0};
constexpr Failure ContainerOverrun{3024, 303, 0};
constexpr Failure GalleryTextNul{3025, 304, 0};
constexpr Failure ContainerShort{3026, 64, 0};
constexpr Failure ElementTextNotHex{3027, 190, 0};
// The item's required elements in the order they are checked, codes 3010
// to 3017 at 174 to 181.
const char* const ItemElements[] = {"id",      "entry_type",            "data_type",          "class_name",
                                    "multiplicity", "is_enum", "is_container_property", "is_content_property"};

[[noreturn]] void Raise(const Failure& failure)
{
    if (failure.detail)
        throw ServerReplyError::MalformedDocument(failure.code, failure.location, failure.detail);
    throw ServerReplyError::Malformed(failure.code, failure.location);
}

DWORD Be32(const unsigned char* at)
{
    return static_cast<DWORD>(at[0]) << 24 | static_cast<DWORD>(at[1]) << 16 | static_cast<DWORD>(at[2]) << 8 | at[3];
}

MStringEx<wchar_t> Utf16Text(const unsigned char* bytes, size_t units)
{
    std::wstring text(units, L'\0');
    if (units)
        std::memcpy(&text[0], bytes, units * 2);
    return MStringEx<wchar_t>(text.c_str());
}

// The value of a node's first text or CDATA child; empty without one.
const char* NodeText(const pugi::xml_node& node)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            return child.value();
    return "";
}

int UpperHexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// An element text: upper-case hex of UTF-16LE bytes. An odd count of
// digits, an odd count of bytes or any other character is refused.
MStringEx<wchar_t> ElementText(const pugi::xml_node& node)
{
    const char* hex = NodeText(node);
    const size_t digits = std::strlen(hex);
    if (digits % 4 != 0)
        Raise(ElementTextNotHex);
    std::wstring text;
    text.reserve(digits / 4);
    for (size_t i = 0; i < digits; i += 4)
    {
        int nibbles[4];
        for (int k = 0; k < 4; ++k)
            if ((nibbles[k] = UpperHexDigit(hex[i + k])) < 0)
                Raise(ElementTextNotHex);
        const unsigned low = static_cast<unsigned>(nibbles[0] << 4 | nibbles[1]);
        const unsigned high = static_cast<unsigned>(nibbles[2] << 4 | nibbles[3]);
        text += static_cast<wchar_t>(high << 8 | low);
    }
    return MStringEx<wchar_t>(text.c_str());
}

unsigned __int64 DecimalOf(const MStringEx<wchar_t>& text) { return std::wcstoull(text.GetText(), nullptr, 10); }

pugi::xml_node Required(const pugi::xml_node& parent, const char* name, const Failure& failure)
{
    const pugi::xml_node node = parent.child(name);
    if (!node)
        Raise(failure);
    return node;
}

// The container's key: the request id's UTF-8 bytes; refused below 7 bytes.
void Unscramble(MemoryPH<unsigned char>& bytes, const MStringEx<wchar_t>& requestId, const Failure* refused)
{
    if (UnscrambleBytes(bytes, Utf8Bytes(requestId)))
        return;
    if (refused)
        Raise(*refused);
    throw MCryptException(3);
}

MStringEx<wchar_t> LanguageText(DWORD language) { return MStringEx<wchar_t>(false, language); }

HeaderList ListRequestHeaders(const MStringEx<wchar_t>& requestId)
{
    const MStringEx<wchar_t> version(L"ProductVersion", nullptr);
    HeaderList headers;
    headers.Add(L"Velmora-LV-Product-Name", HexOfText(ProductName));
    headers.Add(L"Velmora-LV-Product-Version", HexOfText(version));
    headers.Add(L"Velmora-LV-UI-Language", LanguageText(UiLanguage));
    headers.Add(L"Velmora-LV-Internet-Slide-Library-Version", L"5");
    headers.Add(L"Velmora-LV-Internet-Library-Function", L"LIST-ALL");
    headers.Add(L"Velmora-LV-Get-Properties-Request-Version", L"1");
    headers.Add(L"Velmora-LV-Internet-Properties-Function", L"USER-FILTER-LIST-ALL-RELEVANT-PROPERTIES");
    headers.Add(L"E", requestId);
    AddPrivateGalleryViewHeader(headers);
    return headers;
}

MemoryPH<unsigned char> GetGalleriesPage(const HeaderList& headers)
{
    MemoryPH<unsigned char> reply;
    HttpGetWithHeaders(GetServerPageUrl(PageGetGalleries), headers, AgentText(), reply, &PropertyListReplyLimit,
                       nullptr);
    return reply;
}

// The error text the dialog shows for a failure of the request.
MStringEx<wchar_t> DescribeFailure()
{
    try
    {
        throw;
    }
    catch (const InternetException& failure)
    {
        return MStringEx<wchar_t>(sX::Format(), IDS_PROPERTIES_REQUEST_FAILED, ErrorLocationText(failure).GetText());
    }
    catch (const MCryptException& failure)
    {
        return MStringEx<wchar_t>(sX::Format(), IDS_PROPERTIES_CRYPT_FAILED, failure.code);
    }
    catch (const ServerReplyError& failure)
    {
        return failure.Text();
    }
    catch (...)
    {
        return MStringEx<wchar_t>(sX::Format(), IDS_PROPERTIES_FAILED,
                                  MStringEx<wchar_t>(ResId(IDS_PRODUCT_NAME)).GetText());
    }
}
} // namespace

namespace Property_Manager
{
void ValueDictionary::Insert(DWORD id, const Value& value)
{
    auto at = m_entries.begin();
    while (at != m_entries.end() && at->first > id)
        ++at;
    if (at != m_entries.end() && at->first == id)
        throw PropertyListFailure();
    m_entries.insert(at, Entry(id, value));
}

const Value* ValueDictionary::Find(DWORD id) const
{
    for (const Entry& entry : m_entries)
        if (entry.first == id)
            return &entry.second;
    return nullptr;
}

void ParseBytes(PropertyList& properties, const MAtom<unsigned char>& container, const MStringEx<wchar_t>& requestId)
{
    if (container.GetCount() == 0)
        Raise(ContainerEmpty);
    MemoryPH<unsigned char> copy(container);
    Unscramble(copy, requestId, nullptr);
    ReadContainer(properties, copy, requestId);
}

void ReadContainer(PropertyList& properties, const MAtom<unsigned char>& container,
                   const MStringEx<wchar_t>& requestId)
{
    // Every word of the head is read only once the head is there.
    if (container.GetCount() < ContainerHead)
        Raise(ContainerShort);
    const unsigned char* bytes = container.GetData();
    if (Be32(bytes) != ContainerMark)
        Raise(ContainerMarkWrong);
    if (Be32(bytes + 4) != container.GetCount())
        Raise(ContainerLengthWrong);
    const DWORD documentBytes = Be32(bytes + 8);
    if (static_cast<unsigned __int64>(documentBytes) + ContainerHead != container.GetCount())
        Raise(ContainerDocumentLength);
    Parse(properties, container.SubView(ContainerHead, documentBytes), requestId);
}

void Parse(PropertyList& properties, const MAtom<unsigned char>& document, const MStringEx<wchar_t>& requestId)
{
    MemoryPH<unsigned char> copy(document);
    if (copy.GetCount() == 0)
        throw MCryptException(3);
    Unscramble(copy, requestId, &DocumentKeyRefused);
    ParseDocument(properties, copy);
}

void ParseDocument(PropertyList& properties, const MAtom<unsigned char>& xmlBytes)
{
    pugi::xml_document xml;
    const pugi::xml_parse_result parsed =
        xml.load_buffer(xmlBytes.GetData(), static_cast<size_t>(xmlBytes.GetCount()));
    if (!parsed)
        throw ServerReplyError::MalformedDocument(3005, 126, parsed.status);
    const pugi::xml_node root = xml.select_node("//Search_Properties").node();
    if (!root)
        Raise(NoSearchProperties);
    const pugi::xml_attribute version = root.attribute("version");
    if (!version)
        Raise(NoVersion);
    if (std::strcmp(version.value(), "1") != 0)
        Raise(VersionWrong);
    const pugi::xml_node items = Required(root, "Items", NoItems);

    PropertyList read;
    for (pugi::xml_node item = items.first_child(); item; item = item.next_sibling())
    {
        if (item.type() != pugi::node_element)
            continue;
        MStringEx<wchar_t> texts[8];
        for (unsigned i = 0; i < 8; ++i)
            texts[i] = ElementText(Required(item, ItemElements[i], Failure{3010 + i, 174 + i, 16}));
        const pugi::xml_node data = Required(item, "propetry_data", NoPropertyData);

        Property_Class property;
        property.id = DecimalOf(texts[0]);
        const unsigned __int64 entryType = DecimalOf(texts[1]);
        property.entry_type = entryType > HighestEntryType ? HighestEntryType : static_cast<DWORD>(entryType);
        const unsigned __int64 dataType = DecimalOf(texts[2]);
        property.data_type = dataType >= DataTypeCount ? 0 : static_cast<DWORD>(dataType);
        property.class_name = texts[3];
        property.multiplicity = IsTrueText(texts[4]);
        property.is_enum = IsTrueText(texts[5]);
        property.is_container_property = IsTrueText(texts[6]);
        property.is_content_property = IsTrueText(texts[7]);
        for (pugi::xml_node value = data.first_child(); value; value = value.next_sibling())
        {
            if (value.type() != pugi::node_element)
                continue;
            const MStringEx<wchar_t> id = ElementText(Required(value, "vid", NoValueId));
            const MStringEx<wchar_t> text = ElementText(Required(value, "data", NoValueData));
            const DWORD valueId = static_cast<DWORD>(std::wcstol(id.GetText(), nullptr, 10));
            property.values.Insert(valueId, Value(property.data_type, text));
        }
        read.push_back(property);
    }
    properties.swap(read);
}
} // namespace Property_Manager

bool ParseGalleryListText(const MStringEx<wchar_t>& text, OnlineGalleryList& galleries)
{
    galleries.clear();
    const std::wstring source(text.GetText(), static_cast<size_t>(text.GetLength()));
    if (source.size() < 2 || source[0] != L'*' || source[1] == L'*')
        return false;
    OnlineGalleryList read;
    std::wstring path;
    size_t at = 0;
    while (at < source.size())
    {
        size_t depth = 0;
        while (at < source.size() && source[at] == L'*')
            ++depth, ++at;
        const size_t end = std::min(source.find(L'*', at), source.size());
        if (end == at)
            return false;
        const std::wstring name = source.substr(at, end - at);
        at = end;
        if (depth == 1)
            path = name;
        else
        {
            // Keep the path up to its (depth - 1)-th "/".
            size_t cut = 0, seen = 0;
            for (; cut < path.size(); ++cut)
                if (path[cut] == L'/' && ++seen == depth - 1)
                    break;
            path = path.substr(0, cut) + L"/" + name;
        }
        const std::wstring display = std::wstring(IndentPerDepth * depth - 6, L' ') + name;
        read.push_back(OnlineGalleryEntry{MStringEx<wchar_t>(display.c_str()), MStringEx<wchar_t>(path.c_str())});
    }
    galleries.swap(read);
    return true;
}

void CheckGalleryReplyStatus(const MAtom<unsigned char>& reply)
{
    if (reply.GetCount() == 0)
        throw PropertyListFailure();
    const unsigned char status = reply.GetData()[0];
    if (status == StatusGood)
        return;
    if (status >= FirstMessageStatus && status <= LastMessageStatus)
        throw ServerReplyError::Refusal(Utf16Text(reply.GetData() + 1, static_cast<size_t>(reply.GetCount() - 1) / 2));
    throw ServerReplyError::Refusal(MStringEx<wchar_t>(ResId(IDS_PROPERTIES_BAD_STATUS)));
}

void ParseGalleryReply(const MAtom<unsigned char>& reply, const MStringEx<wchar_t>& requestId,
                       OnlineGalleryList& galleries, Property_Manager::PropertyList& properties)
{
    CheckGalleryReplyStatus(reply);
    const unsigned __int64 size = reply.GetCount();
    const unsigned char* bytes = reply.GetData();
    if (size < 9)
        Raise(ReplyShort);
    const unsigned __int64 galleryBytes = Be32(bytes + 1);
    if (galleryBytes % 2 != 0)
        Raise(GalleryTextOdd);
    if (galleryBytes > size - 9)
        Raise(GalleryTextOverrun);
    const unsigned __int64 containerBytes = Be32(bytes + 5 + galleryBytes);
    if (containerBytes != size - 9 - galleryBytes)
        Raise(ContainerOverrun);

    const size_t units = static_cast<size_t>(galleryBytes / 2);
    const MStringEx<wchar_t> galleryText = Utf16Text(bytes + 5, units);
    if (galleryText.GetLength() != units)
        Raise(GalleryTextNul);
    OnlineGalleryList readGalleries;
    if (!ParseGalleryListText(galleryText, readGalleries))
        throw PropertyListFailure();
    Property_Manager::PropertyList readProperties;
    Property_Manager::ParseBytes(readProperties, reply.SubView(9 + galleryBytes, containerBytes), requestId);
    galleries.swap(readGalleries);
    properties.swap(readProperties);
}

MStringEx<wchar_t> TranslateGalleryPath(const SelectedOnlineGallery& gallery, DWORD targetLanguage)
{
    HeaderList headers;
    headers.Add(L"Velmora-LV-UI-Language", LanguageText(UiLanguage));
    headers.Add(L"Velmora-LV-Internet-Slide-Library-Version", L"5");
    headers.Add(L"Velmora-LV-Internet-Library-Function", L"TRANSLATE");
    headers.Add(L"Velmora-LV-Internet-Function-Translate", LanguageText(targetLanguage));
    const HeaderList::Entry name = MakeGalleryNameHeader(gallery.name);
    headers.Add(name.first, name.second);
    const HeaderList::Entry language = MakeGalleryLanguageHeader(gallery.language);
    headers.Add(language.first, language.second);
    const MemoryPH<unsigned char> reply = GetGalleriesPage(headers);
    CheckGalleryReplyStatus(reply);
    return Utf16Text(reply.GetData() + 1, static_cast<size_t>(reply.GetCount() - 1) / 2);
}

bool RunPropertyListRequest(PropertyListRequest& request)
{
    try
    {
        const MStringEx<wchar_t> requestId = NewRequestId();
        const MemoryPH<unsigned char> reply = GetGalleriesPage(ListRequestHeaders(requestId));
        ParseGalleryReply(reply, requestId, request.galleries, request.properties);
        if (!request.gallery.name.IsEmpty() && request.gallery.language != UiLanguage)
        {
            const MStringEx<wchar_t> translated = TranslateGalleryPath(request.gallery, UiLanguage);
            if (translated.IsEmpty())
                request.gallery.Assign(MStringEx<wchar_t>(), DefaultGalleryLanguage);
            else
                request.gallery.Assign(translated, UiLanguage);
        }
        request.errorText = MStringEx<wchar_t>();
        return true;
    }
    catch (...)
    {
        request.errorText = DescribeFailure();
        return false;
    }
}

DWORD WINAPI SearchPropertiesThreadProc(LPVOID argument)
{
    PropertyListRequest& request = *static_cast<PropertyListRequest*>(argument);
    const bool done = RunPropertyListRequest(request);
    // The wait dialog starts this thread once its window exists.
    if (request.owner && *request.owner)
        SendMessageW(*request.owner, WaitDlgEnd, 0, 0);
    return done ? 0 : 1;
}

bool IsSameOnlineGallery(const SelectedOnlineGallery& reference, const SelectedOnlineGallery& other)
{
    if (reference.language == other.language)
        return reference.name == other.name;
    try
    {
        return TranslateGalleryPath(reference, other.language) == other.name;
    }
    catch (...)
    {
        // The dialog's OK and Cancel ask this: a failed request is a change.
        return false;
    }
}
