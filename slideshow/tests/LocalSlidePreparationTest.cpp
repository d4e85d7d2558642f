// Preparing real files of each kind as slides: pictures decoded and turned
// upright, media, web, text and rich-text files as their cards with titles.
#include "slideshow/LocalSlidePreparation.h"

#include "galleries/MediaProbe.h"
#include "galleries/tests/GalleryTestFiles.h"
#include "resources/window/ProgramResourceIds.h"
#include "slideshow/InternetSlideState.h"
#include "slideshow/LocalWalk.h"
#include "slideshow/StatusCard.h"
#include "slideshow/tests/FixtureIds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

namespace
{
std::wstring Text(const MString& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }

std::wstring Lower(std::wstring s)
{
    for (wchar_t& c : s)
        c = static_cast<wchar_t>(towlower(c));
    return s;
}

// Media facts by lower-cased path; other files are no media.
class FakeMedia : public MediaProbe
{
public:
    bool Probe(const MString& path, MediaFacts& facts) override
    {
        const auto found = files.find(Lower(Text(path)));
        if (found == files.end())
            return false;
        facts = found->second;
        return true;
    }
    std::map<std::wstring, MediaFacts> files;
};

std::string Fixture(int id)
{
    HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10)); // RT_RCDATA
    HGLOBAL loaded = LoadResource(nullptr, resource);
    return std::string(static_cast<const char*>(LockResource(loaded)), SizeofResource(nullptr, resource));
}

bool IsRed(Gdiplus::Bitmap& picture, int x, int y)
{
    Gdiplus::Color colour;
    picture.GetPixel(x, y, &colour);
    return colour.GetR() > 200 && colour.GetB() < 60;
}

bool IsBlue(Gdiplus::Bitmap& picture, int x, int y)
{
    Gdiplus::Color colour;
    picture.GetPixel(x, y, &colour);
    return colour.GetB() > 200 && colour.GetR() < 60;
}

class LocalSlidePreparationTest : public ::testing::Test
{
protected:
    LocalSlidePreparationTest()
        : m_walk(&m_order, [] { return std::vector<MString>(); }),
          m_preparation(m_walk, m_media, m_record, GetModuleHandleW(nullptr))
    {
    }

    bool Prepare(const std::wstring& path) { return m_preparation.PrepareLocalSlide(path.c_str()); }
    const PreparedSlide& Prepared() const { return m_preparation.Prepared(); }

    GalleryTest::GdiplusScope m_gdiplus;
    GalleryTest::TempTree m_tree;
    Display_order m_order = Display_order::ByName;
    LocalWalk m_walk;
    FakeMedia m_media;
    InternetSlideState m_record;
    LocalSlidePreparation m_preparation;
};
}

TEST_F(LocalSlidePreparationTest, PicturesOfAtLeast24PixelsEachWay)
{
    const struct
    {
        const wchar_t* name;
        int width, height;
        const wchar_t* mime;
        bool accepted;
    } cases[] = {
        {L"wide.png", 40, 30, L"image/png", true},  {L"scan.tif", 30, 40, L"image/tiff", true},
        {L"strip.png", 23, 500, L"image/png", false}, {L"small.bmp", 24, 24, L"image/bmp", true},
        {L"flat.png", 500, 23, L"image/png", false},
    };
    for (const auto& c : cases)
    {
        const std::wstring path = m_tree.At(c.name);
        ASSERT_TRUE(GalleryTest::WritePicture(path, c.width, c.height, c.mime)) << c.name;
        EXPECT_EQ(Prepare(path), c.accepted) << c.name;
        if (!c.accepted)
            continue;
        EXPECT_EQ(Prepared().kind, FilePicture);
        EXPECT_EQ(static_cast<int>(Prepared().picture->GetWidth()), c.width);
        EXPECT_EQ(static_cast<int>(Prepared().picture->GetHeight()), c.height);
        // No title tag: the unique slide name.
        EXPECT_EQ(Text(Prepared().title), std::wstring(c.name).substr(0, std::wstring(c.name).find(L'.')));
    }
}

TEST_F(LocalSlidePreparationTest, JpegsAreTurnedUprightByTheirExifOrientation)
{
    const struct
    {
        int fixture;
        const wchar_t* title;
        bool redOnTop;
    } cases[] = {
        {FIXTURE_ORIENTED_MM, L"Harbour at dawn", true}, // 6: a quarter turn clockwise
        {FIXTURE_ORIENTED_II, L"Harbour at dusk", false}, // 8: a quarter turn anticlockwise
    };
    for (const auto& c : cases)
    {
        const std::wstring path = m_tree.File(L"camera.jpg", Fixture(c.fixture));
        ASSERT_TRUE(Prepare(path));
        Gdiplus::Bitmap& picture = *Prepared().picture;
        EXPECT_EQ(Prepared().kind, FilePicture);
        EXPECT_EQ(picture.GetWidth(), 32u);
        EXPECT_EQ(picture.GetHeight(), 48u);
        EXPECT_EQ(IsRed(picture, 16, 4), c.redOnTop) << c.title;
        EXPECT_EQ(IsBlue(picture, 16, 43), c.redOnTop) << c.title;
        EXPECT_EQ(Text(Prepared().title), c.title);
    }

    const std::wstring upright = m_tree.File(L"street.jpg", Fixture(FIXTURE_XP_TITLE));
    ASSERT_TRUE(Prepare(upright));
    EXPECT_EQ(Prepared().picture->GetWidth(), 48u);
    EXPECT_TRUE(IsRed(*Prepared().picture, 4, 16));
    EXPECT_EQ(Text(Prepared().title), L"Quiet street");
}

TEST_F(LocalSlidePreparationTest, MediaFilesNeedADuration)
{
    const std::wstring clip = m_tree.File(L"Clip.MP4"), film = m_tree.File(L"film.avi"), song = m_tree.File(L"song.mp3");
    m_media.files[Lower(clip)] = MediaFacts{0.0, 0, 0, L"Clip"};
    m_media.files[Lower(film)] = MediaFacts{90.0, 640, 480, L"film"};
    m_media.files[Lower(song)] = MediaFacts{200.0, 0, 0, L"Opening night"};

    EXPECT_FALSE(Prepare(clip)); // duration 0: not media, and no document either
    ASSERT_TRUE(Prepare(film));
    EXPECT_EQ(Prepared().kind, FileMedia);
    EXPECT_EQ(Text(Prepared().title), L"film"); // only its own file name: the unique name
    ASSERT_TRUE(Prepare(song));
    EXPECT_EQ(Text(Prepared().title), L"Opening night");
    EXPECT_EQ(Prepared().picture->GetWidth(), 256u);

    // The caller takes the slide; the next preparation starts empty.
    const std::unique_ptr<PreparedSlide> taken = m_preparation.TakePrepared();
    EXPECT_EQ(taken->kind, FileMedia);
    EXPECT_EQ(Prepared().kind, SlideNone);
    EXPECT_FALSE(Prepared().picture);
}

TEST_F(LocalSlidePreparationTest, DocumentsBecomeCardsWithTheirTitles)
{
    const std::string block = "<html><!-- Document_display_parameters{33EE5728-9540-47D4-B6B6-606B790E7CD2}\r\n"
                              "Window_Style=WS_CAPTION\r\nDocument_Title =  Sunset;; at sea ; draft\r\n"
                              "Document_display_parameters{00199933-6F84-48C8-91F7-1CBF3DDFFDFB} --></html>";
    const struct
    {
        std::wstring name;
        std::string content;
        SlideKind kind;
        const wchar_t* title;
    } cases[] = {
        {L"page.HTM", block, FileWebDocument, L"Sunset; at sea"},
        {L"plain.html", "<html></html>", FileWebDocument, L"plain"},
        {L"notes.txt", "text", FileWebDocument, L"notes"},
        {L"letter.rtf", "{\\rtf1 hi}", FileRichText, L"letter"},
    };
    for (const auto& c : cases)
    {
        ASSERT_TRUE(Prepare(m_tree.File(c.name, c.content))) << c.name;
        EXPECT_EQ(Prepared().kind, c.kind) << c.name;
        EXPECT_EQ(Text(Prepared().title), c.title) << c.name;
        EXPECT_EQ(Prepared().picture->GetWidth(), 256u) << c.name;
    }
    // A file without an extension in a folder with a '.': refused.
    m_tree.Folder(L"Photos.old");
    EXPECT_FALSE(Prepare(m_tree.File(L"Photos.old\\README", "read me")));
    EXPECT_FALSE(Prepare(m_tree.File(L"data.bin", "\x01\x02")));
}

TEST_F(LocalSlidePreparationTest, DocumentTitlesKeepOffTheirCardsPage)
{
    // Titles of one and two lines; every pixel the title changed on the
    // card's artwork lies outside the page the artwork draws.
    const struct
    {
        const wchar_t* name;
        unsigned art;
    } cases[] = {
        {L"notes.txt", IDP_TEXT_CARD},
        {L"Harbour at dawn.txt", IDP_TEXT_CARD},
        {L"Harbour at dawn.rtf", IDP_TEXT_CARD},
        {L"Harbour at dawn.htm", IDP_WEB_CARD},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.name);
        ASSERT_TRUE(Prepare(m_tree.File(c.name, "<html></html>")));
        Gdiplus::Bitmap& card = *Prepared().picture;
        const BitmapPtr art = LoadPngBitmap(GetModuleHandleW(nullptr), c.art);
        ASSERT_TRUE(art);
        ASSERT_EQ(card.GetWidth(), art->GetWidth());
        ASSERT_EQ(card.GetHeight(), art->GetHeight());
        const INT width = static_cast<INT>(art->GetWidth()), height = static_cast<INT>(art->GetHeight());
        // The page: the box around the artwork's opaque pixels.
        RECT page = {width, height, 0, 0};
        for (INT y = 0; y < height; ++y)
            for (INT x = 0; x < width; ++x)
            {
                Gdiplus::Color colour;
                art->GetPixel(x, y, &colour);
                if (colour.GetA() > 32)
                    page = RECT{std::min<LONG>(page.left, x), std::min<LONG>(page.top, y),
                                std::max<LONG>(page.right, x + 1), std::max<LONG>(page.bottom, y + 1)};
            }
        ASSERT_LT(page.left, page.right);
        int titlePixels = 0, onPage = 0;
        for (INT y = 0; y < height; ++y)
            for (INT x = 0; x < width; ++x)
            {
                Gdiplus::Color drawn, plain;
                card.GetPixel(x, y, &drawn);
                art->GetPixel(x, y, &plain);
                if (drawn.GetValue() == plain.GetValue())
                    continue;
                ++titlePixels;
                if (x >= page.left && x < page.right && y >= page.top && y < page.bottom)
                    ++onPage;
            }
        EXPECT_GT(titlePixels, 100);
        EXPECT_EQ(onPage, 0);
    }
}

TEST_F(LocalSlidePreparationTest, LoadedFilesWaitInTheOnlineRecord)
{
    const std::wstring picture = m_tree.At(L"kept.png");
    ASSERT_TRUE(GalleryTest::WritePicture(picture, 30, 30));
    ASSERT_TRUE(m_preparation.LoadFileSlide(picture.c_str()));
    EXPECT_EQ(m_record.state, FileSlidePicture);
    EXPECT_EQ(m_record.identity.GetCount(), 20u);
    EXPECT_EQ(Text(m_record.file), picture);
    EXPECT_EQ(Text(m_record.secondText), L"kept");
    // The identity names the content: one changed byte, and it no longer does.
    EXPECT_TRUE(m_record.IsContentUnchanged());
    m_record.content[m_record.content.GetCount() / 2] ^= 1;
    EXPECT_FALSE(m_record.IsContentUnchanged());

    ASSERT_TRUE(m_preparation.LoadFileSlide(m_tree.File(L"letter.rtf", "{\\rtf1}").c_str()));
    EXPECT_EQ(m_record.state, FileSlideRichText);

    const std::wstring icon = m_tree.At(L"icon.png");
    ASSERT_TRUE(GalleryTest::WritePicture(icon, 16, 16));
    EXPECT_FALSE(m_preparation.LoadFileSlide(icon.c_str()));
}

TEST(ExtensionList, PatternsAndExtensions)
{
    const std::vector<MString> patterns = ExtensionPatternList(L"*.htm;*.html;*.mht");
    ASSERT_EQ(patterns.size(), 3u);
    const size_t all = static_cast<size_t>(-1);
    EXPECT_TRUE(ExtensionListMatches(patterns, 0, all, all, L"HTML"));
    EXPECT_FALSE(ExtensionListMatches(patterns, 0, all, 1, L"html"));
    EXPECT_FALSE(ExtensionListMatches(patterns, 0, all, all, L"ht"));
    EXPECT_FALSE(ExtensionListMatches(patterns, 0, all, all, L""));
    // A pattern without '.' matches only an empty extension.
    const std::vector<MString> bare = {L".txt", L"README"};
    EXPECT_TRUE(ExtensionListMatches(bare, 0, all, all, L""));
    EXPECT_FALSE(ExtensionListMatches(bare, 0, 0, all, L""));
}
