#include "viewers/PropertiesPage.h"

#include "foundation/ComPtr.h"
#include "foundation/Registry.h"
#include "foundation/SystemUtilities.h"
#include "resources/languages/LanguageIds.h"
#include "server/ServerPages.h"
#include "viewers/PageTitleCommands.h"

#include <exdisp.h>
#include <ocidl.h>

#include <cstring>
#include <cwctype>
#include <ctime>

const wchar_t SlidePropertiesWindowValueName[] = L"Slide Properties Window";

namespace
{
const wchar_t OddRowClass[] = L"css_color_odd_row css_row_data_odd";
const wchar_t EvenRowClass[] = L"css_color_even_row css_row_data_even";

bool IsPlainScriptCharacter(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
           (c != 0 && std::wcschr(L" :/.-_?=#%+,~@!$*;", c) != nullptr);
}

// Declares get_request_id() (the time in milliseconds and the digits of four
// random numbers) and local_open_link(), which sends the link command
// through the title. Written without "<" and "&" so that it stays
// well-formed XHTML.
MString PageScript()
{
    return MString(sX::Format(),
                   L"<script type=\"text/javascript\">"
                   L"function get_request_id() { var id = String(new Date().getTime());"
                   L" for (var i = 0; 4 > i; ++i) { id += String(Math.random()).split('.')[1] || ''; }"
                   L" return id; }"
                   L" function local_open_link( url_link ) { document.title = '%s' + 'href=' + url_link +"
                   L" '\\x3C|>reqid=' + get_request_id(); return false; }"
                   L"</script>",
                   PageCommandPrefix(PageCommand::OpenLink));
}

MString LinkCell(const Content_propetrty& property, const PropertiesPageTexts& texts)
{
    return MString(sX::Format(),
                   L"<span class=\"css_span_like_link\" onclick=\"javascript:local_open_link('%s');\" "
                   L"title=\"%s\">%s</span>",
                   HtmlEscape(ScriptStringEscape(property.value)).GetText(), HtmlEscape(texts.linkTooltip).GetText(),
                   HtmlEscape(ShownLinkText(property.value)).GetText());
}

MString TextCell(const Content_propetrty& property)
{
    MString cell = HtmlEscape(property.value);
    cell.Replace(L"\n", L"<br />", true);
    return cell;
}
} // namespace

MString HtmlEscape(const MString& text)
{
    MString escaped(text);
    escaped.Replace(L"&", L"&amp;", true);
    escaped.Replace(L"<", L"&lt;", true);
    escaped.Replace(L">", L"&gt;", true);
    escaped.Replace(L"\"", L"&quot;", true);
    escaped.Replace(L"'", L"&apos;", true);
    return escaped;
}

MString ScriptStringEscape(const MString& text)
{
    MString escaped;
    for (unsigned __int64 i = 0; i < text.GetLength(); ++i)
    {
        const wchar_t c = text.GetText()[i];
        if (IsPlainScriptCharacter(c))
        {
            const wchar_t one[2] = {c, 0};
            escaped += one;
        }
        else
            escaped += MString(sX::Format(), L"\\u%04X", static_cast<unsigned>(c));
    }
    return escaped;
}

PropertiesPageTexts CurrentPropertiesPageTexts(const MString& windowTitle)
{
    PropertiesPageTexts texts;
    texts.windowTitle = windowTitle;
    texts.header = MString(ResId(IDS_SLIDE_PROPERTIES));
    texts.linkTooltip = MString(ResId(IDS_SLIDE_PROPERTIES_LINK_TIP));
    texts.styleSheet = GetServerPageUrl(PagePropertiesStyleSheet);
    texts.version = static_cast<unsigned __int64>(std::time(nullptr));
    texts.language = PRIMARYLANGID(UiLanguage) == LANG_BULGARIAN ? L"BG" : L"EN";
    return texts;
}

MString ShownLinkText(const MString& link)
{
    unsigned __int64 start = 0;
    for (const wchar_t* scheme : {L"https://", L"http://"})
        if (link.StartsWith(scheme, false))
        {
            start = std::wcslen(scheme);
            break;
        }
    const unsigned __int64 slash = link.FindChar(L'/', start, true);
    return slash == MString::npos ? link : link.Left(slash);
}

MString BuildPropertiesPage(const MList<Content_propetrty>& properties, const PropertiesPageTexts& texts)
{
    MString rows;
    const wchar_t* bodyClass = L"css_color_even_row";
    for (unsigned __int64 i = 0; i < properties.GetCount(); ++i)
    {
        const Content_propetrty& property = *properties.GetAt(i);
        const bool odd = i % 2 == 0;
        bodyClass = odd ? L"css_color_odd_row" : L"css_color_even_row";
        const MString cell = property.flag ? LinkCell(property, texts) : TextCell(property);
        rows += MString(sX::Format(),
                        L"<tr class=\"%s\"><td class=\"css_cell_data_head\">%s:</td>"
                        L"<td class=\"css_cell_data_content\">%s</td></tr>\n",
                        odd ? OddRowClass : EvenRowClass, HtmlEscape(property.label).GetText(), cell.GetText());
    }

    MString page(sX::Format(),
                 L"<!DOCTYPE html><html lang=\"%s\" xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>%s</title>"
                 L"<link href=\"%s?v=%I64u\" rel=\"stylesheet\" type=\"text/css\" />",
                 HtmlEscape(texts.language).GetText(), HtmlEscape(texts.windowTitle).GetText(),
                 HtmlEscape(texts.styleSheet).GetText(), texts.version);
    page += PageScript();
    page += MString(sX::Format(),
                    L"</head><body class=\"%s css_body\" oncontextmenu=\"return false\" onmousedown=\"return false\" "
                    L"onselectstart=\"return false\" oncopy=\"return false\" oncut=\"return false\">",
                    bodyClass);
    page += MString(sX::Format(),
                    L"\t<table class=\"css_table\"><tr><td colspan=\"2\" class=\"css_cell_header\">%s</td></tr>",
                    HtmlEscape(texts.header).GetText());
    page += rows;
    page += L"</table></body></html>";
    return page;
}

void ReadSlidePropertiesWindowSize(DWORD& width, DWORD& height)
{
    width = DefaultPropertiesWindowWidth;
    height = DefaultPropertiesWindowHeight;
    RegistryKey key;
    if (!key.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_ALL_ACCESS))
        return;
    DWORD size[2] = {};
    if (ReadFixedValue(key, SlidePropertiesWindowValueName, REG_BINARY, size, sizeof(size)) != RegistryRead::Ok)
    {
        key.Delete(SlidePropertiesWindowValueName);
        return;
    }
    width = size[0];
    height = size[1];
}

void SaveSlidePropertiesWindowSize(HWND window)
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    RECT client = {};
    if (!GetWindowPlacement(window, &placement) || placement.showCmd != SW_SHOWNORMAL || IsIconic(window) ||
        IsZoomed(window) || !GetClientRect(window, &client))
        return;
    const DWORD size[2] = {static_cast<DWORD>(client.right - client.left), static_cast<DWORD>(client.bottom - client.top)};
    WriteProductValue(SlidePropertiesWindowValueName, REG_BINARY, size, sizeof(size));
}

IStream* CreatePageStream(const MString& page)
{
    const SIZE_T bytes = static_cast<SIZE_T>(page.GetCount()) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes ? bytes : 1);
    if (!memory)
        return nullptr;
    void* data = GlobalLock(memory);
    if (!data)
    {
        GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(data, page.GetText(), bytes);
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream)))
    {
        GlobalFree(memory);
        return nullptr;
    }
    return stream;
}

bool LoadHtml(IWebBrowser2* browser, const MString& page)
{
    if (!browser)
        return false;
    ComPtr<IStream> stream(CreatePageStream(page));
    if (!stream)
        return false;
    BSTR blank = SysAllocString(L"about:blank");
    if (!blank)
        return false;
    VARIANT empty;
    VariantInit(&empty);
    const HRESULT navigated = browser->Navigate(blank, &empty, &empty, &empty, &empty);
    SysFreeString(blank);
    if (FAILED(navigated))
        return false;
    ComPtr<IDispatch> document;
    if (FAILED(browser->get_Document(&document)) || !document)
        return false;
    ComPtr<IPersistStreamInit> persist;
    if (FAILED(document->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist))) || !persist)
        return false;
    return SUCCEEDED(persist->InitNew()) && SUCCEEDED(persist->Load(stream.Get()));
}
