// The gallery dialog's online half run modally under Xvfb against the
// stand-in server, scripted from another thread: the gallery chosen from the
// server's list, search lines added and removed, what OK stores and what
// the next slide requests then bring, stored lines shown again, and the
// problems that keep the dialog open.
#include "filter/MediaSource.h"
#include "filter/OnlineFilter.h"
#include "filter/SearchValueSyntax.h"
#include "filter/tests/MissingGlyphs.h"
#include "foundation/Registry.h"
#include "galleries/SelectedFiles.h"
#include "galleries/tests/GalleryTestFiles.h"
#include "resources/languages/LanguageIds.h"
#include "server/GetSlideReply.h"
#include "server/SlideDownloadWorker.h"
#include "server/tests/StandIn.h"
#include "core/ThreadCounter.h"
#include "core/tests/UiTestSupport.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <sstream>
#include <string>

using namespace UiTest;

namespace
{
// The gallery dialog once it shows (not the wait dialog before it).
HWND WaitForGalleryDialog(DWORD thread)
{
    HWND found = nullptr;
    WaitUntil([&] {
        EnumThreadWindows(thread, [](HWND window, LPARAM lParam) {
            if (IsWindowVisible(window) && GetDlgItem(window, IDC_MEDIA_SOURCE))
            {
                *reinterpret_cast<HWND*>(lParam) = window;
                return FALSE;
            }
            return TRUE;
        }, reinterpret_cast<LPARAM>(&found));
        return found != nullptr;
    }, 60000);
    return found;
}

// The dialog's search line windows, in the order they were made.
std::vector<HWND> SearchLines(HWND dialog)
{
    std::vector<HWND> lines;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgItem(child, IDC_SL_PROPERTY))
            lines.push_back(child);
    return lines;
}

// Selects the item of a combo and tells its parent, as a user's choice does.
void Choose(HWND combo, LRESULT item)
{
    SendMessageW(combo, CB_SETCURSEL, item, 0);
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

void ChooseText(HWND combo, const wchar_t* text)
{
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item)
    {
        wchar_t buffer[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(buffer));
        std::wstring shown(buffer);
        shown.erase(0, shown.find_first_not_of(L' '));
        if (shown == text)
            return Choose(combo, item);
    }
    ADD_FAILURE() << "no item " << std::string(text, text + wcslen(text));
}

void ChooseData(HWND combo, LPARAM data)
{
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item)
        if (SendMessageW(combo, CB_GETITEMDATA, item, 0) == data)
            return Choose(combo, item);
    ADD_FAILURE() << "no item with data " << data;
}

// Every item text of a combo, in order.
std::vector<std::wstring> ItemTexts(HWND combo)
{
    std::vector<std::wstring> texts;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item)
    {
        wchar_t buffer[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(buffer));
        texts.emplace_back(buffer);
    }
    return texts;
}

LPARAM SelectedData(HWND combo)
{
    const LRESULT item = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return item == CB_ERR ? -1 : SendMessageW(combo, CB_GETITEMDATA, item, 0);
}

// One condition typed into a line: property, operator, value text.
void FillLine(HWND line, const wchar_t* property, wchar_t op, const wchar_t* value)
{
    ChooseText(GetDlgItem(line, IDC_SL_PROPERTY), property);
    ChooseData(GetDlgItem(line, IDC_SL_OPERATOR), op);
    SetWindowTextW(GetDlgItem(line, IDC_SL_TEXT), value);
}

// The text of a message box owned by owner that shows now (then closed).
std::wstring MessageText(DWORD thread, HWND owner)
{
    HWND box = WaitForDialog(thread, owner, 30000);
    if (!box)
        return L"";
    const std::wstring text = WindowText(GetDlgItem(box, 0xFFFF));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !IsWindow(box); });
    return text;
}

std::wstring Res(UINT id) { return MString(ResId(id)).GetText(); }

Property_Manager::search_line_data Number(wchar_t op, const wchar_t* value, unsigned char conjunction = '=')
{
    Property_Manager::search_line_data line;
    line.property_id = 102;
    line.operator_code = op;
    line.value = Property_Manager::Value(UInt64, value);
    line.conjunction = conjunction;
    return line;
}

class OnlineHalf : public StandIn::Test
{
protected:
    void SetUp() override
    {
        StandIn::Test::SetUp();
        if (ThreadCounterHolder.IsEmpty())
            ThreadCounterHolder.Create();
        WriteMediaSource(false);
        Clean();
    }
    void TearDown() override
    {
        Clean();
        WriteMediaSource(true);
        StandIn::Test::TearDown();
    }
    static void Clean()
    {
        DeleteOnlineFilterData();
        for (const wchar_t* value : {OnlineFilterSwitchValueName, SelectedOnlineGalleryValueName})
            RegDeleteKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), value);
    }

    INT_PTR Run(const std::function<void(HWND dialog, DWORD thread)>& script)
    {
        INT_PTR result = -1;
        Script driver([&](DWORD ui) {
            HWND dialog = WaitForGalleryDialog(ui);
            if (!dialog)
                return;
            script(dialog, ui);
            if (IsWindow(dialog))
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SELECTION_CANCEL, BN_CLICKED), 0);
        });
        CSelectedFiles dialog(POINT{200, 200}, nullptr, nullptr, MString());
        result = dialog.DoModal(GetDesktopWindow());
        return result;
    }

    SearchLineList StoredLines()
    {
        SearchLineList lines;
        LoadSearchLines(lines, nullptr);
        return lines;
    }

    LanguageModuleScope m_language{1033};
};
} // namespace

TEST_F(OnlineHalf, AChosenGalleryAndFilterAreStoredAndTheServerFollowsThem)
{
    const INT_PTR result = Run([&](HWND dialog, DWORD) {
        HWND galleries = GetDlgItem(dialog, IDC_ONLINE_GALLERY);
        // Nothing chosen yet: the placeholder heads the server's galleries.
        ASSERT_TRUE(WaitUntil([&] { return SendMessageW(galleries, CB_GETCOUNT, 0, 0) == 7; }));
        EXPECT_EQ(SelectedData(galleries), 0);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SELECTION_OK)));
        ChooseText(galleries, L"Demo");
        EXPECT_EQ(SendMessageW(galleries, CB_GETCOUNT, 0, 0), 6) << "the placeholder goes";

        Click(dialog, IDC_FILTER_SWITCH);
        const std::vector<HWND> lines = SearchLines(dialog);
        ASSERT_EQ(lines.size(), 5u);
        EXPECT_TRUE(IsWindowVisible(lines[0]));
        EXPECT_FALSE(IsWindowVisible(lines[1]));

        // Typing into a whole-number value drops letters and signs.
        FillLine(lines[0], L"Number", L'=', L"");
        HWND edit = GetDlgItem(lines[0], IDC_SL_TEXT);
        for (wchar_t c : {L'2', L'x', L'-', L'e'})
            SendMessageW(edit, WM_CHAR, c, 0);
        EXPECT_EQ(WindowText(edit), L"2");

        // A second and a third line come with their joinings and go again.
        HWND first = GetDlgItem(dialog, IDC_CONJUNCTION_FIRST), second = GetDlgItem(dialog, IDC_CONJUNCTION_FIRST + 1);
        ChooseData(first, L'&');
        EXPECT_TRUE(IsWindowVisible(lines[1]));
        FillLine(lines[1], L"Number", L'>', L"4");
        ChooseData(second, L'|');
        EXPECT_TRUE(IsWindowVisible(lines[2]));
        ChooseData(first, L'=');
        EXPECT_FALSE(IsWindowVisible(lines[1]));
        EXPECT_FALSE(IsWindowVisible(lines[2]));
        EXPECT_FALSE(IsWindowVisible(second));

        Click(dialog, IDC_SELECTION_OK);
    });
    EXPECT_EQ(result, CSelectedFiles::OnlineChanged);
    EXPECT_FALSE(ReadMediaSource());
    const SelectedOnlineGallery gallery = ReadSelectedOnlineGallery();
    EXPECT_EQ(std::wstring(gallery.name.GetText()), L"Demo");
    EXPECT_EQ(gallery.language, 1033u);
    EXPECT_TRUE(ReadOnlineFilterSwitch());
    const SearchLineList stored = StoredLines();
    EXPECT_FALSE(SearchLinesDiffer(stored, {Number(L'=', L"2")}));

    // The next slide requests carry the stored filter, and the stand-in
    // serves only the second picture of the gallery.
    StandIn::Reset();
    StandIn::Set("kind=picture");
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    SlideCacheFolder cache(MStringEx<wchar_t>(sX::Format(), L"%sonline-half-%u", temp, GetTickCount()));
    OnlineSlideRecord record;
    record.galleryName = gallery.name;
    record.displayOrder = 0;
    record.forwardLevel = -2;
    record.sessionStart = 1;
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(FetchOnlineSlide(record, false, LoadOnlineFilterRequestData(), nullptr, cache), FetchOutcome::Delivered);
        record.sessionStart = 0;
        record.state = OnlineStateIdle;
    }
    std::vector<std::string> names;
    std::istringstream served(StandIn::Control("slides"));
    for (std::string line; std::getline(served, line);)
        if (line.size() > 2)
            names.push_back(line.substr(2));
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names, std::vector<std::string>(names.size(), names[0]));
    // Every slide request carried the filter block: 8 bytes and the blob
    // of one line.
    std::istringstream requests(StandIn::Control("requests"));
    std::vector<unsigned> bodies;
    for (std::string line; std::getline(requests, line);)
        if (line.rfind("#", 0) == 0 && line.find(" POST /get-slide.aspx ") != std::string::npos)
            bodies.push_back(static_cast<unsigned>(std::stoul(line.substr(line.rfind(' ') + 1))));
    EXPECT_EQ(bodies, std::vector<unsigned>(3, 8 + 156));
    record.authCode.Clear();
    cache.DeleteInternetControlValues();
}

TEST_F(OnlineHalf, StoredLinesComeBackAndCancelLeavesThem)
{
    const SearchLineList saved = {Number(L'<', L"2", '|'), Number(L'>', L"4")};
    ASSERT_TRUE(SaveOnlineFilterData(saved));
    ASSERT_TRUE(WriteOnlineFilterSwitch(true));
    ASSERT_TRUE(WriteSelectedOnlineGallery({MStringEx<wchar_t>(L"Demo"), 1033}));
    const INT_PTR result = Run([&](HWND dialog, DWORD) {
        ASSERT_TRUE(WaitUntil([&] { return IsDlgButtonChecked(dialog, IDC_FILTER_SWITCH) == BST_CHECKED; }));
        const std::vector<HWND> lines = SearchLines(dialog);
        ASSERT_EQ(lines.size(), 5u);
        const bool visible[5] = {true, true, false, false, false};
        for (size_t i = 0; i < 5; ++i)
            EXPECT_EQ(IsWindowVisible(lines[i]) != FALSE, visible[i]) << i;
        EXPECT_EQ(SelectedData(GetDlgItem(lines[0], IDC_SL_OPERATOR)), L'<');
        EXPECT_EQ(WindowText(GetDlgItem(lines[0], IDC_SL_TEXT)), L"2");
        EXPECT_EQ(WindowText(GetDlgItem(lines[1], IDC_SL_TEXT)), L"4");
        EXPECT_EQ(SelectedData(GetDlgItem(dialog, IDC_CONJUNCTION_FIRST)), L'|');
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_FILTER_NOTICE)), L"");

        // Ending the filter after line 1 hides line 2; Cancel stores nothing.
        ChooseData(GetDlgItem(dialog, IDC_CONJUNCTION_FIRST), L'=');
        EXPECT_FALSE(IsWindowVisible(lines[1]));
        Click(dialog, IDC_SELECTION_CANCEL);
    });
    EXPECT_EQ(result, CSelectedFiles::NothingChanged);
    EXPECT_FALSE(SearchLinesDiffer(StoredLines(), saved));
    EXPECT_TRUE(ReadOnlineFilterSwitch());
}

TEST_F(OnlineHalf, AFilterWithProblemsKeepsTheDialogOpenAndStoresNothing)
{
    ASSERT_TRUE(WriteSelectedOnlineGallery({MStringEx<wchar_t>(L"Demo"), 1033}));
    const INT_PTR result = Run([&](HWND dialog, DWORD thread) {
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_FILTER_SWITCH)) != FALSE; }));
        Click(dialog, IDC_FILTER_SWITCH);
        const std::vector<HWND> lines = SearchLines(dialog);
        ASSERT_EQ(lines.size(), 5u);
        HWND line = lines[0];
        const struct
        {
            const wchar_t* property;
            const wchar_t* value;
            bool open;
            std::wstring problem;
        } cases[] = {
            {L"Number", L"", false, Res(IDS_VALUE_EMPTY)},
            {L"Number", L"3", true, Res(IDS_FILTER_UNCLOSED)},
            {L"Created", nullptr, false, Res(IDS_VALUE_EMPTY)},
            {L"Rating", L"0.0", false, Res(IDS_VALUE_BAD_REAL)},
            {L"Title", L"<script>", false, L"<script"},
        };
        for (const auto& c : cases)
        {
            ChooseText(GetDlgItem(line, IDC_SL_PROPERTY), c.property);
            SendMessageW(GetDlgItem(line, IDC_SL_OPEN), CB_SETCURSEL, c.open ? 1 : 0, 0);
            if (c.value)
                SetWindowTextW(GetDlgItem(line, IDC_SL_TEXT), c.value);
            // Posted: the handler's message box is modal.
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SELECTION_OK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_SELECTION_OK)));
            EXPECT_EQ(MessageText(thread, dialog), Res(IDS_FILTER_INVALID)) << c.property;
            EXPECT_TRUE(IsWindowVisible(dialog));
            EXPECT_NE(WindowText(GetDlgItem(dialog, IDC_FILTER_NOTICE)).find(c.problem), std::wstring::npos)
                << WindowText(GetDlgItem(dialog, IDC_FILTER_NOTICE));
        }
        // A real "e" is part of a real number; a space never starts a value.
        ChooseText(GetDlgItem(line, IDC_SL_PROPERTY), L"Rating");
        HWND edit = GetDlgItem(line, IDC_SL_TEXT);
        for (wchar_t c : {L' ', L'1', L'e', L'5'})
            SendMessageW(edit, WM_CHAR, c, 0);
        EXPECT_EQ(WindowText(edit), L"1e5");
        Click(dialog, IDC_SELECTION_CANCEL);
    });
    EXPECT_EQ(result, CSelectedFiles::NothingChanged);
    EXPECT_TRUE(StoredLines().empty());
    EXPECT_FALSE(ReadOnlineFilterSwitch());
}

// The operators of a text property (equivalence and set relations among
// them) show as themselves in every search line: the operator combo has the
// dialog's own font, with a glyph for each, which goes with the dialog.
TEST_F(OnlineHalf, EveryLineShowsTheOperatorsOfATextProperty)
{
    ASSERT_TRUE(WriteSelectedOnlineGallery({MStringEx<wchar_t>(L"Demo"), 1033}));
    HFONT font = nullptr;
    Run([&](HWND dialog, DWORD) {
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_FILTER_SWITCH)) != FALSE; }));
        Click(dialog, IDC_FILTER_SWITCH);
        const std::vector<HWND> lines = SearchLines(dialog);
        ASSERT_EQ(lines.size(), 5u);
        for (size_t i = 0; i < lines.size(); ++i)
        {
            ChooseText(GetDlgItem(lines[i], IDC_SL_PROPERTY), L"Title");
            HWND operators = GetDlgItem(lines[i], IDC_SL_OPERATOR);
            const std::vector<std::wstring> texts = ItemTexts(operators);
            EXPECT_EQ(texts.size(), 8u) << "line " << i + 1;
            EXPECT_EQ(MissingGlyphs(operators, texts), L"") << "line " << i + 1 << " lacks these operators";
            const auto shown = reinterpret_cast<HFONT>(SendMessageW(operators, WM_GETFONT, 0, 0));
            EXPECT_NE(shown, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0))) << "line " << i + 1;
            EXPECT_TRUE(i == 0 || shown == font) << "line " << i + 1 << " has a font of its own";
            font = shown;
        }
    });
    EXPECT_EQ(GetObjectType(font), 0u) << "the operators' font outlives the dialog";
}

namespace
{
RECT In(HWND dialog, HWND control)
{
    RECT r = {};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT In(HWND dialog, int id) { return In(dialog, GetDlgItem(dialog, id)); }

// Whether the mouse reaches control at its centre: nothing lies over it.
bool Reachable(HWND control)
{
    RECT r = {};
    GetWindowRect(control, &r);
    HWND hit = WindowFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    return hit == control || IsChild(control, hit);
}

bool Overlap(const RECT& a, const RECT& b)
{
    RECT both = {};
    return IntersectRect(&both, &a, &b) != FALSE;
}

std::string Describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// A visible window of the thread holding the wait dialog's message text.
HWND FindWaitWindow(DWORD thread)
{
    HWND found = nullptr;
    EnumThreadWindows(thread, [](HWND window, LPARAM lParam) {
        if (IsWindowVisible(window) && GetDlgItem(window, IDC_WAIT_MESSAGE))
        {
            *reinterpret_cast<HWND*>(lParam) = window;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&found));
    return found;
}
} // namespace

// Opened on either side, with or without a stored filter, every control the
// side shows lies inside the dialog, nothing covers the source row, and the
// buttons stand 12 pixels below the last row.
TEST_F(OnlineHalf, EachSideOpensLaidOutWhateverTheStoredFilter)
{
    const struct
    {
        bool local;
        bool storedFilter;
    } cases[] = {{false, false}, {false, true}, {true, false}, {true, true}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.local ? "local" : "online") + (c.storedFilter ? ", stored filter" : ""));
        Clean();
        WriteMediaSource(c.local);
        ASSERT_TRUE(WriteSelectedOnlineGallery({MStringEx<wchar_t>(L"Demo"), 1033}));
        if (c.storedFilter)
        {
            ASSERT_TRUE(SaveOnlineFilterData({Number(L'<', L"2", '|'), Number(L'>', L"4", '&'), Number(L'=', L"3")}));
            ASSERT_TRUE(WriteOnlineFilterSwitch(true));
        }
        Run([&](HWND dialog, DWORD) {
            RECT client = {};
            GetClientRect(dialog, &client);
            const RECT ok = In(dialog, IDC_SELECTION_OK), cancel = In(dialog, IDC_SELECTION_CANCEL);
            const RECT source = In(dialog, IDC_MEDIA_SOURCE);
            EXPECT_TRUE(Reachable(GetDlgItem(dialog, IDC_MEDIA_SOURCE)));
            EXPECT_EQ(ok.top, cancel.top);
            EXPECT_LE(ok.right, cancel.left);
            EXPECT_GT(ok.top, source.bottom) << "OK " << Describe(ok);
            RECT inside = {};
            for (const RECT* r : {&ok, &cancel})
                EXPECT_TRUE(IntersectRect(&inside, r, &client) && EqualRect(&inside, r))
                    << Describe(*r) << " in " << Describe(client);

            const std::vector<HWND> lines = SearchLines(dialog);
            if (c.local)
            {
                EXPECT_GT(ok.top, In(dialog, IDC_FILE_LIST).bottom);
                for (HWND line : lines)
                    EXPECT_FALSE(IsWindowVisible(line));
                return;
            }

            ASSERT_EQ(lines.size(), 5u);
            // The rows of the online side, then the search lines below them.
            const RECT gallery = In(dialog, IDC_ONLINE_GALLERY), check = In(dialog, IDC_FILTER_SWITCH),
                       reload = In(dialog, IDC_RELOAD_PROPERTIES);
            LONG last = std::max({gallery.bottom, check.bottom, reload.bottom});
            for (const RECT* row : {&gallery, &check, &reload})
                EXPECT_FALSE(Overlap(*row, source)) << Describe(*row);
            EXPECT_EQ(reload.left, ok.left);
            EXPECT_EQ(reload.right, cancel.right);
            EXPECT_EQ(gallery.right, cancel.right - 1);
            const size_t shownLines = c.storedFilter ? 3 : 0;
            std::vector<RECT> shown;
            for (size_t i = 0; i < lines.size(); ++i)
            {
                EXPECT_EQ(IsWindowVisible(lines[i]) != FALSE, i < shownLines) << "line " << i + 1;
                if (!IsWindowVisible(lines[i]))
                    continue;
                const RECT line = In(dialog, lines[i]);
                EXPECT_GE(line.top, std::max(check.bottom, reload.bottom)) << "line " << i + 1 << " " << Describe(line);
                for (const RECT& other : shown)
                    EXPECT_FALSE(Overlap(line, other)) << "line " << i + 1;
                shown.push_back(line);
                last = std::max(last, line.bottom);
            }
            for (int id = IDC_CONJUNCTION_FIRST; id <= IDC_CONJUNCTION_LAST; ++id)
                if (IsWindowVisible(GetDlgItem(dialog, id)))
                    last = std::max(last, In(dialog, id).bottom);
            EXPECT_EQ(ok.top, last + 12);
            EXPECT_GE(client.bottom, ok.bottom + 12);
            EXPECT_EQ(In(dialog, IDC_FILTER_NOTICE).top, ok.top);
        });
    }
}

// While the property list loads, the wait window says so.
TEST_F(OnlineHalf, TheWaitWindowSaysWhatIsLoading)
{
    StandIn::Set("fault=hold&at=galleries");
    std::wstring shown;
    bool messageVisible = false;
    INT_PTR result = -1;
    {
        Script driver([&](DWORD ui) {
            HWND wait = nullptr;
            WaitUntil([&] { return (wait = FindWaitWindow(ui)) != nullptr && StandIn::Control("held") == "1"; },
                      60000);
            if (wait)
            {
                shown = WindowText(GetDlgItem(wait, IDC_WAIT_MESSAGE));
                messageVisible = IsWindowVisible(GetDlgItem(wait, IDC_WAIT_MESSAGE)) != FALSE;
            }
            StandIn::Control("release");
            HWND dialog = WaitForGalleryDialog(ui);
            if (dialog)
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SELECTION_CANCEL, BN_CLICKED), 0);
        });
        CSelectedFiles dialog(POINT{200, 200}, nullptr, nullptr, MString());
        result = dialog.DoModal(GetDesktopWindow());
    }
    EXPECT_EQ(result, CSelectedFiles::NothingChanged);
    EXPECT_TRUE(messageVisible);
    EXPECT_EQ(shown, std::wstring(MString(sX::Format(), IDS_WAIT_LOADING_PROPERTIES,
                                          MString(ResId(IDS_PRODUCT_CAPTION)).GetText())
                                      .GetText()));
}

// Lines typed on the online side stay when the user turns to the local
// galleries and confirms there.
TEST_F(OnlineHalf, LinesTypedOnlineAreKeptWhenOkIsGivenOnTheLocalSide)
{
    GdiplusScope gdiplus;
    GalleryTest::TempTree tree;
    const std::wstring picture = tree.At(L"one.png");
    ASSERT_TRUE(GalleryTest::WritePicture(picture, 40, 30));
    const std::wstring galleries = std::wstring(ProgramSettingsKeyPath()) + L"\\Local Galleries";
    SHDeleteKeyW(HKEY_CURRENT_USER, galleries.c_str());
    RegSetKeyValueW(HKEY_CURRENT_USER, (galleries + L"\\Kept").c_str(), L"{00000000-0000-0000-0000-000000000001}",
                    REG_SZ, picture.c_str(), static_cast<DWORD>((picture.size() + 1) * sizeof(wchar_t)));
    ASSERT_TRUE(WriteSelectedOnlineGallery({MStringEx<wchar_t>(L"Demo"), 1033}));
    const INT_PTR result = Run([&](HWND dialog, DWORD) {
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_FILTER_SWITCH)) != FALSE; }));
        Click(dialog, IDC_FILTER_SWITCH);
        const std::vector<HWND> lines = SearchLines(dialog);
        ASSERT_EQ(lines.size(), 5u);
        FillLine(lines[0], L"Number", L'>', L"7");
        ChooseData(GetDlgItem(dialog, IDC_MEDIA_SOURCE), 1);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_SELECTION_OK)) != FALSE; }));
        Click(dialog, IDC_SELECTION_OK);
    });
    SHDeleteKeyW(HKEY_CURRENT_USER, galleries.c_str());
    EXPECT_EQ(result, CSelectedFiles::GalleryInUseChanged);
    EXPECT_TRUE(ReadMediaSource());
    EXPECT_TRUE(ReadOnlineFilterSwitch());
    EXPECT_FALSE(SearchLinesDiffer(StoredLines(), {Number(L'>', L"7")}));
}

// The filter's problems are written in red on the dialog's face.
TEST_F(OnlineHalf, FilterProblemsShowInRed)
{
    Run([&](HWND dialog, DWORD) {
        HDC dc = CreateCompatibleDC(nullptr);
        const LRESULT brush = SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_FILTER_NOTICE)));
        EXPECT_NE(brush, 0);
        EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
        DeleteDC(dc);
    });
}

// The local side comes back at the size the user gave it after a visit to
// the online side, and that size is what the dialog keeps when it closes on
// the online side.
TEST_F(OnlineHalf, TheLocalSideComesBackAtTheSizeTheUserGaveIt)
{
    RegDeleteKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), L"Select Files Window");
    ASSERT_TRUE(WriteSelectedOnlineGallery({MStringEx<wchar_t>(L"Demo"), 1033}));
    WriteMediaSource(true);
    SIZE resized = {};
    Run([&](HWND dialog, DWORD) {
        const auto size = [dialog] {
            RECT window = {};
            GetWindowRect(dialog, &window);
            return SIZE{window.right - window.left, window.bottom - window.top};
        };
        const SIZE opened = size();
        resized = {opened.cx + 120, opened.cy + 80};
        SetWindowPos(dialog, nullptr, 0, 0, resized.cx, resized.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(WaitUntil([&] { return size().cx == resized.cx && size().cy == resized.cy; }));

        HWND source = GetDlgItem(dialog, IDC_MEDIA_SOURCE);
        ChooseData(source, 0);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(GetDlgItem(dialog, IDC_ONLINE_GALLERY)) != FALSE; }));
        EXPECT_NE(size().cy, resized.cy) << "the online side has a height of its own";
        ChooseData(source, 1);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(GetDlgItem(dialog, IDC_FILE_LIST)) != FALSE; }));
        EXPECT_EQ(size().cx, resized.cx);
        EXPECT_EQ(size().cy, resized.cy);
        ChooseData(source, 0);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(GetDlgItem(dialog, IDC_ONLINE_GALLERY)) != FALSE; }));
    });
    LONG stored[6] = {};
    DWORD bytes = sizeof(stored);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), L"Select Files Window", RRF_RT_REG_BINARY,
                           nullptr, stored, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(stored[2] - stored[0], resized.cx);
    EXPECT_EQ(stored[3] - stored[1], resized.cy);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), L"Select Files Window");
}
