// The two property texts of an online slide: the slide properties (title,
// description, categories, frame styles, link and credits) and the content
// properties that the slide-properties window lists. Both are name=value
// items joined by one fixed separator.
#pragma once

#include "foundation/Containers.h"
#include "foundation/StringEx.h"

extern const wchar_t PropertyItemSeparator[];

// Frame styles of "border_window" and "border_picture".
constexpr int FrameStyleUser = -1;
constexpr int FrameStyleNone = 0;
constexpr int FrameStyleBorder = 1;
constexpr int FrameStyleFrame = 2;

struct SlideProperties
{
    MStringEx<wchar_t> id;
    MStringEx<wchar_t> title;
    MStringEx<wchar_t> description;
    MStringEx<wchar_t> categories;
    int windowFrame = FrameStyleNone;
    int pictureFrame = FrameStyleNone;
    MStringEx<wchar_t> link;
    MStringEx<wchar_t> creator;
    MStringEx<wchar_t> editor;
    MStringEx<wchar_t> approver;
    // Built from the three credits when the creator is not empty.
    MStringEx<wchar_t> credits;
};

// The items of text, in order (empty pieces left out; a text without any
// separator is one item).
MList<MStringEx<wchar_t>> SplitPropertyItems(const MStringEx<wchar_t>& text);

// Updates the fields named by the items of text (names without regard to
// case; later items win); fields without an item keep their values.
void ParseSlideProperties(const MStringEx<wchar_t>& text, SlideProperties& properties);

// One row of the slide-properties window.
struct ContentPropertyRow
{
    MStringEx<wchar_t> label;
    bool flag = false;
    MStringEx<wchar_t> value;
};

// The five texts of the current slide's record behind the fixed rows.
struct ContentPropertyTexts
{
    MStringEx<wchar_t> first;
    MStringEx<wchar_t> second;
    MStringEx<wchar_t> third;
    // "omitted" and "disabled" (without case) are shown as words of their own.
    MStringEx<wchar_t> fourth;
    // The last row is left out when this is empty.
    MStringEx<wchar_t> last;
};

// rows := the fixed rows, one row per name=flag=value item of text, and the
// last fixed row. text is a slide's properties text: the items that name a
// slide property (title, description, id, ...) are the slide's own, shown
// in the fixed rows or not at all, and give no row of their own.
void ParseContentProperties(const ContentPropertyTexts& slide, const MStringEx<wchar_t>& text,
                            MList<ContentPropertyRow>& rows);
// Whether name (without regard to case) is one of the slide properties
// that ParseSlideProperties reads.
bool IsSlidePropertyName(const MStringEx<wchar_t>& name);
// The row of one name=flag=value item.
ContentPropertyRow ParseContentPropertyItem(const MStringEx<wchar_t>& item);
