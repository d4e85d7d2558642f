#include "foundation/ShellHelpers.h"

#include "foundation/Containers.h"
#include "foundation/SmartPtr.h"
#include "foundation/SystemUtilities.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstddef>
#include <cstring>

using MString = MStringEx<wchar_t>;

void CreateToolTip(HWND owner, HWND control, HWND& toolTip, const MString& text)
{
    toolTip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_BALLOON | TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, GetModuleHandleW(nullptr),
                              nullptr);
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text.GetText());
    SendMessageW(toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

bool ExplorerShowsHiddenFiles()
{
    DWORD hidden = 0;
    DWORD size = sizeof(hidden);
    return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
                        L"Hidden", RRF_RT_REG_DWORD, nullptr, &hidden, &size) == ERROR_SUCCESS &&
           hidden == 1;
}

namespace
{
bool ClassesKeyExists(const MString& subKey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, subKey.GetText(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
}

const wchar_t* ShellVerbName(ShellVerbCode verb)
{
    switch (verb)
    {
    case ShellVerbCode::Play:
        return L"play";
    case ShellVerbCode::Edit:
        return L"edit";
    case ShellVerbCode::Print:
        return L"print";
    case ShellVerbCode::Explore:
        return L"explore";
    case ShellVerbCode::Properties:
        return L"properties";
    default:
        return L"open";
    }
}

void QueryShellVerbs(const MString& extension, int kind, bool& open, bool& play, bool& edit, bool& explore,
                     bool& print)
{
    open = play = edit = explore = print = false;
    if (kind == VerbsForPicture || kind == VerbsForDocument)
    {
        open = edit = print = true;
        return;
    }
    if (kind == VerbsForMedia)
    {
        play = true;
        return;
    }
    if (extension.IsEmpty())
        return;

    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, (L"." + extension).GetText(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    MemoryPH<wchar_t> value(1000);
    DWORD size = 2000 - sizeof(wchar_t);
    const LSTATUS read =
        RegQueryValueExW(key, L"PerceivedType", nullptr, nullptr, reinterpret_cast<BYTE*>(value.GetData()), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS || size < sizeof(wchar_t))
        return;
    // The value need not end in a NUL; the spare unit makes sure the text does.
    value[size / sizeof(wchar_t)] = 0;
    const MString perceived(value.GetData());
    if (perceived.IsEmpty())
        return;

    const wchar_t* const format = L"SystemFileAssociations\\%s\\shell\\%s";
    open = ClassesKeyExists(MString(sX::Format(), format, perceived.GetText(), L"Open"));
    play = ClassesKeyExists(MString(sX::Format(), format, perceived.GetText(), L"Play"));
    edit = ClassesKeyExists(MString(sX::Format(), format, perceived.GetText(), L"Edit"));
    explore = ClassesKeyExists(MString(sX::Format(), format, perceived.GetText(), L"Explore"));
    print = ClassesKeyExists(MString(sX::Format(), format, perceived.GetText(), L"Print"));
}

void FillRoundedRect(Gdiplus::Graphics& graphics, const Gdiplus::Brush& brush, const Gdiplus::Rect& rect, int r)
{
    const int x = rect.X, y = rect.Y, w = rect.Width, h = rect.Height, d = 2 * r;
    Gdiplus::GraphicsPath path;
    path.AddLine(x + r, y, x + w - d, y);
    path.AddArc(x + w - d, y, d, d, 270.0f, 90.0f);
    path.AddLine(x + w, y + r, x + w, y + h - d);
    path.AddArc(x + w - d, y + h - d, d, d, 0.0f, 90.0f);
    path.AddLine(x + w - d, y + h, x + r, y + h);
    path.AddArc(x, y + h - d, d, d, 90.0f, 90.0f);
    path.AddLine(x, y + h - d, x, y + r);
    path.AddArc(x, y, d, d, 180.0f, 90.0f);
    path.CloseFigure();
    graphics.FillPath(&brush, &path);
}

void CreateFilledBitmap(const Gdiplus::Rect& rect, float dpiX, float dpiY, Gdiplus::ARGB colour,
                        Gdiplus::Bitmap*& bitmap, Gdiplus::Graphics*& graphics)
{
    delete graphics;
    graphics = nullptr;
    delete bitmap;
    bitmap = new Gdiplus::Bitmap(rect.Width, rect.Height, PixelFormat32bppARGB);
    if (bitmap->GetLastStatus() != Gdiplus::Ok)
    {
        delete bitmap;
        bitmap = nullptr;
        throw MSmartPtrError();
    }
    bitmap->SetResolution(dpiX, dpiY);
    graphics = new Gdiplus::Graphics(bitmap);
    if (graphics->GetLastStatus() != Gdiplus::Ok)
    {
        delete graphics;
        graphics = nullptr;
        throw MSmartPtrError();
    }
    graphics->SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics->SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    graphics->SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics->SetCompositingQuality(Gdiplus::CompositingQualityHighQuality);
    graphics->SetPageUnit(Gdiplus::UnitPixel);

    Gdiplus::SolidBrush clear(Gdiplus::Color(0, 0, 0, 0));
    graphics->FillRectangle(&clear, rect);

    // Six rings from the outside in, each more opaque, give the soft edge.
    const unsigned alpha = colour >> 24;
    for (int i = 0; i <= 5; ++i)
    {
        const double factor = i == 0 ? 1.5 : i + 1;
        const BYTE ringAlpha = static_cast<BYTE>(alpha * factor / 6);
        Gdiplus::SolidBrush brush(Gdiplus::Color((ringAlpha << 24) | (colour & 0x00FFFFFF)));
        FillRoundedRect(*graphics, brush,
                        Gdiplus::Rect(rect.X + i, rect.Y + i, rect.Width - 1 - 2 * i, rect.Height - 1 - 2 * i),
                        6 - i);
    }
}

namespace
{
// The head of WTSINFOEXW at level 1: the level word, then the level-1 record,
// aligned as the union that holds it.
struct SessionInfoLevel1
{
    ULONG sessionId;
    int sessionState;
    LONG sessionFlags;
};
struct SessionInfoHead
{
    DWORD level;
    alignas(8) SessionInfoLevel1 level1;
};
// The record as far as the flags: all of it that is read.
const DWORD sessionFlagsEnd = offsetof(SessionInfoHead, level1) + offsetof(SessionInfoLevel1, sessionFlags) +
                              sizeof(LONG);

using QuerySessionFunction = BOOL(WINAPI*)(HANDLE, DWORD, int, LPWSTR*, DWORD*);
using FreeMemoryFunction = void(WINAPI*)(PVOID);
}

int DecodeSessionFlags(const void* data, DWORD size)
{
    if (!data || size < sessionFlagsEnd)
        return 2;
    // Copied out rather than read in place: the bytes need not be aligned.
    const auto* bytes = static_cast<const unsigned char*>(data);
    DWORD level = 0;
    LONG flags = 0;
    std::memcpy(&level, bytes + offsetof(SessionInfoHead, level), sizeof(level));
    std::memcpy(&flags, bytes + sessionFlagsEnd - sizeof(LONG), sizeof(flags));
    if (level != 1)
        return 2;
    return flags == 0 ? 0 : flags == 1 ? 1 : 2;
}

int QuerySessionLockState()
{
    HMODULE library = LoadLibraryW(L"wtsapi32.dll");
    if (!library)
        return 2;
    int state = 2;
    auto query = reinterpret_cast<QuerySessionFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "WTSQuerySessionInformationW")));
    auto freeMemory =
        reinterpret_cast<FreeMemoryFunction>(reinterpret_cast<void*>(GetProcAddress(library, "WTSFreeMemory")));
    if (query && freeMemory)
    {
        const HANDLE currentServer = nullptr;
        const DWORD currentSession = static_cast<DWORD>(-1);
        const int sessionInfoEx = 25;
        LPWSTR buffer = nullptr;
        DWORD bytes = 0;
        if (query(currentServer, currentSession, sessionInfoEx, &buffer, &bytes) && buffer)
        {
            state = DecodeSessionFlags(buffer, bytes);
            freeMemory(buffer);
        }
    }
    FreeLibrary(library);
    return state;
}

MString GetProductVersion() { return MString(L"ProductVersion", static_cast<HMODULE>(nullptr)); }

MString GetDesktopFolderPath()
{
    MString path;
    wchar_t* known = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Desktop, KF_FLAG_CREATE, nullptr, &known)) && known)
        path = known;
    CoTaskMemFree(known);
    if (path.IsEmpty())
    {
        wchar_t folder[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY | CSIDL_FLAG_CREATE, nullptr, 0, folder)))
            path = folder;
    }
    return path.TrimRight(L'\\');
}

namespace
{
bool OnMonitor(POINT point) { return MonitorFromPoint(point, MONITOR_DEFAULTTONULL) != nullptr; }

bool WorkArea(POINT point, RECT& work)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONULL), &info))
        return false;
    work = info.rcWork;
    return true;
}
}

bool PlaceRectNearPoint(POINT first, POINT second, bool toLeft, RECT& r)
{
    const LONG d = toLeft ? -25 : 25;
    const LONG width = r.right - r.left, height = r.bottom - r.top;
    if (OnMonitor(first))
    {
        const POINT corner = {first.x + d - (toLeft ? width : 0), first.y};
        if (OnMonitor(corner))
        {
            OffsetRect(&r, corner.x - r.left, corner.y - r.top);
            RECT work;
            if (WorkArea(corner, work))
            {
                if (r.bottom > work.bottom)
                    OffsetRect(&r, 0, work.bottom - r.bottom);
                return true;
            }
        }
    }
    else if (OnMonitor(second))
    {
        const POINT corner = {second.x + d - (toLeft ? width : 0), second.y};
        if (OnMonitor(corner))
        {
            OffsetRect(&r, corner.x - r.left, corner.y - height - r.top);
            RECT work;
            if (WorkArea(corner, work))
            {
                if (r.top < work.top)
                    OffsetRect(&r, 0, work.top - r.top);
                return true;
            }
        }
    }
    return false;
}

MString GetImagePropertyItem(Gdiplus::Image& image, PROPID id)
{
    const UINT size = image.GetPropertyItemSize(id);
    if (size == 0)
        return MString();
    MemoryPH<unsigned char> buffer(size);
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.GetData());
    if (image.GetPropertyItem(id, size, item) != Gdiplus::Ok || !item->value)
        return MString();
    // The item's value lies inside the same buffer; its length is checked
    // against what is there before it is read.
    const auto* value = static_cast<const unsigned char*>(item->value);
    const unsigned char* end = buffer.GetData() + size;
    if (value < buffer.GetData() || value > end || item->length > static_cast<ULONG>(end - value))
        return MString();

    if (item->type == PropertyTagTypeByte)
    {
        if (item->length % 2 != 0)
            return MString();
        MemoryPH<wchar_t> units(item->length / 2);
        if (item->length)
            std::memcpy(units.GetData(), value, item->length);
        return MString(units, true).Trim();
    }
    if (item->type == PropertyTagTypeASCII)
    {
        unsigned __int64 length = 0;
        while (length < item->length && value[length] != 0)
            ++length;
        MemoryPH<unsigned char> utf8(length);
        if (length)
            std::memcpy(utf8.GetData(), value, static_cast<size_t>(length));
        return Utf8ToWideString(utf8).Trim();
    }
    return MString();
}

MString BuildLinkQuery(const MString& link)
{
    const unsigned __int64 question = link.FindChar(L'?', 0, true);
    if (question == MString::npos)
        return link;

    const MemoryPH<char> hex = BytesToHexText(ShellMemory<wchar_t>(const_cast<wchar_t*>(ProductName), wcslen(ProductName)));
    MString library(L"library=");
    for (unsigned __int64 i = 0; i < hex.GetCount(); ++i)
    {
        const wchar_t digit[2] = {static_cast<wchar_t>(hex[i]), 0};
        library += MString(digit);
    }
    const wchar_t* const language = (UiLanguage & 0x3FF) == LANG_BULGARIAN ? L"bg" : L"en";

    using Placeholder = Pair<MString, MString>;
    const MList<Placeholder> placeholders(
        new Placeholder(L"library=%s", library),
        new Placeholder(L"language=%s", MString(sX::Format(), L"language=%s", language)),
        new Placeholder(L"culture=%s", MString(sX::Format(), L"culture=%s", language)), nullptr);

    MString result(link);
    for (unsigned __int64 i = 0; i < placeholders.GetCount(); ++i)
    {
        const Placeholder& placeholder = *placeholders.GetAt(i);
        if (result.Find(placeholder.first, question + 1, true) != MString::npos)
            result.Replace(placeholder.first, placeholder.second, true);
    }
    return result;
}
