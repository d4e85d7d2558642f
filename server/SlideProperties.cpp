#include "server/SlideProperties.h"

#include "resources/languages/LanguageIds.h"
#include "foundation/StringOperations.h"

const wchar_t PropertyItemSeparator[] = L"|KVP-separator:{254A6755-B4FC-47B4-AE04-E383B8AC4DB3}|";

namespace
{
// Whole names, ASCII letters without regard to case.
bool NameIs(const MStringEx<wchar_t>& name, const wchar_t* wanted)
{
    const unsigned __int64 length = name.GetLength();
    for (unsigned __int64 i = 0; i < length; ++i)
    {
        wchar_t a = name.GetText()[i], b = wanted[i];
        if (b == 0)
            return false;
        if (a >= L'A' && a <= L'Z')
            a = static_cast<wchar_t>(a - L'A' + L'a');
        if (b >= L'A' && b <= L'Z')
            b = static_cast<wchar_t>(b - L'A' + L'a');
        if (a != b)
            return false;
    }
    return wanted[length] == 0;
}

void ApplyFrameStyle(const MStringEx<wchar_t>& value, int& style)
{
    if (NameIs(value, L"none"))
        style = FrameStyleNone;
    else if (NameIs(value, L"border"))
        style = FrameStyleBorder;
    else if (NameIs(value, L"frame"))
        style = FrameStyleFrame;
    else if (NameIs(value, L"user"))
        style = FrameStyleUser;
}

void ReplaceUnlessDash(const MStringEx<wchar_t>& value, MStringEx<wchar_t>& target)
{
    if (!(value.GetLength() == 1 && value.GetText()[0] == L'-'))
        target = value;
}

bool IsTrueWord(const MStringEx<wchar_t>& text)
{
    return NameIs(text, L"true") || NameIs(text, L"yes") || NameIs(text, L"on") || NameIs(text, L"1");
}

MStringEx<wchar_t> OrEmptyText(const MStringEx<wchar_t>& text)
{
    return text.IsEmpty() ? MStringEx<wchar_t>(ResId(IDS_CONTENT_VALUE_EMPTY)) : text;
}

ContentPropertyRow FixedRow(unsigned label, const MStringEx<wchar_t>& value)
{
    ContentPropertyRow row;
    row.label = MStringEx<wchar_t>(ResId(label));
    row.value = value;
    return row;
}
} // namespace

MList<MStringEx<wchar_t>> SplitPropertyItems(const MStringEx<wchar_t>& text)
{
    MList<MStringEx<wchar_t>> items;
    const MStringEx<wchar_t> separator(PropertyItemSeparator);
    const unsigned __int64 length = text.GetLength(), step = separator.GetLength();
    unsigned __int64 start = 0;
    while (start <= length)
    {
        unsigned __int64 at = text.Find(separator, start, true);
        if (at == static_cast<unsigned __int64>(-1) || at > length)
            at = length;
        if (at > start)
            items.Append(new MStringEx<wchar_t>(text.Mid(start, at - start)));
        start = at + step;
        if (at == length)
            break;
    }
    return items;
}

void ParseSlideProperties(const MStringEx<wchar_t>& text, SlideProperties& properties)
{
    const MList<MStringEx<wchar_t>> items = SplitPropertyItems(text);
    for (unsigned __int64 i = 0; i < items.GetCount(); ++i)
    {
        const MStringEx<wchar_t>& item = *items.GetAt(i);
        const unsigned __int64 equals = item.FindChar(L'=', 0, true);
        if (equals == static_cast<unsigned __int64>(-1))
            continue; // empty name and value: nothing to apply
        const MStringEx<wchar_t> name = item.Left(equals), value = item.Mid(equals + 1);
        if (NameIs(name, L"id"))
            properties.id = value;
        else if (NameIs(name, L"title"))
            ReplaceUnlessDash(value, properties.title);
        else if (NameIs(name, L"description"))
            ReplaceUnlessDash(value, properties.description);
        else if (NameIs(name, L"categories"))
            ReplaceUnlessDash(value, properties.categories);
        else if (NameIs(name, L"border_window"))
            ApplyFrameStyle(value, properties.windowFrame);
        else if (NameIs(name, L"border_picture"))
            ApplyFrameStyle(value, properties.pictureFrame);
        else if (NameIs(name, L"associated_url"))
            properties.link = value;
        else if (NameIs(name, L"creator"))
            properties.creator = value;
        else if (NameIs(name, L"editor"))
            properties.editor = value;
        else if (NameIs(name, L"approver"))
            properties.approver = value;
    }
    if (!properties.creator.IsEmpty())
        properties.credits = MStringEx<wchar_t>(sX::Format(), IDS_SLIDE_CREDITS, properties.creator.GetText(),
                                                properties.editor.GetText(), properties.approver.GetText());
}

bool IsSlidePropertyName(const MStringEx<wchar_t>& name)
{
    static const wchar_t* const names[] = {L"id",         L"title",         L"description",    L"categories",
                                           L"border_window", L"border_picture", L"associated_url", L"creator",
                                           L"editor",     L"approver"};
    for (const wchar_t* known : names)
        if (NameIs(name, known))
            return true;
    return false;
}

ContentPropertyRow ParseContentPropertyItem(const MStringEx<wchar_t>& item)
{
    ContentPropertyRow row;
    const unsigned __int64 none = static_cast<unsigned __int64>(-1);
    const unsigned __int64 first = item.FindChar(L'=', 0, true);
    const unsigned __int64 second = first == none ? none : item.FindChar(L'=', first + 1, true);
    if (second == none)
    {
        // Fewer than two '=': the name and flag as far as they go, no value.
        row.label = first == none ? item : item.Left(first);
        row.flag = first != none && IsTrueWord(item.Mid(first + 1));
        return row;
    }
    row.label = item.Left(first);
    row.flag = IsTrueWord(item.Mid(first + 1, second - first - 1));
    row.value = item.Mid(second + 1);
    return row;
}

void ParseContentProperties(const ContentPropertyTexts& slide, const MStringEx<wchar_t>& text,
                            MList<ContentPropertyRow>& rows)
{
    rows.Clear();
    rows.Append(new ContentPropertyRow(FixedRow(IDS_CONTENT_ROW_FIRST, OrEmptyText(slide.first))));
    rows.Append(new ContentPropertyRow(FixedRow(IDS_CONTENT_ROW_SECOND, OrEmptyText(slide.second))));
    rows.Append(new ContentPropertyRow(FixedRow(IDS_CONTENT_ROW_THIRD, OrEmptyText(slide.third))));
    MStringEx<wchar_t> fourth = OrEmptyText(slide.fourth);
    if (NameIs(slide.fourth, L"omitted"))
        fourth = MStringEx<wchar_t>(ResId(IDS_CONTENT_VALUE_OMITTED));
    else if (NameIs(slide.fourth, L"disabled"))
        fourth = MStringEx<wchar_t>(ResId(IDS_CONTENT_VALUE_DISABLED));
    rows.Append(new ContentPropertyRow(FixedRow(IDS_CONTENT_ROW_FOURTH, fourth)));
    const MList<MStringEx<wchar_t>> items = SplitPropertyItems(text);
    for (unsigned __int64 i = 0; i < items.GetCount(); ++i)
    {
        ContentPropertyRow row = ParseContentPropertyItem(*items.GetAt(i));
        if (!IsSlidePropertyName(row.label))
            rows.Append(new ContentPropertyRow(row));
    }
    if (!slide.last.IsEmpty())
        rows.Append(new ContentPropertyRow(FixedRow(IDS_CONTENT_ROW_LAST, slide.last)));
}
