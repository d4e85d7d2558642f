#include "viewers/PropertiesPage.h"

#include "crypto/ProtectedTexts.h"
#include "foundation/Registry.h"
#include "foundation/StringResources.h"
#include "foundation/SystemUtilities.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <string>

namespace
{
std::wstring Text(const MString& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }

std::string Utf8(const std::wstring& text)
{
    const MStringEx<char> utf8 = WideToUtf8String(MString(text.c_str()));
    return std::string(utf8.GetText(), static_cast<size_t>(utf8.GetLength()));
}

// The text of a cell as the reader sees it: text nodes, and a line break
// for every <br />.
std::string CellText(const pugi::xml_node& cell)
{
    std::string text;
    for (const pugi::xml_node& child : cell.children())
    {
        if (child.type() == pugi::node_pcdata)
            text += child.value();
        else if (std::string(child.name()) == "br")
            text += "\n";
        else
            text += CellText(child);
    }
    return text;
}

// Undoes the \uXXXX escapes of a script string.
std::wstring Unescape(const std::wstring& text)
{
    std::wstring plain;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == L'\\' && i + 5 < text.size() && text[i + 1] == L'u')
        {
            plain += static_cast<wchar_t>(std::stoul(text.substr(i + 2, 4), nullptr, 16));
            i += 5;
        }
        else
            plain += text[i];
    }
    return plain;
}

Content_propetrty* Row(const wchar_t* label, bool isLink, const wchar_t* value)
{
    auto* row = new Content_propetrty;
    row->label = label;
    row->flag = isLink;
    row->value = value;
    return row;
}

PropertiesPageTexts SomeTexts()
{
    PropertiesPageTexts texts;
    texts.windowTitle = L"Slide properties - <Quillory> & \"co\"";
    texts.header = L"Slide properties";
    texts.linkTooltip = L"Open the link in your web browser";
    texts.styleSheet = L"http://127.0.0.1/wnd-properties.css";
    texts.version = 1765411200;
    texts.language = L"EN";
    return texts;
}

struct ParsedPage
{
    pugi::xml_document document;
    pugi::xml_parse_result result;
};

void Parse(const MString& page, ParsedPage& parsed)
{
    const std::string utf8 = Utf8(Text(page));
    parsed.result = parsed.document.load_buffer(utf8.data(), utf8.size(), pugi::parse_default, pugi::encoding_utf8);
}

const wchar_t ScriptBreakout[] = L"</td></tr></table><script>alert('x')</script>\nsecond line & \"quoted\"";
const wchar_t LinkBreakout[] = L"https://evil.example/x');alert(\"1\");//<a href='y'>&amp;\\";
} // namespace

TEST(PropertiesPage, HostileValuesStayTextInWellFormedXhtml)
{
    MList<Content_propetrty> rows;
    rows.Append(Row(L"<b>\"Name\"</b> & 'co'", false, ScriptBreakout));
    rows.Append(Row(L"Link", true, LinkBreakout));
    rows.Append(Row(L"Script link", true, L"javascript:alert(document.cookie)"));

    ParsedPage parsed;
    Parse(BuildPropertiesPage(rows, SomeTexts()), parsed);
    ASSERT_TRUE(parsed.result) << parsed.result.description() << " at " << parsed.result.offset;
    const pugi::xml_node html = parsed.document.child("html");
    ASSERT_TRUE(html);
    EXPECT_STREQ(html.attribute("xmlns").value(), "http://www.w3.org/1999/xhtml");
    EXPECT_STREQ(html.attribute("lang").value(), "EN");
    EXPECT_EQ(std::string(html.child("head").child("title").child_value()), Utf8(Text(SomeTexts().windowTitle)));
    EXPECT_STREQ(html.child("head").child("link").attribute("href").value(),
                 "http://127.0.0.1/wnd-properties.css?v=1765411200");
    // Nothing of the values became an element of its own.
    EXPECT_EQ(parsed.document.select_nodes("//script").size(), 1u);
    EXPECT_EQ(parsed.document.select_nodes("//table").size(), 1u);
    EXPECT_EQ(parsed.document.select_nodes("//a").size(), 0u);

    const pugi::xpath_node_set heads = parsed.document.select_nodes("//td[@class='css_cell_data_head']");
    ASSERT_EQ(heads.size(), 3u);
    EXPECT_EQ(CellText(heads[0].node()), Utf8(L"<b>\"Name\"</b> & 'co':"));
    const pugi::xpath_node_set cells = parsed.document.select_nodes("//td[@class='css_cell_data_content']");
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(CellText(cells[0].node()), Utf8(ScriptBreakout));

    // A link: the shown text is scheme and host, the script string holds the
    // whole address however it is quoted.
    const pugi::xml_node span = cells[1].node().child("span");
    ASSERT_TRUE(span);
    EXPECT_STREQ(span.child_value(), "https://evil.example");
    EXPECT_STREQ(span.attribute("title").value(), "Open the link in your web browser");
    const std::string onclick = span.attribute("onclick").value();
    const std::string start = "javascript:local_open_link('", end = "');";
    ASSERT_EQ(onclick.compare(0, start.size(), start), 0) << onclick;
    ASSERT_EQ(onclick.compare(onclick.size() - end.size(), end.size(), end), 0) << onclick;
    const std::string literal = onclick.substr(start.size(), onclick.size() - start.size() - end.size());
    EXPECT_EQ(literal.find_first_of("'\"<>&\\\n"), literal.find("\\u")) << "only escapes may carry a backslash";
    EXPECT_EQ(Unescape(std::wstring(literal.begin(), literal.end())), LinkBreakout);
    EXPECT_STREQ(cells[2].node().child("span").child_value(), "javascript:alert(document.cookie)");
}

TEST(PropertiesPage, RowsAlternateAndTheBodyTakesTheLastRowsColour)
{
    const struct
    {
        int rows;
        const char* bodyClass;
    } cases[] = {{0, "css_color_even_row css_body"}, {1, "css_color_odd_row css_body"},
                 {2, "css_color_even_row css_body"}, {3, "css_color_odd_row css_body"}};
    for (const auto& c : cases)
    {
        MList<Content_propetrty> rows;
        for (int i = 0; i < c.rows; ++i)
            rows.Append(Row(L"Name", false, L"Value"));
        ParsedPage parsed;
        Parse(BuildPropertiesPage(rows, SomeTexts()), parsed);
        ASSERT_TRUE(parsed.result) << parsed.result.description();
        EXPECT_STREQ(parsed.document.child("html").child("body").attribute("class").value(), c.bodyClass);
        const pugi::xpath_node_set trs = parsed.document.select_nodes("//table/tr[position() > 1]");
        ASSERT_EQ(trs.size(), static_cast<size_t>(c.rows));
        for (size_t i = 0; i < trs.size(); ++i)
            EXPECT_STREQ(trs[i].node().attribute("class").value(),
                         i % 2 == 0 ? "css_color_odd_row css_row_data_odd" : "css_color_even_row css_row_data_even");
    }
}

TEST(PropertiesPage, TheScriptSendsTheLinkCommandThroughTheTitle)
{
    MList<Content_propetrty> rows;
    ParsedPage parsed;
    Parse(BuildPropertiesPage(rows, SomeTexts()), parsed);
    ASSERT_TRUE(parsed.result);
    const std::string script = parsed.document.child("html").child("head").child("script").child_value();
    EXPECT_NE(script.find("document.title = 'LV::Open-Link-{85FEE7EC-DA63-49C9-A2E3-7C0FE61017F4}**' + 'href=' + "
                          "url_link + '\\x3C|>reqid=' + get_request_id()"),
              std::string::npos)
        << script;
    EXPECT_NE(script.find("function get_request_id()"), std::string::npos);
}

TEST(PropertiesPage, ShownLinkText)
{
    const struct
    {
        const wchar_t* link;
        const wchar_t* shown;
    } cases[] = {
        {L"https://gallery.example/works/17?x=1", L"https://gallery.example"},
        {L"HTTP://gallery.example/", L"HTTP://gallery.example"},
        {L"https://gallery.example", L"https://gallery.example"},
        {L"gallery.example/works", L"gallery.example"},
        {L"ftp://host/x", L"ftp:"},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Text(ShownLinkText(c.link)), c.shown) << c.link;
}

TEST(PropertiesPage, TheTextsOfTheRunningProgram)
{
    HMODULE module = LoadLibraryExW(L"Resources EN US.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    const HMODULE previousModule = LanguageModule;
    const LANGID previousLanguage = UiLanguage;
    LanguageModule = module;

    UiLanguage = 1026;
    PropertiesPageTexts texts = CurrentPropertiesPageTexts(L"Title");
    EXPECT_EQ(Text(texts.language), L"BG");
    EXPECT_EQ(Text(texts.styleSheet), std::wstring(StoredServerBaseAddress().GetText()) + L"/wnd-properties.css");
    EXPECT_EQ(Text(texts.header), L"Slide properties");
    EXPECT_FALSE(texts.linkTooltip.IsEmpty());
    EXPECT_GT(texts.version, 1700000000u);
    UiLanguage = 1033;
    EXPECT_EQ(Text(CurrentPropertiesPageTexts(L"Title").language), L"EN");

    UiLanguage = previousLanguage;
    LanguageModule = previousModule;
    FreeLibrary(module);
}

TEST(PropertiesPage, TheWindowSizeIsRememberedOnlyInTheNormalState)
{
    // A value of the wrong size is deleted; the default is used.
    const BYTE seven[7] = {1, 2, 3, 4, 5, 6, 7};
    ASSERT_TRUE(WriteProductValue(SlidePropertiesWindowValueName, REG_BINARY, seven, sizeof(seven)));
    DWORD width = 0, height = 0;
    ReadSlidePropertiesWindowSize(width, height);
    EXPECT_EQ(width, 1280u);
    EXPECT_EQ(height, 720u);
    DWORD stored[2] = {};
    EXPECT_EQ(ReadProductValue(SlidePropertiesWindowValueName, REG_BINARY, stored, sizeof(stored)),
              RegistryRead::Missing);

    HWND window = CreateWindowExW(0, L"STATIC", L"properties", WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU |
                                                                   WS_MAXIMIZEBOX,
                                  40, 40, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    RECT client = {};
    GetClientRect(window, &client);
    SaveSlidePropertiesWindowSize(window);
    ReadSlidePropertiesWindowSize(width, height);
    EXPECT_EQ(width, static_cast<DWORD>(client.right));
    EXPECT_EQ(height, static_cast<DWORD>(client.bottom));

    // Closing while maximised keeps the size stored before.
    ShowWindow(window, SW_MAXIMIZE);
    SaveSlidePropertiesWindowSize(window);
    ReadSlidePropertiesWindowSize(width, height);
    EXPECT_EQ(width, static_cast<DWORD>(client.right));
    EXPECT_EQ(height, static_cast<DWORD>(client.bottom));
    DestroyWindow(window);
    DeleteProductValue(SlidePropertiesWindowValueName);
}

TEST(PropertiesPage, ThePageReachesTheBrowserAsUtf16WithItsNul)
{
    const MString page = L"<html><body>Nocturne \u2116 3 &amp; \u00e9</body></html>";
    IStream* stream = CreatePageStream(page);
    ASSERT_NE(stream, nullptr);
    STATSTG status = {};
    ASSERT_EQ(stream->Stat(&status, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(status.cbSize.QuadPart, (page.GetLength() + 1) * sizeof(wchar_t));
    std::wstring read(static_cast<size_t>(page.GetLength() + 1), L'?');
    ULONG got = 0;
    ASSERT_EQ(stream->Read(&read[0], static_cast<ULONG>(read.size() * sizeof(wchar_t)), &got), S_OK);
    EXPECT_EQ(got, status.cbSize.QuadPart);
    EXPECT_EQ(read, Text(page) + L'\0');
    stream->Release();
    EXPECT_FALSE(LoadHtml(nullptr, page));
}
