// Whether every text of a dialog fits its control: each static text, check
// box, radio button, group box and button caption is measured in the
// control's own font with DrawTextW and DT_CALCRECT, as the control draws it,
// and compared with the room the control gives it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace UiTest
{
namespace TextFitDetail
{
// The space a check box or radio button takes before its text: the box and
// the gap after it.
inline LONG CheckRoom() { return GetSystemMetrics(SM_CXMENUCHECK) + 4; }
// A push button draws its caption inside its edge and focus frame.
constexpr LONG ButtonMarginX = 8, ButtonMarginY = 4;
// A group box's caption starts a little to the right of its corner.
constexpr LONG GroupIndent = 16;
// An owner-drawn link draws its text 2 pixels from its left edge.
constexpr LONG LinkIndent = 2;

inline std::wstring TextOf(HWND control)
{
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, &text[0], length + 1)));
    return text;
}

inline std::wstring ClassOf(HWND control)
{
    wchar_t name[64] = {};
    GetClassNameW(control, name, 64);
    return name;
}

// The text's extent in the control's font; with wrapWidth > 0 broken into
// lines of at most that width (a single word may still be wider).
inline SIZE Measure(HWND control, const std::wstring& text, UINT flags, LONG wrapWidth)
{
    HDC dc = GetDC(control);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ previous = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
    RECT r = {0, 0, wrapWidth, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              flags | DT_CALCRECT | DT_EXPANDTABS | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// The room a button's picture takes beside its caption: the caption stays
// centred in the button, so the picture and its gap count on both sides.
inline LONG ImageWidth(HWND button)
{
    if (HANDLE icon = reinterpret_cast<HANDLE>(SendMessageW(button, BM_GETIMAGE, IMAGE_ICON, 0)))
    {
        ICONINFO info = {};
        if (GetIconInfo(static_cast<HICON>(icon), &info))
        {
            BITMAP bitmap = {};
            GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
            if (info.hbmColor)
                DeleteObject(info.hbmColor);
            if (info.hbmMask)
                DeleteObject(info.hbmMask);
            return 2 * (bitmap.bmWidth + 4);
        }
    }
    if (HANDLE image = reinterpret_cast<HANDLE>(SendMessageW(button, BM_GETIMAGE, IMAGE_BITMAP, 0)))
    {
        BITMAP bitmap = {};
        GetObjectW(image, sizeof(bitmap), &bitmap);
        return 2 * (bitmap.bmWidth + 4);
    }
    return 0;
}

// What the control's text needs and what the control gives it; false for a
// control whose text is not measured here (edits, lists, pictures, empty).
inline bool NeedAndRoom(HWND control, SIZE& need, SIZE& room)
{
    const std::wstring text = TextOf(control);
    if (text.empty())
        return false;
    RECT client = {};
    GetClientRect(control, &client);
    room = SIZE{client.right, client.bottom};
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const std::wstring kind = ClassOf(control);
    if (lstrcmpiW(kind.c_str(), L"Static") == 0)
    {
        const LONG type = style & SS_TYPEMASK;
        const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT)
            need = Measure(control, text, prefix, room.cx > 0 ? room.cx : 1);
        else if (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP)
            need = Measure(control, text, prefix, 0);
        else
            return false;
        return true;
    }
    if (lstrcmpiW(kind.c_str(), L"Button") != 0)
        return false;
    const LONG type = style & BS_TYPEMASK;
    const bool multiline = (style & BS_MULTILINE) != 0;
    switch (type)
    {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        need = Measure(control, text, 0, multiline ? room.cx - CheckRoom() : 0);
        need.cx += CheckRoom();
        return true;
    case BS_GROUPBOX:
        need = Measure(control, text, 0, 0);
        need.cx += GroupIndent;
        return true;
    case BS_OWNERDRAW:
        need = Measure(control, text, 0, 0);
        need.cx += LinkIndent;
        return true;
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        need = Measure(control, text, 0, multiline ? room.cx - ButtonMarginX : 0);
        need.cx += ButtonMarginX + ImageWidth(control);
        need.cy += ButtonMarginY;
        return true;
    default:
        return false;
    }
}
} // namespace TextFitDetail

// One line for each control of the dialog (children of children included)
// whose text does not fit: its id, its text, what it needs and what it has.
inline std::vector<std::wstring> CutTexts(HWND dialog)
{
    std::vector<std::wstring> cut;
    auto visit = [&](HWND control) {
        SIZE need = {}, room = {};
        if (!TextFitDetail::NeedAndRoom(control, need, room))
            return;
        if (need.cx <= room.cx && need.cy <= room.cy)
            return;
        const std::wstring text = TextFitDetail::TextOf(control);
        const SIZE oneLine = TextFitDetail::Measure(control, text, 0, 0);
        cut.push_back(L"control " + std::to_wstring(GetDlgCtrlID(control)) + L" \"" + text + L"\" needs " +
                      std::to_wstring(need.cx) + L" x " + std::to_wstring(need.cy) + L", has " +
                      std::to_wstring(room.cx) + L" x " + std::to_wstring(room.cy) + L" (on one line " +
                      std::to_wstring(oneLine.cx) + L" x " + std::to_wstring(oneLine.cy) + L")");
    };
    struct Visitor
    {
        decltype(visit)* call;
    } visitor{&visit};
    EnumChildWindows(
        dialog,
        [](HWND control, LPARAM data) -> BOOL {
            (*reinterpret_cast<Visitor*>(data)->call)(control);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&visitor));
    return cut;
}

// The lines of CutTexts as one text, for a test's failure message.
inline std::wstring JoinLines(const std::vector<std::wstring>& lines)
{
    std::wstring joined;
    for (const std::wstring& line : lines)
        joined += line + L"\n";
    return joined;
}
} // namespace UiTest
