// The property texts of online slides.
#include "server/SlideProperties.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::wstring Joined(std::initializer_list<const wchar_t*> items)
{
    std::wstring text;
    for (const wchar_t* item : items)
        text += (text.empty() ? L"" : std::wstring(PropertyItemSeparator)) + item;
    return text;
}

TEST(SlideProperties, ItemsUpdateTheirFields)
{
    SlideProperties p;
    p.title = L"kept";
    p.windowFrame = FrameStyleBorder;
    ParseSlideProperties(Joined({L"title=-", L"BORDER_PICTURE=Frame", L"border_window=round", L"",
                                 L"associated_url=http://x/?a=1&b=2", L"id=7", L"id=8", L"noequals",
                                 L"description=", L"unknown=1"})
                             .c_str(),
                         p);
    EXPECT_STREQ(p.title.GetText(), L"kept");
    EXPECT_EQ(p.pictureFrame, FrameStyleFrame);
    EXPECT_EQ(p.windowFrame, FrameStyleBorder) << "an unknown style leaves it";
    EXPECT_STREQ(p.link.GetText(), L"http://x/?a=1&b=2");
    EXPECT_STREQ(p.id.GetText(), L"8") << "a later item wins";
    EXPECT_TRUE(p.description.IsEmpty());
    EXPECT_TRUE(p.credits.IsEmpty());

    ParseSlideProperties(L"title=", p);
    EXPECT_TRUE(p.title.IsEmpty());
    ParseSlideProperties(L"border_window=user", p);
    EXPECT_EQ(p.windowFrame, FrameStyleUser);
}

TEST(SlideProperties, CreditsOnlyWithACreator)
{
    SlideProperties p;
    ParseSlideProperties(Joined({L"creator=", L"editor=E", L"approver=A"}).c_str(), p);
    EXPECT_TRUE(p.credits.IsEmpty());
    ParseSlideProperties(Joined({L"creator=C"}).c_str(), p);
    const std::wstring credits = p.credits.GetText();
    for (const wchar_t* name : {L"C", L"E", L"A"})
        EXPECT_NE(credits.find(name), std::wstring::npos) << name;
}

TEST(SlideProperties, SeparatorCutsEveryOccurrence)
{
    EXPECT_EQ(SplitPropertyItems(L"one item").GetCount(), 1u);
    EXPECT_EQ(SplitPropertyItems(Joined({L"a", L"", L"b", L""}).c_str()).GetCount(), 2u);
    EXPECT_EQ(SplitPropertyItems(L"").GetCount(), 0u);
    EXPECT_EQ(SplitPropertyItems(PropertyItemSeparator).GetCount(), 0u);
}

TEST(ContentProperties, RowsOfItems)
{
    struct Case
    {
        const wchar_t* item;
        const wchar_t* label;
        bool flag;
        const wchar_t* value;
    } cases[] = {{L"Size=yes=10 x 20", L"Size", true, L"10 x 20"}, {L"Size=10", L"Size", false, L""},
                 {L"Link=on=a=b", L"Link", true, L"a=b"},        {L"Plain", L"Plain", false, L""},
                 {L"X=no=1", L"X", false, L"1"}};
    for (const Case& c : cases)
    {
        const ContentPropertyRow row = ParseContentPropertyItem(c.item);
        EXPECT_STREQ(row.label.GetText(), c.label) << c.item;
        EXPECT_EQ(row.flag, c.flag) << c.item;
        EXPECT_STREQ(row.value.GetText(), c.value) << c.item;
    }

    ContentPropertyTexts fixed;
    fixed.first = L"Title";
    fixed.fourth = L"OMITTED";
    MList<ContentPropertyRow> rows;
    ParseContentProperties(fixed, Joined({L"A=1=x", L"B=0=y"}).c_str(), rows);
    ASSERT_EQ(rows.GetCount(), 6u) << "four fixed rows and two items; no last row without its text";
    EXPECT_STREQ(rows.GetAt(0)->value.GetText(), L"Title");
    EXPECT_FALSE(rows.GetAt(1)->value.IsEmpty()) << "an empty text shows the text of an empty value";
    EXPECT_STRNE(rows.GetAt(3)->value.GetText(), L"OMITTED");
    EXPECT_STREQ(rows.GetAt(4)->label.GetText(), L"A");
    EXPECT_TRUE(rows.GetAt(4)->flag);
    fixed.last = L"credits";
    ParseContentProperties(fixed, L"", rows);
    EXPECT_EQ(rows.GetCount(), 5u);
}

// A slide's properties text carries its own items beside the content
// properties: only the content properties get rows of their own.
TEST(ContentProperties, TheSlidesOwnItemsGiveNoRows)
{
    const std::wstring text = Joined({L"id=7", L"TITLE=Dawn", L"associated_url=http://a/?b=c", L"Size=no=10 x 20",
                                      L"border_window=frame", L"Source=yes=http://a/b", L"creator=C"});
    SlideProperties slide;
    ParseSlideProperties(text.c_str(), slide);
    EXPECT_STREQ(slide.title.GetText(), L"Dawn");
    EXPECT_STREQ(slide.link.GetText(), L"http://a/?b=c");

    ContentPropertyTexts fixed;
    MList<ContentPropertyRow> rows;
    ParseContentProperties(fixed, text.c_str(), rows);
    ASSERT_EQ(rows.GetCount(), 6u) << "four fixed rows and the two content properties";
    EXPECT_STREQ(rows.GetAt(4)->label.GetText(), L"Size");
    EXPECT_FALSE(rows.GetAt(4)->flag);
    EXPECT_STREQ(rows.GetAt(4)->value.GetText(), L"10 x 20");
    EXPECT_STREQ(rows.GetAt(5)->label.GetText(), L"Source");
    EXPECT_TRUE(rows.GetAt(5)->flag);
    EXPECT_STREQ(rows.GetAt(5)->value.GetText(), L"http://a/b");
}
} // namespace
