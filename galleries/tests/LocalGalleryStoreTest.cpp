// The local galleries in the registry: the gallery in use, loading and
// saving a gallery's entries, and the removal of one entry.
#include "galleries/GalleryEntryCheck.h"
#include "galleries/LocalGalleryStore.h"
#include "galleries/MediaProbe.h"
#include "galleries/tests/GalleryTestFiles.h"
#include "foundation/Registry.h"
#include "resources/languages/LanguageIds.h"

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

std::wstring GalleriesKey() { return std::wstring(ProgramSettingsKeyPath()) + L"\\Local Galleries"; }

void WriteText(const std::wstring& key, const wchar_t* name, const std::wstring& text)
{
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

bool Exists(const std::wstring& key, const wchar_t* name)
{
    return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// Value name -> path of every REG_SZ value of a gallery key.
std::map<std::wstring, std::wstring> Values(const std::wstring& key)
{
    std::map<std::wstring, std::wstring> values;
    RegistryKey open;
    if (!open.Open(HKEY_CURRENT_USER, key.c_str(), KEY_READ))
        return values;
    for (DWORD i = 0;; ++i)
    {
        wchar_t name[256], data[1024];
        DWORD nameLength = 256, size = sizeof(data), type = 0;
        if (RegEnumValueW(open.Get(), i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS)
            break;
        values[name] = type == REG_SZ ? data : L"<other>";
    }
    return values;
}

std::vector<std::wstring> Texts(const std::vector<MString>& list)
{
    std::vector<std::wstring> texts;
    for (const MString& s : list)
        texts.push_back(Text(s));
    return texts;
}

// Every file is media of one second; none has a title.
class AllMedia : public MediaProbe
{
public:
    bool Probe(const MString&, MediaFacts& facts) override
    {
        facts.duration = 1.0;
        return true;
    }
};

std::vector<std::wstring> g_messages;
void Record(HWND, const MString& text) { g_messages.push_back(Text(text)); }

class LocalGalleryStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, GalleriesKey().c_str());
        m_module = LoadLibraryExW(L"Resources EN US.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_module, nullptr);
        m_previousModule = LanguageModule;
        LanguageModule = m_module;
        g_messages.clear();
        SetGalleryStoreReporter(&Record);
    }
    void TearDown() override
    {
        SetGalleryStoreReporter(nullptr);
        LanguageModule = m_previousModule;
        FreeLibrary(m_module);
        RegDeleteTreeW(HKEY_CURRENT_USER, GalleriesKey().c_str());
    }

    std::wstring Message(UINT id, const wchar_t* name) const
    {
        return Text(MString(sX::Format(), id, name));
    }

    GalleryTest::GdiplusScope m_gdiplus;
    HMODULE m_module = nullptr;
    HMODULE m_previousModule = nullptr;
};
}

TEST_F(LocalGalleryStoreTest, SelectedGalleryIsATextOrNothing)
{
    EXPECT_TRUE(ReadSelectedLocalGallery().IsEmpty());
    WriteText(GalleriesKey(), L"Selected Local Gallery", L"Summer 2024");
    EXPECT_EQ(Text(ReadSelectedLocalGallery()), L"Summer 2024");

    // The longest name the name dialog accepts stays selected.
    const std::wstring longest(255, L'g');
    EXPECT_TRUE(WriteSelectedLocalGallery(nullptr, longest.c_str()));
    EXPECT_EQ(Text(ReadSelectedLocalGallery()), longest);
    EXPECT_FALSE(WriteSelectedLocalGallery(nullptr, L""));

    const DWORD number = 7;
    RegSetKeyValueW(HKEY_CURRENT_USER, GalleriesKey().c_str(), L"Selected Local Gallery", REG_DWORD, &number,
                    sizeof(number));
    EXPECT_TRUE(ReadSelectedLocalGallery().IsEmpty());
    EXPECT_FALSE(Exists(GalleriesKey(), L"Selected Local Gallery"));
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(LocalGalleryStoreTest, GalleriesAreListedInCodeUnitOrder)
{
    for (const wchar_t* name : {L"beach", L"Autumn", L"Zoo", L"alps"})
    {
        RegistryKey key;
        ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, (GalleriesKey() + L"\\" + name).c_str(), KEY_READ));
    }
    std::vector<MString> names;
    ListLocalGalleries(names);
    EXPECT_EQ(Texts(names), (std::vector<std::wstring>{L"Autumn", L"Zoo", L"alps", L"beach"}));
}

TEST_F(LocalGalleryStoreTest, LoadKeepsNormalisedUncoveredEntriesInOrder)
{
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring key = GalleriesKey() + L"\\Summer";
    const struct
    {
        const wchar_t* value;
        std::wstring path;
        bool kept;
    } entries[] = {
        {L"{00000000-0000-0000-0000-000000000001}", L"C:\\Photos\\Summer\\a.jpg", false}, // covered by C:\Photos
        {L"{00000000-0000-0000-0000-000000000002}", L"c:\\photos\\", false}, // one of these two stays
        {L"{00000000-0000-0000-0000-000000000003}", L"C:\\Photos", false},
        {L"{00000000-0000-0000-0000-000000000004}", windows, false},
        {L"{00000000-0000-0000-0000-000000000005}", std::wstring(windows) + L"\\win.ini", true},
        {L"{00000000-0000-0000-0000-000000000006}", L"D:/Art/b.png", true},
        {L"{00000000-0000-0000-0000-000000000007}", L"C:\\" + std::wstring(260, L'x'), false},
        {L"{00000000-0000-0000-0000-000000000008}", L"a:\\first.jpg", true},
    };
    for (const auto& entry : entries)
        WriteText(key, entry.value, entry.path);
    const DWORD number = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"{00000000-0000-0000-0000-000000000009}", REG_DWORD, &number,
                    sizeof(number));

    std::vector<MString> paths;
    LoadLocalGalleryFiles(L"Summer", paths);
    // Which of the two equal entries survives depends on the enumeration
    // order; exactly one C:\Photos does, normalised.
    std::vector<std::wstring> expected = {L"a:\\first.jpg", L"C:\\Photos", std::wstring(windows) + L"\\win.ini",
                                          L"D:\\Art\\b.png"};
    std::sort(expected.begin(), expected.end(),
              [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
    std::vector<std::wstring> loaded = Texts(paths);
    for (std::wstring& path : loaded)
        path = Lower(path);
    for (std::wstring& path : expected)
        path = Lower(path);
    EXPECT_EQ(loaded, expected);

    const auto values = Values(key);
    EXPECT_EQ(values.size(), 4u);
    for (const auto& entry : entries)
        if (entry.kept)
        {
            EXPECT_EQ(values.count(entry.value), 1u) << entry.value;
        }
    EXPECT_NE(Exists(key, L"{00000000-0000-0000-0000-000000000002}"),
              Exists(key, L"{00000000-0000-0000-0000-000000000003}"));
    EXPECT_FALSE(Exists(key, L"{00000000-0000-0000-0000-000000000001}"));
    EXPECT_FALSE(Exists(key, L"{00000000-0000-0000-0000-000000000007}"));
    EXPECT_FALSE(Exists(key, L"{00000000-0000-0000-0000-000000000009}"));

    // A gallery without a key loads empty and gets its key.
    paths.clear();
    LoadLocalGalleryFiles(L"Winter", paths);
    EXPECT_TRUE(paths.empty());
    RegistryKey winter;
    EXPECT_TRUE(winter.Open(HKEY_CURRENT_USER, (GalleriesKey() + L"\\Winter").c_str(), KEY_READ));
}

TEST_F(LocalGalleryStoreTest, SaveKeepsValueNamesOfEntriesThatStay)
{
    GalleryTest::TempTree tree;
    const std::wstring a = tree.File(L"a.txt"), b = tree.File(L"b.htm"), folder = tree.Folder(L"more");
    AllMedia media;
    const GalleryEntryCheck check(&media);

    ASSERT_TRUE(SaveLocalGalleryFiles(nullptr, L"Summer", {a.c_str(), b.c_str(), folder.c_str()}, true, check).saved);
    const std::wstring key = GalleriesKey() + L"\\Summer";
    const auto first = Values(key);
    ASSERT_EQ(first.size(), 3u);

    // Unchanged: every value keeps its name.
    ASSERT_TRUE(SaveLocalGalleryFiles(nullptr, L"Summer", {a.c_str(), b.c_str(), folder.c_str()}, true, check).saved);
    EXPECT_EQ(Values(key), first);

    // One entry gone: exactly its value goes.
    ASSERT_TRUE(SaveLocalGalleryFiles(nullptr, L"Summer", {a.c_str(), folder.c_str()}, true, check).saved);
    auto expected = first;
    for (auto it = expected.begin(); it != expected.end();)
        it = it->second == b ? expected.erase(it) : std::next(it);
    EXPECT_EQ(Values(key), expected);
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(LocalGalleryStoreTest, SaveRefusesEntriesThatFailTheirCheck)
{
    GalleryTest::TempTree tree;
    const std::wstring good = tree.File(L"notes.txt");
    const std::wstring tiny = tree.At(L"tiny.png");
    ASSERT_TRUE(GalleryTest::WritePicture(tiny, 23, 500));
    const std::wstring picture = tree.At(L"fine.png");
    ASSERT_TRUE(GalleryTest::WritePicture(picture, 24, 24));
    const std::wstring unknown = tree.File(L"data.bin");
    const std::wstring missing = tree.At(L"gone.jpg");
    const GalleryEntryCheck check(nullptr);

    EXPECT_EQ(check.Check(picture.c_str()), 0u);
    EXPECT_EQ(check.Check(tiny.c_str()), static_cast<UINT>(IDS_SCAN_TOO_SMALL));
    EXPECT_EQ(check.Check(unknown.c_str()), static_cast<UINT>(IDS_SCAN_UNSUPPORTED));
    EXPECT_EQ(check.Check(missing.c_str()), static_cast<UINT>(IDS_SCAN_NOT_FOUND));
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(check.Check(windows), static_cast<UINT>(IDS_SCAN_WINDOWS_FOLDER));

    const struct
    {
        std::vector<MString> paths;
        UINT message;
        ptrdiff_t firstFailure;
    } cases[] = {
        {{missing.c_str()}, IDS_GALLERY_ONLY_ENTRY_FAILED, 0},
        {{missing.c_str(), tiny.c_str()}, IDS_GALLERY_ALL_ENTRIES_FAILED, 0},
        {{good.c_str(), unknown.c_str(), picture.c_str()}, IDS_GALLERY_ONE_ENTRY_FAILED, 1},
        {{good.c_str(), unknown.c_str(), tiny.c_str()}, IDS_GALLERY_SOME_ENTRIES_FAILED, 1},
        {{}, IDS_GALLERY_EMPTY, -1},
    };
    for (const auto& c : cases)
    {
        g_messages.clear();
        const GallerySave save = SaveLocalGalleryFiles(nullptr, L"Autumn", c.paths, true, check);
        EXPECT_FALSE(save.saved);
        EXPECT_EQ(save.firstFailure, c.firstFailure);
        EXPECT_EQ(g_messages, std::vector<std::wstring>{Message(c.message, L"Autumn")});
        EXPECT_TRUE(Values(GalleriesKey() + L"\\Autumn").empty());
    }
    g_messages.clear();
    EXPECT_FALSE(SaveLocalGalleryFiles(nullptr, L"Autumn", {missing.c_str()}, false, check).saved);
    EXPECT_FALSE(SaveLocalGalleryFiles(nullptr, L"", {good.c_str()}, false, check).saved);
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(LocalGalleryStoreTest, SaveReportsAGalleryKeyThatCannotBeMade)
{
    GalleryTest::TempTree tree;
    const std::wstring file = tree.File(L"notes.txt");
    const GalleryEntryCheck check(nullptr);
    // A key name longer than the registry allows cannot be created.
    const std::wstring name(300, L'n');
    EXPECT_FALSE(SaveLocalGalleryFiles(nullptr, name.c_str(), {file.c_str()}, true, check).saved);
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0].rfind(Text(MString(sX::Format(), IDS_GALLERY_SAVE_FAILED, name.c_str(), L"")), 0), 0u);
}

TEST_F(LocalGalleryStoreTest, RemovesTheFirstEntryEqualIgnoringCase)
{
    const std::wstring gallery = GalleriesKey() + L"\\Summer";
    WriteText(gallery, L"{00000000-0000-0000-0000-000000000001}", L"C:\\Pictures\\Sea.jpg");
    WriteText(gallery, L"{00000000-0000-0000-0000-000000000002}", L"C:\\Pictures\\Sea.jpg.bak");
    WriteText(gallery, L"{00000000-0000-0000-0000-000000000003}", L"C:\\Pictures\\Hills.png");

    EXPECT_TRUE(RemoveFileFromLocalGallery(L"Summer", L"c:\\pictures\\SEA.JPG"));
    EXPECT_FALSE(Exists(gallery, L"{00000000-0000-0000-0000-000000000001}"));
    EXPECT_TRUE(Exists(gallery, L"{00000000-0000-0000-0000-000000000002}"));
    EXPECT_TRUE(Exists(gallery, L"{00000000-0000-0000-0000-000000000003}"));
    // Gone already, or never there: false.
    EXPECT_FALSE(RemoveFileFromLocalGallery(L"Summer", L"C:\\Pictures\\Sea.jpg"));
    EXPECT_FALSE(RemoveFileFromLocalGallery(L"Winter", L"C:\\Pictures\\Hills.png"));
}
