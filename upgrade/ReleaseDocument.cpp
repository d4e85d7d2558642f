#include "upgrade/ReleaseDocument.h"

#include "server/HttpTransport.h"

#include <pugixml.hpp>

#include <cstring>
#include <ctime>
#include <vector>

namespace
{
constexpr unsigned __int64 LargestPart = ~0ull;

// The parts between the dots; empty pieces are skipped.
std::vector<MString> VersionParts(const MString& version)
{
    std::vector<MString> parts;
    const wchar_t* text = version.GetText();
    const size_t length = static_cast<size_t>(version.GetLength());
    size_t start = 0;
    for (size_t i = 0; i <= length; ++i)
        if (i == length || text[i] == L'.')
        {
            if (i > start)
            {
                MString part(ElementCount{i - start + 1});
                std::memcpy(part.GetData(), text + start, (i - start) * sizeof(wchar_t));
                part.GetData()[i - start] = 0;
                parts.push_back(part);
            }
            start = i + 1;
        }
    return parts;
}

// The value of a part's leading decimal digits.
unsigned __int64 PartValue(const MString& part)
{
    unsigned __int64 value = 0;
    for (const wchar_t* c = part.GetText(); *c >= L'0' && *c <= L'9'; ++c)
    {
        const unsigned digit = *c - L'0';
        if (value > (LargestPart - digit) / 10)
            return LargestPart;
        value = value * 10 + digit;
    }
    return value;
}

// A node's text: the node itself when it is text or CDATA, else its first
// text or CDATA child; empty without one. Converted from UTF-8.
MString NodeText(const pugi::xml_node& node)
{
    pugi::xml_node text = node;
    if (text.type() != pugi::node_pcdata && text.type() != pugi::node_cdata)
        for (text = node.first_child(); text; text = text.next_sibling())
            if (text.type() == pugi::node_pcdata || text.type() == pugi::node_cdata)
                break;
    if (!text)
        return MString(L"");
    const char* value = text.value();
    return Utf8ToWideString(ShellMemory<char>(const_cast<char*>(value), std::strlen(value)));
}

std::string Utf8(const MString& text)
{
    const MStringEx<char> utf8 = WideToUtf8String(text);
    return std::string(utf8.GetText(), static_cast<size_t>(utf8.GetLength()));
}

bool BeginsWithNoCase(const MString& text, const wchar_t* prefix)
{
    const size_t length = std::wcslen(prefix);
    return text.GetLength() >= length && _wcsnicmp(text.GetText(), prefix, length) == 0;
}
} // namespace

MString ReleaseChangesLanguage(LANGID language)
{
    return MString(PRIMARYLANGID(language) == LANG_BULGARIAN ? L"Bulgarian" : L"English");
}

MString AddCacheBuster(const MString& address)
{
    const wchar_t* text = address.GetText();
    const wchar_t* query = std::wcschr(text, L'?');
    if (!query || !std::wcsstr(query, L"get_now=%s"))
        return address;
    size_t percents = 0;
    for (const wchar_t* c = text; *c; ++c)
        percents += *c == L'%';
    if (percents != 1)
        return address;
    const MString now(sX::Format(), L"%I64u%lu", static_cast<unsigned __int64>(std::time(nullptr)), GetTickCount());
    return MString(sX::Format(), text, now.GetText());
}

int CompareReleaseVersions(const MString& first, const MString& second)
{
    const std::vector<MString> a = VersionParts(first), b = VersionParts(second);
    for (size_t i = 0; i < a.size() || i < b.size(); ++i)
    {
        const unsigned __int64 x = i < a.size() ? PartValue(a[i]) : 0;
        const unsigned __int64 y = i < b.size() ? PartValue(b[i]) : 0;
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

bool ReadReleaseDocument(const MAtom<unsigned char>& document, const ReleaseQuery& query, ReleaseFound& found)
{
    try
    {
        pugi::xml_document xml;
        if (!xml.load_buffer(document.GetData(), static_cast<size_t>(document.GetCount()), pugi::parse_default,
                             pugi::encoding_utf8))
            return false;

        // The edition is bound as a variable: no text of ours becomes XPath.
        pugi::xpath_variable_set variables;
        variables.set("edition", Utf8(query.productName).c_str());
        const pugi::xpath_query select("//Lumivane[@edition=$edition]", &variables);
        const pugi::xml_node release = xml.select_node(select).node();
        if (!release)
            return false;
        const pugi::xml_attribute version = release.attribute("version");
        if (!version)
            return false;
        const char* versionText = version.value();
        found.serverVersion = Utf8ToWideString(ShellMemory<char>(const_cast<char*>(versionText), std::strlen(versionText)));

        if (CompareReleaseVersions(found.serverVersion, query.localVersion) <= 0)
            return false;

        const pugi::xml_node changes = release.child("Changes").child(Utf8(query.changesLanguage).c_str());
        found.changes = changes ? NodeText(changes) : MString(L"");
        if (found.changes.IsEmpty())
            found.changes = query.defaultChanges;

        found.webPage = MString(L"");
        const pugi::xml_node page = release.child("Download").child("Visit_Website_URL");
        if (page)
        {
            found.webPage = NodeText(page);
            if (!found.webPage.IsEmpty() && !BeginsWithNoCase(found.webPage, L"http://") &&
                !BeginsWithNoCase(found.webPage, L"https://"))
                found.webPage = query.webPagePrefix + found.webPage;
        }
        return true;
    }
    catch (...)
    {
        return false;
    }
}

bool CheckReleaseDocument(const MString& address, const ReleaseQuery& query, ReleaseFound& found)
{
    try
    {
        MemoryPH<unsigned char> document;
        if (!HttpGetToMemory(AddCacheBuster(address), MString(L""), query.productName, document))
            return false;
        return ReadReleaseDocument(document, query, found);
    }
    catch (...)
    {
        return false;
    }
}
