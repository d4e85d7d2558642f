// The operators of a text search line must show as themselves: each face of
// the gallery dialog's font ("Lucida Sans", else "Arial Unicode MS"), which
// its search lines give their operator combo, has a glyph for every one of
// them in a combo box that uses it.
#include "filter/tests/MissingGlyphs.h"
#include "foundation/WindowPlacement.h"

#include <gtest/gtest.h>

namespace
{
// The operator texts of a text property, in the combo's order.
const std::vector<std::wstring> OperatorTexts = {L"=",      L"\x2260", L"\x2261", L"\x2262",
                                                 L"\x2282", L"\x2284", L"\x2286", L"\x2288"};
} // namespace

TEST(OperatorGlyphs, TheOperatorComboFontHasEveryOperator)
{
    for (const wchar_t* face : {L"Lucida Sans", L"Arial Unicode MS"})
    {
        DialogFont font(DialogFont::Candidates(new Pair<MStringEx<wchar_t>, long>(face, -11), nullptr), FW_NORMAL);
        ASSERT_NE(font.GetFont(), nullptr) << face;
        HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_POPUP | CBS_DROPDOWNLIST, 0, 0, 60, 120, nullptr,
                                     nullptr, nullptr, nullptr);
        ASSERT_NE(combo, nullptr);
        font.Apply(combo);
        EXPECT_EQ(MissingGlyphs(combo, OperatorTexts), L"") << face << " lacks these operators";
        font.Restore();
        DestroyWindow(combo);
    }
}
