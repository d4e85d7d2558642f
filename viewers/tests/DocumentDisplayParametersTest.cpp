#include "viewers/DocumentDisplayParameters.h"

#include "foundation/StringResources.h"
#include "resources/languages/LanguageIds.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::wstring Text(const MString& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }

const wchar_t Open[] = L"Document_display_parameters{33EE5728-9540-47D4-B6B6-606B790E7CD2}";
const wchar_t Close[] = L"Document_display_parameters{00199933-6F84-48C8-91F7-1CBF3DDFFDFB}";

std::vector<MString> Block(const std::wstring& lines)
{
    return ExtractDisplayParameters(MString((L"<html><!-- " + std::wstring(Open) + L"\n" + lines + Close +
                                             L" --></html>")
                                                .c_str()));
}

// The English language module beside the test program, for the titles.
class EnglishStrings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_module = LoadLibraryExW(L"Resources EN US.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_module, nullptr);
        m_previous = LanguageModule;
        LanguageModule = m_module;
    }
    void TearDown() override
    {
        LanguageModule = m_previous;
        FreeLibrary(m_module);
    }

    HMODULE m_module = nullptr;
    HMODULE m_previous = nullptr;
};

class TempFile
{
public:
    explicit TempFile(const std::string& bytes)
    {
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"qd", 0, m_path);
        HANDLE file = CreateFileW(m_path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    ~TempFile() { DeleteFileW(m_path); }
    const wchar_t* Path() const { return m_path; }

private:
    wchar_t m_path[MAX_PATH];
};
}

TEST(DocumentDisplayParameters, LineNormalisation)
{
    const struct
    {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"Document_Title = Sunset;; at sea ; draft", L"Document_Title = Sunset; at sea"},
        {L"  \t", L""},
        {L"a=b\r", L"a=b"},
        {L"x=;;;;", L"x=;;"},
        {L";rest", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Text(NormalizeDisplayParameterLine(c.in)), c.out) << c.in;
}

TEST(DocumentDisplayParameters, BlockNeedsBothMarkers)
{
    // Cut at "\n" only: a lone "\r" is a line of its own, normalised away later.
    EXPECT_EQ(Block(L"a=1\n\nb=2\n").size(), 2u);
    EXPECT_EQ(Block(L"a=1\r\n\r\nb=2\r\n").size(), 3u);
    EXPECT_TRUE(ExtractDisplayParameters(MString((std::wstring(Open) + L"\na=1\n").c_str())).empty());
    EXPECT_TRUE(ExtractDisplayParameters(MString(L"a=1\n")).empty());
}

TEST(DocumentDisplayParameters, TitleOfTheFirstTitleLine)
{
    EXPECT_EQ(Text(DocumentTitleParameter(Block(L"document_title = Sunset;; at sea ; draft\nDocument_Title=Two\n"))),
              L"Sunset; at sea");
    EXPECT_EQ(Text(DocumentTitleParameter(Block(L"Document_Title=\nDocument_Title=Two\n"))), L"");
    EXPECT_EQ(Text(DocumentTitleParameter(Block(L"Window_Style=WS_CAPTION\n"))), L"");
}

TEST_F(EnglishStrings, ParametersApplyAtTheirFirstOccurrence)
{
    const auto p = ApplyDisplayParameters(
        Block(L"Window_Style = WS_CAPTION | WS_SYSMENU | ws_border\n"
              L"border_resizable = maybe\nBorder_Resizable = no\n"
              L"Window_Opening_Inner_Width = -5\nWindow_Opening_Inner_Width = 640\n"
              L"Window_Opening_Inner_Height = +480\nWindow_Minimal_Inner_Width = 12px\n"
              L"Window_Constant_Aspect_Ratio = YES\nDocument_Title = Harbour\n"),
        DocumentViewMode::OwnTitle, L"Page", 5000, 5000);
    EXPECT_TRUE(p.windowStyleValid);
    EXPECT_EQ(p.windowStyle, 0xC80000u);
    EXPECT_FALSE(p.windowExStyleValid);
    EXPECT_TRUE(p.resizable); // the second line of a seen name is not honoured
    EXPECT_EQ(p.openingWidth, 0u); // "-5" used the name up
    EXPECT_EQ(p.openingHeight, 480u);
    EXPECT_EQ(p.minimalWidth, 0u);
    EXPECT_TRUE(p.constantAspect);
    EXPECT_EQ(Text(p.title), L"Harbour - " + Text(MString(ResId(IDS_PRODUCT_CAPTION))));
}

TEST_F(EnglishStrings, MaximalSizesBeyondTheScreenFollowTheOpeningAspect)
{
    const auto scaled = ApplyDisplayParameters(
        Block(L"Window_Opening_Inner_Width=800\nWindow_Opening_Inner_Height=400\n"
              L"Window_Maximal_Inner_Width=4000\nWindow_Maximal_Inner_Height=3000\n"),
        DocumentViewMode::SlideTitle, L"", 1600, 1200);
    EXPECT_EQ(scaled.maximalWidth, 1600u);
    EXPECT_EQ(scaled.maximalHeight, 800u);
    EXPECT_EQ(Text(scaled.title), Text(MString(ResId(IDS_PRODUCT_CAPTION))));

    // Without an opening size the step would divide by zero: it is skipped.
    const auto unscaled = ApplyDisplayParameters(
        Block(L"Window_Maximal_Inner_Width=4000\nWindow_Maximal_Inner_Height=3000\n"), DocumentViewMode::OwnTitle,
        L"Page", 1600, 1200);
    EXPECT_EQ(unscaled.maximalWidth, 4000u);
    EXPECT_EQ(unscaled.maximalHeight, 3000u);
    EXPECT_EQ(Text(unscaled.title), L"Page");
}

TEST_F(EnglishStrings, ReadsUtf8AndReportsWhatItCannotRead)
{
    const TempFile file("Gr\xc3\xbc\xc3\x9f" "e");
    EXPECT_EQ(Text(ReadUtf8TextFile(file.Path())), L"Gr\u00fc\u00dfe");
    EXPECT_THROW(ReadUtf8TextFile(L"C:\\no such folder\\page.htm"), DocumentReadError);
}
