// The local walk over real folder trees in a temporary folder, and its
// state stored under "Display Control" and loaded again.
#include "slideshow/DisplayControl.h"
#include "slideshow/LocalWalk.h"

#include "foundation/FolderPath.h"
#include "foundation/Registry.h"
#include "foundation/tests/HostileFiles.h"
#include "galleries/tests/GalleryTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
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

const wchar_t ExplorerAdvanced[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

void ShowHiddenFiles(bool show)
{
    const DWORD value = show ? 1 : 2;
    RegSetKeyValueW(HKEY_CURRENT_USER, ExplorerAdvanced, L"Hidden", REG_DWORD, &value, sizeof(value));
}

class LocalWalkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ShowHiddenFiles(false);
        srand(7);
    }
    void TearDown() override
    {
        ShowHiddenFiles(false);
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(ProgramSettingsKeyPath()) + L"\\Display Control").c_str());
    }

    // A walk over the given selection.
    std::unique_ptr<LocalWalk> Walk(std::vector<std::wstring> selection)
    {
        auto walk = std::make_unique<LocalWalk>(&m_order, [selection] {
            std::vector<MString> paths;
            for (const std::wstring& path : selection)
                paths.push_back(NormalizeFolderPath(path.c_str()));
            return paths;
        });
        walk->RestartLocalWalk(true, false);
        return walk;
    }

    // Chooses and records n files; stops at the first result other than 0.
    std::vector<std::wstring> Show(LocalWalk& walk, size_t n, int* last = nullptr)
    {
        std::vector<std::wstring> shown;
        for (size_t i = 0; i < n; ++i)
        {
            MString next;
            const int result = walk.NextLocalFile(true, m_current, next);
            if (last)
                *last = result;
            if (result != WalkFileFound)
                break;
            walk.RecordShownFile(next, true);
            m_current = next;
            shown.push_back(Text(next));
        }
        return shown;
    }

    Display_order m_order = Display_order::ByName;
    MString m_current;
    GalleryTest::TempTree m_tree;
};
}

TEST_F(LocalWalkTest, OneFileIsShownThenItIsTheOnlyOne)
{
    const std::wstring file = m_tree.File(L"only.jpg");
    auto walk = Walk({file});
    int last = -1;
    EXPECT_EQ(Show(*walk, 1, &last), std::vector<std::wstring>{file});
    EXPECT_TRUE(Show(*walk, 1, &last).empty());
    EXPECT_EQ(last, WalkOnlyCurrentFile);
    EXPECT_TRUE(walk->HasSelection());
    EXPECT_FALSE(walk->HasOtherShownFile(file.c_str()));

    MString next;
    auto empty = Walk({});
    EXPECT_EQ(empty->NextLocalFile(true, MString(), next), WalkSelectionEmpty);
    EXPECT_FALSE(empty->HasSelection());
}

TEST_F(LocalWalkTest, NothingToShow)
{
    // Missing paths, hidden files, unknown extensions and hidden entries inside folders.
    const std::wstring folder = m_tree.Folder(L"pictures");
    m_tree.File(L"pictures\\notes.doc");
    m_tree.File(L"pictures\\README");
    const std::wstring hiddenInside = m_tree.File(L"pictures\\secret.jpg");
    SetFileAttributesW(hiddenInside.c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::wstring hidden = m_tree.File(L"hidden.jpg");
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    auto walk = Walk({folder, hidden, m_tree.At(L"missing.jpg")});
    MString next;
    EXPECT_EQ(walk->NextLocalFile(true, MString(), next), WalkNothingToShow);

    // A hidden selected item is taken once Explorer shows hidden files;
    // hidden entries inside folders never are.
    ShowHiddenFiles(true);
    auto again = Walk({folder, hidden});
    EXPECT_EQ(Show(*again, 5), std::vector<std::wstring>{hidden});
}

TEST_F(LocalWalkTest, SelectedFilesOfAnyKindAndFolderFilesInNameOrder)
{
    const std::wstring folder = m_tree.Folder(L"Album");
    m_tree.File(L"Album\\b.PNG");
    m_tree.Folder(L"Album\\a sub");
    m_tree.File(L"Album\\a sub\\z.gif");
    m_tree.File(L"Album\\C.jpg");
    m_tree.File(L"Album\\d.doc");
    const std::wstring odd = m_tree.File(L"report.doc");
    auto walk = Walk({folder, odd});
    EXPECT_EQ(Show(*walk, 4), (std::vector<std::wstring>{m_tree.At(L"Album\\a sub\\z.gif"), m_tree.At(L"Album\\b.PNG"),
                                                          m_tree.At(L"Album\\C.jpg"), odd}));
}

TEST_F(LocalWalkTest, EveryLoopShowsEachFileOnceAndNeverStartsWithTheLastFile)
{
    m_order = Display_order::Random;
    const std::wstring folder = m_tree.Folder(L"mix");
    std::set<std::wstring> all;
    for (const wchar_t* name : {L"a.jpg", L"b.jpg", L"c.png", L"d.gif", L"sub\\e.jpg", L"sub\\deep\\f.jpg"})
    {
        if (wcschr(name, L'\\'))
        {
            m_tree.Folder(L"mix\\sub");
            m_tree.Folder(L"mix\\sub\\deep");
        }
        all.insert(Lower(m_tree.File(std::wstring(L"mix\\") + name)));
    }
    const std::wstring single = m_tree.File(L"single.bmp");
    all.insert(Lower(single));
    auto walk = Walk({folder, single});
    for (int loop = 0; loop < 8; ++loop)
    {
        const std::wstring before = Text(m_current);
        std::vector<std::wstring> shown = Show(*walk, all.size());
        ASSERT_EQ(shown.size(), all.size()) << loop;
        std::set<std::wstring> seen;
        for (const std::wstring& path : shown)
            seen.insert(Lower(path));
        EXPECT_EQ(seen, all) << loop;
        if (!before.empty())
        {
            EXPECT_NE(Lower(shown.front()), Lower(before)) << loop;
        }
    }
}

TEST_F(LocalWalkTest, AFolderLinkBackToItsParentIsNotWalkedInto)
{
    // The link sorts before the pictures, so that the walk meets it first,
    // in name order and, for some of the seeds, at random.
    const std::wstring folder = m_tree.Folder(L"album");
    std::set<std::wstring> all;
    for (const wchar_t* name : {L"b.jpg", L"c.png", L"d.gif"})
        all.insert(Lower(m_tree.File(std::wstring(L"album\\") + name)));
    HostileFiles::FolderLink loop(m_tree.At(L"album\\a loop"), folder);
    ASSERT_TRUE(loop.Made());
    for (const Display_order order : {Display_order::ByName, Display_order::Random})
        for (unsigned seed = 1; seed <= 4; ++seed)
        {
            SCOPED_TRACE(testing::Message() << "order " << static_cast<int>(order) << ", seed " << seed);
            m_order = order;
            srand(seed);
            m_current = MString();
            auto walk = Walk({folder});
            std::set<std::wstring> seen;
            for (const std::wstring& path : Show(*walk, all.size()))
                seen.insert(Lower(path));
            EXPECT_EQ(seen, all);
        }
}

TEST_F(LocalWalkTest, UniqueNames)
{
    m_tree.Folder(L"one");
    m_tree.Folder(L"two");
    const std::wstring x1 = m_tree.File(L"one\\x.jpg"), x2 = m_tree.File(L"two\\x.png"), x3 = m_tree.File(L"x.gif");
    auto walk = Walk({m_tree.Path()});
    EXPECT_EQ(Text(walk->GetUniqueSlideName(x1.c_str())), L"x");
    EXPECT_EQ(Text(walk->GetUniqueSlideName(x2.c_str())), L"x *2*");
    EXPECT_EQ(Text(walk->GetUniqueSlideName(x3.c_str())), L"x *3*");
    EXPECT_EQ(Text(walk->GetUniqueSlideName(Lower(x2).c_str())), L"x *2*");
}

TEST_F(LocalWalkTest, MembershipOfPaths)
{
    const std::wstring folder = m_tree.Folder(L"in");
    const std::wstring inside = m_tree.File(L"in\\a.jpg");
    const std::wstring hiddenInside = m_tree.File(L"in\\h.jpg");
    SetFileAttributesW(hiddenInside.c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::wstring outside = m_tree.File(L"out.jpg");
    auto walk = Walk({folder});
    EXPECT_TRUE(walk->IsPathInSelection(inside.c_str()));
    EXPECT_TRUE(walk->IsPathInSelection(folder.c_str()));
    EXPECT_FALSE(walk->IsPathInSelection(hiddenInside.c_str()));
    EXPECT_FALSE(walk->IsPathInSelection(outside.c_str()));
    EXPECT_FALSE(walk->IsPathInSelection(m_tree.At(L"in\\gone.jpg").c_str()));
    Show(*walk, 1);
    EXPECT_TRUE(walk->IsPathInWalk(inside.c_str()));
    EXPECT_FALSE(walk->IsPathInWalk(outside.c_str()));
}

TEST_F(LocalWalkTest, GoingBackReplaysTheShownFiles)
{
    const std::wstring folder = m_tree.Folder(L"f");
    const std::wstring a = m_tree.File(L"f\\a.jpg"), b = m_tree.File(L"f\\b.jpg");
    auto walk = Walk({folder});
    Show(*walk, 2);
    EXPECT_TRUE(walk->HasOtherShownFile(b.c_str()));
    MString back;
    ASSERT_EQ(walk->NextLocalFile(false, b.c_str(), back), WalkFileFound);
    EXPECT_EQ(Text(back), a);
    // Each replayed file leaves the list: then b, then nothing.
    ASSERT_EQ(walk->NextLocalFile(false, a.c_str(), back), WalkFileFound);
    EXPECT_EQ(Text(back), b);
    EXPECT_EQ(walk->NextLocalFile(false, b.c_str(), back), WalkNoEarlierFile);
}

TEST_F(LocalWalkTest, StateSurvivesTheNextRun)
{
    m_tree.Folder(L"top");
    m_tree.Folder(L"top\\l1");
    m_tree.Folder(L"top\\l1\\l2");
    for (const wchar_t* name : {L"top\\a.jpg", L"top\\b.jpg", L"top\\l1\\c.jpg", L"top\\l1\\d.jpg",
                                L"top\\l1\\l2\\e.jpg", L"top\\l1\\l2\\f.jpg"})
        m_tree.File(name);
    const std::wstring top = m_tree.At(L"top");
    std::vector<std::wstring> first;
    MString nameOfE;
    {
        auto walk = Walk({top});
        // a, b, c, d, e in name order: completed items on every level.
        m_order = Display_order::ByName;
        first = Show(*walk, 5);
        ASSERT_EQ(first.size(), 5u);
        nameOfE = walk->GetUniqueSlideName(first.back().c_str());
        walk->StoreDisplayControl();
    }
    auto walk = Walk({top});
    walk->LoadDisplayControl();
    RegistryKey gone;
    EXPECT_FALSE(gone.Open(HKEY_CURRENT_USER, (std::wstring(ProgramSettingsKeyPath()) + L"\\Display Control").c_str(),
                           KEY_READ));
    EXPECT_EQ(walk->ShownCount(), 5u);
    EXPECT_EQ(Text(walk->GetUniqueSlideName(first.back().c_str())), Text(nameOfE));
    // The rest of the interrupted loop: only f is left.
    EXPECT_EQ(Show(*walk, 1), std::vector<std::wstring>{m_tree.At(L"top\\l1\\l2\\f.jpg")});
}

TEST_F(LocalWalkTest, AnyChangedByteVoidsTheStoredState)
{
    const std::wstring folder = m_tree.Folder(L"s");
    m_tree.Folder(L"s\\inner");
    m_tree.File(L"s\\a.jpg");
    m_tree.File(L"s\\inner\\b.jpg");
    m_tree.File(L"s\\inner\\c.jpg");
    const std::wstring control = std::wstring(ProgramSettingsKeyPath()) + L"\\Display Control";

    // Every value of the stored tree, by key path and name.
    struct Value
    {
        std::wstring key;
        std::wstring name;
    };
    std::vector<Value> values;
    // Subkeys in the order of the node names they hold, so that the n-th
    // value is the same value after every store (the GUID key names are new
    // each time).
    std::function<void(const std::wstring&)> collect = [&](const std::wstring& key) {
        RegistryKey open;
        ASSERT_TRUE(open.Open(HKEY_CURRENT_USER, key.c_str(), KEY_READ));
        for (DWORD i = 0;; ++i)
        {
            wchar_t name[300];
            DWORD length = 300;
            if (RegEnumValueW(open.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            values.push_back({key, name});
        }
        std::vector<std::pair<std::wstring, std::wstring>> children; // node name, key path
        for (DWORD i = 0;; ++i)
        {
            wchar_t name[300];
            DWORD length = 300;
            if (RegEnumKeyExW(open.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            const std::wstring child = key + L"\\" + name;
            wchar_t node[600] = {};
            DWORD size = sizeof(node);
            RegGetValueW(HKEY_CURRENT_USER, child.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, node, &size);
            children.push_back({std::wstring(name[0] == L'{' ? node : name), child});
        }
        std::sort(children.begin(), children.end());
        for (const auto& child : children)
            collect(child.second);
    };
    const auto store = [&] {
        auto walk = Walk({folder});
        Show(*walk, 2);
        walk->StoreDisplayControl();
        values.clear();
        collect(control);
    };
    store();
    const size_t count = values.size();
    ASSERT_GE(count, 10u);

    for (size_t i = 0; i < count; ++i)
    {
        store();
        ASSERT_EQ(values.size(), count);
        const Value now = values[i];
        const wchar_t* name = now.name.empty() ? nullptr : now.name.c_str();
        RegistryKey key;
        ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, now.key.c_str(), KEY_ALL_ACCESS));
        DWORD type = 0, size = 0;
        ASSERT_EQ(key.Query(name, type, nullptr, size), ERROR_SUCCESS);
        if (size == 0)
            continue;
        std::vector<unsigned char> bytes(size);
        key.Query(name, type, bytes.data(), size);
        bytes[size / 2] ^= 0x01;
        key.Set(name, type, bytes.data(), size);
        key.Close();

        LocalWalkState state;
        EXPECT_FALSE(LoadDisplayControl(state)) << now.key << L" " << now.name;
        EXPECT_EQ(state.shownCount, 0u);
        EXPECT_TRUE(state.remaining.empty() && state.processed.empty() && state.shownThisLoop.empty());
    }
}

TEST_F(LocalWalkTest, FewerCountedThanListedVoidsTheState)
{
    LocalWalkState state;
    state.shownCount = 2;
    for (const wchar_t* path : {L"C:\\a.jpg", L"C:\\b.jpg", L"C:\\c.jpg"})
        state.shownThisLoop.push_back(path);
    StoreDisplayControl(state);
    LocalWalkState loaded;
    EXPECT_FALSE(LoadDisplayControl(loaded));

    state.shownCount = 3;
    StoreDisplayControl(state);
    ASSERT_TRUE(LoadDisplayControl(loaded));
    EXPECT_EQ(loaded.shownThisLoop.size(), 3u);
    // First run: nothing stored, nothing loaded, no failure.
    EXPECT_FALSE(LoadDisplayControl(loaded));
}
