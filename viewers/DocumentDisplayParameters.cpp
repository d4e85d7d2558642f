#include "viewers/DocumentDisplayParameters.h"

#include "foundation/FolderPath.h"
#include "foundation/Handle.h"
#include "foundation/StringResources.h"
#include "foundation/SystemUtilities.h"
#include "resources/languages/LanguageIds.h"

#include <cwchar>
#include <cwctype>

namespace
{
const wchar_t OpeningMarker[] = L"Document_display_parameters{33EE5728-9540-47D4-B6B6-606B790E7CD2}";
const wchar_t ClosingMarker[] = L"Document_display_parameters{00199933-6F84-48C8-91F7-1CBF3DDFFDFB}";
const wchar_t TitleName[] = L"Document_Title";

struct Flag
{
    const wchar_t* name;
    DWORD value;
};
const Flag StyleFlags[] = {{L"WS_MAXIMIZEBOX", 0x10000}, {L"WS_THICKFRAME", 0x40000}, {L"WS_SYSMENU", 0x80000},
                           {L"WS_DLGFRAME", 0x400000},   {L"WS_BORDER", 0x800000},     {L"WS_CAPTION", 0xC00000},
                           {L"WS_MAXIMIZE", 0x1000000}};
const Flag ExStyleFlags[] = {{L"WS_EX_APPWINDOW", 0x40000}, {L"WS_EX_STATICEDGE", 0x20000},
                             {L"WS_EX_CLIENTEDGE", 0x200},  {L"WS_EX_WINDOWEDGE", 0x100},
                             {L"WS_EX_TOOLWINDOW", 0x80},   {L"WS_EX_DLGMODALFRAME", 0x1}};

// The parameters in the order names are compared.
enum Parameter
{
    Title,
    Style,
    ExStyle,
    Resizable,
    ConstantAspect,
    OpeningWidth,
    OpeningHeight,
    MinimalWidth,
    MinimalHeight,
    MaximalWidth,
    MaximalHeight,
    ParameterCount
};
const wchar_t* const ParameterNames[ParameterCount] = {
    L"Document_Title",           L"Window_Style",
    L"Window_ExStyle",           L"Border_Resizable",
    L"Window_Constant_Aspect_Ratio", L"Window_Opening_Inner_Width",
    L"Window_Opening_Inner_Height",  L"Window_Minimal_Inner_Width",
    L"Window_Minimal_Inner_Height",  L"Window_Maximal_Inner_Width",
    L"Window_Maximal_Inner_Height"};

bool AsciiEqualNoCase(const MString& a, const wchar_t* b)
{
    const size_t length = wcslen(b);
    if (a.GetLength() != length)
        return false;
    for (size_t i = 0; i < length; ++i)
    {
        wchar_t x = a[i], y = b[i];
        if (x >= L'a' && x <= L'z')
            x = static_cast<wchar_t>(x - 32);
        if (y >= L'a' && y <= L'z')
            y = static_cast<wchar_t>(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

MString FromRange(const wchar_t* text, size_t length)
{
    MString result{ElementCount(length)};
    for (size_t i = 0; i < length; ++i)
        result[i] = text[i];
    return result;
}

DWORD Flags(const MString& value, const Flag* table, size_t count)
{
    DWORD flags = 0;
    for (MString piece : SplitAtSeparator(value, MString(L"|")))
    {
        piece.Trim();
        for (size_t i = 0; i < count; ++i)
            if (wcscmp(piece.GetText(), table[i].name) == 0)
                flags |= table[i].value;
    }
    return flags;
}

// Digits with an optional leading '+'; not '+' alone.
bool ReadSize(const MString& value, DWORD& size)
{
    const wchar_t* text = value.GetText();
    size_t at = text[0] == L'+' ? 1 : 0;
    if (text[at] == 0)
        return false;
    for (size_t i = at; text[i]; ++i)
        if (text[i] < L'0' || text[i] > L'9')
            return false;
    size = static_cast<DWORD>(wcstol(text, nullptr, 10));
    return true;
}
}

MString ReadUtf8TextFile(const MString& path)
{
    MHandle file(CreateFileW(path.GetText(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    const auto unreadable = [&] {
        const DWORD error = GetLastError();
        return DocumentReadError(
            MString(sX::Format(), IDS_DOCUMENT_UNREADABLE, path.GetText(), FormatSystemError(error).GetText()));
    };
    if (!file.IsValid())
        throw unreadable();
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size))
        throw unreadable();
    if (static_cast<unsigned __int64>(size.QuadPart) > MaxDocumentFileBytes)
        throw DocumentReadError(MString(sX::Format(), IDS_DOCUMENT_TOO_LARGE, path.GetText(),
                                        MString(ResId(IDS_PRODUCT_NAME)).GetText(),
                                        MString(true, MaxDocumentFileBytes).GetText()));
    std::vector<char> bytes(static_cast<size_t>(size.QuadPart) + 1, 0);
    DWORD read = 0;
    if (size.QuadPart && !ReadFile(file, bytes.data(), static_cast<DWORD>(size.QuadPart), &read, nullptr))
        throw unreadable();
    bytes[read] = 0;
    if (read == 0)
        return MString();
    const int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(read), nullptr, 0);
    MString text{ElementCount(static_cast<unsigned __int64>(units > 0 ? units : 0))};
    if (units > 0)
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(read), text.GetData(), units);
    return text;
}

std::vector<MString> ExtractDisplayParameters(const MString& text)
{
    const wchar_t* opening = wcsstr(text.GetText(), OpeningMarker);
    if (!opening)
        return {};
    const wchar_t* start = opening + wcslen(OpeningMarker);
    const wchar_t* closing = wcsstr(start, ClosingMarker);
    if (!closing)
        return {};
    return SplitAtSeparator(FromRange(start, static_cast<size_t>(closing - start)), MString(L"\n"));
}

MString NormalizeDisplayParameterLine(const MString& line)
{
    MString trimmed = line;
    trimmed.Trim();
    const size_t length = static_cast<size_t>(trimmed.GetLength());
    std::wstring value;
    for (size_t i = 0; i < length; ++i)
    {
        if (trimmed[i] == L';')
        {
            if (i + 1 < length && trimmed[i + 1] == L';')
            {
                value += L';';
                ++i;
                continue;
            }
            break;
        }
        value += trimmed[i];
    }
    MString result(value.c_str());
    result.Trim();
    return result;
}

MString DocumentTitleParameter(const std::vector<MString>& lines)
{
    for (const MString& line : lines)
    {
        if (!line.StartsWith(MString(TitleName), false))
            continue;
        const MString normalised = NormalizeDisplayParameterLine(line);
        const unsigned __int64 equals = normalised.FindChar(L'=', 0, true);
        if (equals == MString::npos)
            return MString();
        MString value = normalised.Mid(equals + 1);
        value.Trim();
        return value;
    }
    return MString();
}

DocumentDisplayParameters ApplyDisplayParameters(const std::vector<MString>& lines, DocumentViewMode mode,
                                                 const MString& callerTitle, DWORD maxTrackWidth,
                                                 DWORD maxTrackHeight)
{
    DocumentDisplayParameters parameters;
    parameters.title = callerTitle;
    bool seen[ParameterCount] = {};
    for (const MString& line : lines)
    {
        const MString normalised = NormalizeDisplayParameterLine(line);
        const unsigned __int64 equals = normalised.FindChar(L'=', 0, true);
        if (equals == MString::npos)
            continue;
        MString name = normalised.Left(equals);
        name.Trim();
        MString value = normalised.Mid(equals + 1);
        value.Trim();
        if (name.IsEmpty())
            continue;
        int parameter = -1;
        for (int i = 0; i < ParameterCount; ++i)
            if (!seen[i] && AsciiEqualNoCase(name, ParameterNames[i]))
            {
                parameter = i;
                break;
            }
        if (parameter < 0)
            continue;
        seen[parameter] = true;
        switch (parameter)
        {
        case Title:
            if (mode == DocumentViewMode::OwnTitle && !value.IsEmpty())
                parameters.title =
                    MString(sX::Format(), L"%s - %s", value.GetText(), MString(ResId(IDS_PRODUCT_CAPTION)).GetText());
            break;
        case Style:
            parameters.windowStyleValid = true;
            parameters.windowStyle = Flags(value, StyleFlags, sizeof(StyleFlags) / sizeof(StyleFlags[0]));
            break;
        case ExStyle:
            parameters.windowExStyleValid = true;
            parameters.windowExStyle = Flags(value, ExStyleFlags, sizeof(ExStyleFlags) / sizeof(ExStyleFlags[0]));
            break;
        case Resizable:
        case ConstantAspect:
        {
            bool& flag = parameter == Resizable ? parameters.resizable : parameters.constantAspect;
            if (AsciiEqualNoCase(value, L"true") || AsciiEqualNoCase(value, L"yes"))
                flag = true;
            else if (AsciiEqualNoCase(value, L"false") || AsciiEqualNoCase(value, L"no"))
                flag = false;
            break;
        }
        case OpeningWidth:
            ReadSize(value, parameters.openingWidth);
            break;
        case OpeningHeight:
            ReadSize(value, parameters.openingHeight);
            break;
        case MinimalWidth:
            ReadSize(value, parameters.minimalWidth);
            break;
        case MinimalHeight:
            ReadSize(value, parameters.minimalHeight);
            break;
        case MaximalWidth:
            ReadSize(value, parameters.maximalWidth);
            break;
        case MaximalHeight:
            ReadSize(value, parameters.maximalHeight);
            break;
        }
    }

    if (mode == DocumentViewMode::SlideTitle)
    {
        const MString caption(ResId(IDS_PRODUCT_CAPTION));
        parameters.title = callerTitle.IsEmpty()
                               ? caption
                               : MString(sX::Format(), L"%s - %s", callerTitle.GetText(), caption.GetText());
    }

    const bool beyondTrack = parameters.maximalWidth > maxTrackWidth || parameters.maximalHeight > maxTrackHeight;
    // The scale follows the opening size; without one (width or height 0)
    // there is nothing to scale by, and the viewer's own check of the sizes
    // replaces them by its defaults.
    if (parameters.maximalWidth && parameters.maximalHeight && beyondTrack && parameters.openingWidth &&
        parameters.openingHeight && maxTrackWidth && maxTrackHeight)
    {
        const double a = static_cast<double>(parameters.openingWidth) / maxTrackWidth;
        const double b = static_cast<double>(parameters.openingHeight) / maxTrackHeight;
        if (a > b)
        {
            parameters.maximalWidth = maxTrackWidth;
            parameters.maximalHeight = parameters.openingHeight * maxTrackWidth / parameters.openingWidth;
        }
        else
        {
            parameters.maximalHeight = maxTrackHeight;
            parameters.maximalWidth = parameters.openingWidth * maxTrackHeight / parameters.openingHeight;
        }
    }
    return parameters;
}
