// Whether a control's font can show given texts: the glyph check that the
// operator tests share.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The texts (each followed by a space) that the control's current font
// (WM_GETFONT) has no glyph for; empty when it shows them all.
inline std::wstring MissingGlyphs(HWND control, const std::vector<std::wstring>& texts)
{
    std::wstring missing;
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    for (const std::wstring& text : texts)
    {
        std::vector<WORD> glyphs(text.size());
        const DWORD made = GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                                            GGI_MARK_NONEXISTING_GLYPHS);
        bool shown = made == text.size();
        for (WORD glyph : glyphs)
            shown = shown && glyph != 0xFFFF;
        if (!shown)
            missing += text + L" ";
    }
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return missing;
}
