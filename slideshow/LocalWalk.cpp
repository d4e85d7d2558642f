#include "slideshow/LocalWalk.h"

#include "foundation/FolderPath.h"
#include "foundation/Handle.h"
#include "foundation/ShellHelpers.h"
#include "galleries/FileTypes.h"
#include "galleries/LocalGalleryStore.h"
#include "slideshow/DisplayControl.h"
#include "slideshow/PathMatching.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <cwctype>

// A folder as the file system knows it, whatever path or link led to it.
struct FolderIdentity
{
    DWORD volume = 0;
    ULONGLONG index = 0;
    bool operator==(const FolderIdentity& other) const { return volume == other.volume && index == other.index; }
};

namespace
{
// The identity of the folder at path; false when it cannot be read.
bool ReadFolderIdentity(const MString& path, FolderIdentity& identity)
{
    MHandle folder(CreateFileW(path.GetText(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!folder.IsValid() || !GetFileInformationByHandle(folder, &information))
        return false;
    identity.volume = information.dwVolumeSerialNumber;
    identity.index = static_cast<ULONGLONG>(information.nFileIndexHigh) << 32 | information.nFileIndexLow;
    return true;
}

// Entries inside folders with any of these are never shown: hidden, system,
// device, temporary, offline.
constexpr DWORD SkippedAttributes = 0x1146;

// The extensions of the file kinds that the galleries take.
const NoCaseSet& MediaExtensions()
{
    static const NoCaseSet set = [] {
        NoCaseSet extensions;
        for (const MString& extension : SupportedExtensions())
            extensions.insert(ViewOf(extension));
        return extensions;
    }();
    return set;
}

bool IsMediaFileName(const wchar_t* name)
{
    const wchar_t* dot = wcsrchr(name, L'.');
    return dot && MediaExtensions().count(std::wstring_view(dot + 1)) != 0;
}

MString JoinPath(const MString& folder, const wchar_t* name)
{
    const size_t length = static_cast<size_t>(folder.GetLength());
    if (length && folder[length - 1] == L'\\')
        return folder + name;
    return folder + L"\\" + name;
}

std::wstring Key(const MString& text)
{
    std::wstring key(ViewOf(text));
    for (wchar_t& c : key)
        c = static_cast<wchar_t>(towupper(c));
    return key;
}

// One entry of a folder scan.
struct Sibling
{
    MString name;
    bool folder;
    size_t arrival; // equal names keep the order they were found in
};

bool SiblingBefore(const Sibling& a, const Sibling& b)
{
    const int order = _wcsicmp(a.name.GetText(), b.name.GetText());
    return order != 0 ? order < 0 : a.arrival < b.arrival;
}

bool HasPath(const WalkItems& items, const MString& path)
{
    return std::any_of(items.begin(), items.end(),
                       [&](const std::unique_ptr<WalkFolder>& item) { return PathMatches(item->Name(), path); });
}

// Removes adjacent duplicates (equal without regard to case).
void RemoveAdjacentDuplicates(std::deque<MString>& list)
{
    auto end = std::unique(list.begin(), list.end(),
                           [](const MString& a, const MString& b) { return EqualsIgnoringCase(a, b); });
    list.erase(end, list.end());
}
}

size_t NoCaseHash::operator()(std::wstring_view text) const
{
    size_t hash = 14695981039346656037ull;
    for (wchar_t c : text)
        hash = (hash ^ static_cast<size_t>(towupper(c))) * 1099511628211ull;
    return hash;
}

bool NoCaseEqual::operator()(std::wstring_view a, std::wstring_view b) const
{
    return EqualsIgnoringCase(a.data(), a.size(), b.data(), b.size());
}

// ---- WalkFolder -----------------------------------------------------------------

MString WalkFolder::FullPath() const
{
    if (!m_parent)
        return m_name;
    return JoinPath(m_parent->FullPath(), m_name.GetText());
}

void WalkFolder::AddCompleted(const MString& name)
{
    if (IsCompleted(ViewOf(name)))
        return;
    m_completed.push_back(name);
    m_completedKeys.insert(ViewOf(m_completed.back()));
}

WalkFolder* WalkFolder::Child(const MString& name, bool create)
{
    const PathReference reference(name);
    for (const auto& child : m_children)
        if (PathMatches(reference, child->Name()))
            return child.get();
    return create ? &AddChild(name) : nullptr;
}

WalkFolder& WalkFolder::AddChild(const MString& name)
{
    m_children.push_back(std::make_unique<WalkFolder>(name, this));
    return *m_children.back();
}

void InsertByName(WalkItems& items, std::unique_ptr<WalkFolder> item)
{
    const auto at = std::upper_bound(items.begin(), items.end(), item,
                                     [](const std::unique_ptr<WalkFolder>& a, const std::unique_ptr<WalkFolder>& b) {
                                         return _wcsicmp(a->Name().GetText(), b->Name().GetText()) < 0;
                                     });
    items.insert(at, std::move(item));
}

std::vector<MString> ReadLocalGallerySelection()
{
    std::vector<MString> paths;
    const MString gallery = ReadSelectedLocalGallery();
    if (!gallery.IsEmpty())
        LoadLocalGalleryFiles(gallery, paths);
    return paths;
}

// ---- LocalWalk ------------------------------------------------------------------

LocalWalk::LocalWalk(const Display_order* displayOrder, SelectionReader readSelection)
    : m_displayOrder(displayOrder), m_readSelection(std::move(readSelection)), m_orderSeen(*displayOrder)
{
}

size_t LocalWalk::RandomIndex(size_t count) const
{
    if (*m_displayOrder != Display_order::Random || count == 0)
        return 0;
    return (count * static_cast<size_t>(rand() & 0x7FFF)) >> 15;
}

int LocalWalk::NextLocalFile(bool advance, const MString& currentPath, MString& nextPath)
{
    Lock lock(m_lock);
    if (m_selection.empty())
        return WalkSelectionEmpty;
    if (!advance)
        return ReplayShownFile(currentPath, nextPath) ? WalkFileFound : WalkNoEarlierFile;

    const bool showHidden = ExplorerShowsHiddenFiles();
    for (int loop = 0; loop < 2; ++loop)
    {
        if (m_state.remaining.empty())
            BeginLoop(currentPath);
        if (*m_displayOrder != m_orderSeen)
        {
            m_orderSeen = *m_displayOrder;
            std::stable_sort(m_state.remaining.begin(), m_state.remaining.end(),
                             [](const std::unique_ptr<WalkFolder>& a, const std::unique_ptr<WalkFolder>& b) {
                                 return _wcsicmp(a->Name().GetText(), b->Name().GetText()) < 0;
                             });
        }
        while (!m_state.remaining.empty())
        {
            const size_t index = RandomIndex(m_state.remaining.size());
            WalkFolder& item = *m_state.remaining[index];
            const DWORD attributes = GetFileAttributesW(item.Name().GetText());
            bool finished = true;
            if (attributes != INVALID_FILE_ATTRIBUTES && (!(attributes & FILE_ATTRIBUTE_HIDDEN) || showHidden))
            {
                if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
                {
                    if (!item.IsDone())
                    {
                        nextPath = item.Name();
                        return WalkFileFound;
                    }
                }
                else
                {
                    std::vector<FolderIdentity> above;
                    const int scan = ScanFolder(item, nextPath, above);
                    if (scan == 0)
                        return WalkFileFound;
                    finished = scan == 1 || scan == 2;
                }
            }
            if (finished)
            {
                std::unique_ptr<WalkFolder> done = std::move(m_state.remaining[index]);
                m_state.remaining.erase(m_state.remaining.begin() + static_cast<ptrdiff_t>(index));
                done->SetDone(true);
                m_state.processed.push_back(std::move(done));
            }
        }
        if (m_state.shownCount == 0)
            return WalkNothingToShow;
        if (m_state.shownCount == 1)
            return WalkOnlyCurrentFile;
        // Every file of this loop was shown: the next loop begins.
    }
    return WalkNothingToShow;
}

void LocalWalk::BeginLoop(const MString& currentPath)
{
    m_orderSeen = *m_displayOrder;
    RebuildRemaining();
    m_state.shownLastLoop = std::move(m_state.shownThisLoop);
    m_state.shownThisLoop.clear();
    m_state.shownCount = 0;
    m_state.uniqueNames.clear();
    IndexUniqueNames();
    if (!currentPath.IsEmpty())
    {
        // The file that ended the last loop does not begin the next one.
        MarkCompletedLocked(currentPath);
        m_carriedPath = currentPath;
        m_state.shownCount = 1;
    }
}

void LocalWalk::RebuildRemaining()
{
    m_state.remaining.clear();
    m_state.processed.clear();
    for (const MString& path : m_selection)
        InsertByName(m_state.remaining, std::make_unique<WalkFolder>(path));
}

int LocalWalk::ScanFolder(WalkFolder& node, MString& out, std::vector<FolderIdentity>& above)
{
    const MString folder = node.FullPath();
    // A folder link (a junction, a symbolic link) may lead back to a folder
    // this scan came through: its files are walked there, not here again and
    // again until the path grows too long to open.
    FolderIdentity identity;
    const bool identified = ReadFolderIdentity(folder, identity);
    if (identified && std::find(above.begin(), above.end(), identity) != above.end())
    {
        node.SetDone(true);
        return 2;
    }
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(JoinPath(folder, L"*").GetText(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 1;
    std::vector<Sibling> siblings;
    do
    {
        if (found.dwFileAttributes == INVALID_FILE_ATTRIBUTES || (found.dwFileAttributes & SkippedAttributes))
            continue;
        if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0)
            continue;
        if (node.IsCompleted(std::wstring_view(found.cFileName)))
            continue;
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!isFolder && !IsMediaFileName(found.cFileName))
            continue;
        siblings.push_back({MString(found.cFileName), isFolder, siblings.size()});
    } while (FindNextFileW(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES)
        return 1;

    // Only the chosen sibling needs its place in name order: nth_element
    // finds it without sorting the whole folder at every choice.
    while (!siblings.empty())
    {
        const size_t index = RandomIndex(siblings.size());
        std::nth_element(siblings.begin(), siblings.begin() + static_cast<ptrdiff_t>(index), siblings.end(),
                         SiblingBefore);
        Sibling& chosen = siblings[index];
        if (!chosen.folder)
        {
            out = JoinPath(folder, chosen.name.GetText());
            return 0;
        }
        WalkFolder& child = *node.Child(chosen.name, true);
        if (identified)
            above.push_back(identity);
        const int scan = ScanFolder(child, out, above);
        if (identified)
            above.pop_back();
        if (scan != 2)
            return scan;
        node.AddCompleted(chosen.name);
        siblings.erase(siblings.begin() + static_cast<ptrdiff_t>(index));
    }
    node.SetDone(true);
    return 2;
}

void LocalWalk::MarkFileCompleted(const MString& path)
{
    Lock lock(m_lock);
    MarkCompletedLocked(path);
}

void LocalWalk::MarkCompletedLocked(const MString& path)
{
    WalkFolder* item = nullptr;
    for (const auto& candidate : m_state.remaining)
        if (PathMatches(candidate->Name(), path))
        {
            candidate->SetDone(true);
            return;
        }
    for (const auto& candidate : m_state.remaining)
        if (PathLiesUnder(path, candidate->Name()))
        {
            item = candidate.get();
            break;
        }
    if (!item)
        return;
    MString rest = path.Mid(NormalizeFolderPath(item->Name()).GetLength());
    rest.Trim(L'\\');
    const std::vector<MString> names = SplitAtSeparator(rest, MString(L"\\"));
    WalkFolder* node = item;
    for (size_t i = 0; i < names.size(); ++i)
    {
        if (node->IsCompleted(ViewOf(names[i])))
            return;
        if (i + 1 < names.size())
            node = node->Child(names[i], true);
        else
            node->AddCompleted(names[i]);
    }
}

void LocalWalk::RecordShownFile(const MString& path, bool counts)
{
    Lock lock(m_lock);
    if (counts)
    {
        if (!m_carriedPath.IsEmpty())
        {
            // The first file of a new loop: the loop starts afresh, so that
            // the carried file is shown again later in it.
            m_carriedPath.Clear();
            m_state.shownCount = 0;
            RebuildRemaining();
        }
        m_state.shownThisLoop.push_back(path);
        ++m_state.shownCount;
        RemoveAdjacentDuplicates(m_state.shownThisLoop);
        RemoveAdjacentDuplicates(m_state.shownLastLoop);
    }
    MarkCompletedLocked(path);
}

bool LocalWalk::ReplayShownFile(const MString& currentPath, MString& out)
{
    for (std::deque<MString>* list : {&m_state.shownThisLoop, &m_state.shownLastLoop})
        while (!list->empty())
        {
            const MString entry = std::move(list->front());
            list->pop_front();
            if (!IsPathInSelectionLocked(entry))
                continue;
            MarkCompletedLocked(entry);
            if (!EqualsIgnoringCase(entry, currentPath))
            {
                out = entry;
                return true;
            }
        }
    return false;
}

void LocalWalk::RestartLocalWalk(bool fullReset, bool bump)
{
    Lock lock(m_lock);
    if (fullReset)
    {
        m_state = LocalWalkState();
        m_carriedPath.Clear();
        IndexUniqueNames();
    }
    m_selection = m_readSelection();
    if (fullReset)
        return;
    for (std::deque<MString>* list : {&m_state.shownThisLoop, &m_state.shownLastLoop})
        list->erase(std::remove_if(list->begin(), list->end(),
                                   [&](const MString& path) { return !IsPathInSelectionLocked(path); }),
                    list->end());
    const auto leftSelection = [&](const std::unique_ptr<WalkFolder>& item) {
        const PathReference reference(item->Name());
        return std::none_of(m_selection.begin(), m_selection.end(),
                            [&](const MString& path) { return PathMatches(reference, path); });
    };
    for (WalkItems* items : {&m_state.remaining, &m_state.processed})
        items->erase(std::remove_if(items->begin(), items->end(), leftSelection), items->end());
    if (bump)
    {
        m_state.shownCount += 2;
        for (const MString& path : m_selection)
            if (!HasPath(m_state.remaining, path) && !HasPath(m_state.processed, path))
                InsertByName(m_state.remaining, std::make_unique<WalkFolder>(path));
    }
}

bool LocalWalk::IsPathInSelection(const MString& path)
{
    Lock lock(m_lock);
    return IsPathInSelectionLocked(path);
}

bool LocalWalk::IsPathInSelectionLocked(const MString& path)
{
    if (path.IsEmpty())
        return false;
    const DWORD attributes = GetFileAttributesW(path.GetText());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    for (const MString& entry : m_selection)
        if (PathMatches(entry, path))
            return !(attributes & FILE_ATTRIBUTE_HIDDEN) || ExplorerShowsHiddenFiles();
    if (attributes & SkippedAttributes)
        return false;
    return std::any_of(m_selection.begin(), m_selection.end(),
                       [&](const MString& entry) { return PathLiesUnder(path, entry); });
}

bool LocalWalk::IsPathInWalk(const MString& path)
{
    Lock lock(m_lock);
    for (const WalkItems* items : {&m_state.remaining, &m_state.processed})
        for (const auto& item : *items)
            if (PathMatches(item->Name(), path) || PathLiesUnder(path, item->Name()))
                return true;
    return false;
}

MString LocalWalk::GetUniqueSlideName(const MString& path)
{
    Lock lock(m_lock);
    const auto known = m_nameByPath.find(Key(path));
    if (known != m_nameByPath.end())
        return known->second;
    const MString base = WithoutExtension(FileNameOf(path));
    unsigned& count = m_baseCount[Key(base)];
    const MString name = count == 0 ? base : MString(sX::Format(), L"%s *%u*", base.GetText(), count + 1);
    ++count;
    m_state.uniqueNames.push_back(path + L"|" + name);
    m_nameByPath.emplace(Key(path), name);
    return name;
}

void LocalWalk::IndexUniqueNames()
{
    m_nameByPath.clear();
    m_baseCount.clear();
    for (const MString& entry : m_state.uniqueNames)
    {
        // The name follows the first '|': no path holds one.
        const unsigned __int64 bar = entry.FindChar(L'|', 0, true);
        if (bar == MString::npos)
            continue;
        const MString path = entry.Left(bar);
        m_nameByPath.emplace(Key(path), entry.Mid(bar + 1));
        ++m_baseCount[Key(WithoutExtension(FileNameOf(path)))];
    }
}

bool LocalWalk::HasSelection()
{
    Lock lock(m_lock);
    return !m_selection.empty();
}

bool LocalWalk::HasOtherShownFile(const MString& currentPath)
{
    Lock lock(m_lock);
    for (const std::deque<MString>* list : {&m_state.shownThisLoop, &m_state.shownLastLoop})
        for (const MString& path : *list)
            if (!EqualsIgnoringCase(path, currentPath))
                return true;
    return false;
}

unsigned __int64 LocalWalk::ShownCount()
{
    Lock lock(m_lock);
    return m_state.shownCount;
}

void LocalWalk::LoadDisplayControl()
{
    {
        Lock lock(m_lock);
        m_orderSeen = *m_displayOrder;
        m_carriedPath.Clear();
        if (!::LoadDisplayControl(m_state))
            m_state = LocalWalkState();
        IndexUniqueNames();
    }
    RestartLocalWalk(false, false);
}

void LocalWalk::StoreDisplayControl()
{
    Lock lock(m_lock);
    ::StoreDisplayControl(m_state);
}
