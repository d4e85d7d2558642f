// The walk through the selected local gallery: which file the slide show
// presents next. A gallery is a list of selected files and folders; folders
// are walked into when they are reached. Within one loop every displayable
// file is presented once, in name order or at random; the next loop never
// begins with the file that ended the last. The walk remembers what it has
// finished in a tree of folders, the files shown in this and the last loop,
// and the display name given to each file; "Display Control" keeps all of it
// between runs (slideshow/DisplayControl.h).
#pragma once

#include "foundation/StringEx.h"
#include "foundation/Sync.h"
#include "slideshow/SettingsTypes.h"
#include "slideshow/SlideStep.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct FolderIdentity;

// Hash and equality of texts without regard to case (towupper of each unit).
struct NoCaseHash
{
    size_t operator()(std::wstring_view text) const;
};
struct NoCaseEqual
{
    bool operator()(std::wstring_view a, std::wstring_view b) const;
};
using NoCaseSet = std::unordered_set<std::wstring_view, NoCaseHash, NoCaseEqual>;

inline std::wstring_view ViewOf(const MString& text)
{
    return std::wstring_view(text.GetText(), static_cast<size_t>(text.GetLength()));
}

// One node of the finished-tree: a selected item (a top node) or a folder
// below one. A top node's name is the selected path, a child's its folder
// name. done: all of the node's content is finished in this loop (for a top
// item: the item itself is).
class WalkFolder
{
public:
    explicit WalkFolder(const MString& name, WalkFolder* parent = nullptr) : m_name(name), m_parent(parent) {}
    WalkFolder(const WalkFolder&) = delete;
    WalkFolder& operator=(const WalkFolder&) = delete;

    const MString& Name() const { return m_name; }
    // The names from the top node down joined by '\'.
    MString FullPath() const;
    bool IsDone() const { return m_done; }
    void SetDone(bool done) { m_done = done; }

    // Names of entries inside this folder finished in this loop, in the
    // order they were finished; looked up without regard to case.
    const std::deque<MString>& CompletedItems() const { return m_completed; }
    bool IsCompleted(std::wstring_view name) const { return m_completedKeys.count(name) != 0; }
    void AddCompleted(const MString& name);

    const std::vector<std::unique_ptr<WalkFolder>>& Children() const { return m_children; }
    // The child of that name (PathMatches), created when asked and missing.
    WalkFolder* Child(const MString& name, bool create);
    WalkFolder& AddChild(const MString& name);

private:
    MString m_name;
    WalkFolder* m_parent;
    bool m_done = false;
    std::deque<MString> m_completed;
    NoCaseSet m_completedKeys;
    std::vector<std::unique_ptr<WalkFolder>> m_children;
};

using WalkItems = std::vector<std::unique_ptr<WalkFolder>>;

// Adds a top item after the items whose names are not greater without
// regard to case (the C runtime's _wcsicmp order).
void InsertByName(WalkItems& items, std::unique_ptr<WalkFolder> item);

// What the walk keeps between runs.
struct LocalWalkState
{
    WalkItems remaining;            // top items still to be walked in this loop
    WalkItems processed;            // top items finished in this loop
    unsigned __int64 shownCount = 0; // files presented in this loop
    std::deque<MString> shownThisLoop;
    std::deque<MString> shownLastLoop;
    std::vector<MString> uniqueNames; // "path|name"
};

// Reads the selected gallery's entries (ReadSelectedLocalGallery and
// LoadLocalGalleryFiles).
std::vector<MString> ReadLocalGallerySelection();

// Results of NextLocalFile.
enum LocalWalkResult : int
{
    WalkFileFound = 0,
    WalkSelectionEmpty = 1,
    WalkNothingToShow = 2,
    WalkOnlyCurrentFile = 3,
    WalkNoEarlierFile = 4,
};

class LocalWalk : public LocalSlideWalk
{
public:
    using SelectionReader = std::function<std::vector<MString>()>;

    // displayOrder: the settings field, read at every choice; it must
    // outlive the walk.
    explicit LocalWalk(const Display_order* displayOrder,
                       SelectionReader readSelection = ReadLocalGallerySelection);

    int NextLocalFile(bool advance, const MString& currentPath, MString& nextPath) override;
    void MarkFileCompleted(const MString& path) override;
    // The file was prepared and presented; counts: it counts in this loop.
    void RecordShownFile(const MString& path, bool counts);
    // After the gallery changed: read the selection again and drop what no
    // longer belongs to it (fullReset: forget everything first); bump: new
    // selected items enter the loop now.
    void RestartLocalWalk(bool fullReset, bool bump);
    bool IsPathInSelection(const MString& path);
    bool IsPathInWalk(const MString& path);
    // The file name without extension, made unique within the loop with
    // " *2*", " *3*" ...
    MString GetUniqueSlideName(const MString& path);
    // The selected gallery holds entries.
    bool HasSelection();
    // A path in the shown lists other than the current one exists.
    bool HasOtherShownFile(const MString& currentPath);

    // Takes over the state stored at the last end and deletes it from the
    // registry; a damaged store leaves an empty walk. Then reads the
    // selection again (RestartLocalWalk(false, false)).
    void LoadDisplayControl();
    // Stores the state under "Display Control" for the next run.
    void StoreDisplayControl();

    unsigned __int64 ShownCount();

private:
    bool ReplayShownFile(const MString& currentPath, MString& out);
    void BeginLoop(const MString& currentPath);
    void RebuildRemaining();
    void MarkCompletedLocked(const MString& path);
    bool IsPathInSelectionLocked(const MString& path);
    // 0 found, 1 cannot read, 2 exhausted. above: the folders the scan
    // came down through, so that a folder link back to one of them (a loop)
    // is not walked into again.
    int ScanFolder(WalkFolder& node, MString& out, std::vector<FolderIdentity>& above);
    size_t RandomIndex(size_t count) const;
    void IndexUniqueNames();

    const Display_order* m_displayOrder;
    SelectionReader m_readSelection;
    CriticalSection m_lock;
    std::vector<MString> m_selection;
    Display_order m_orderSeen;
    LocalWalkState m_state;
    // The file that ended the previous loop while the new one has shown nothing.
    MString m_carriedPath;
    // Look-ups into m_state.uniqueNames: the name by path, and how many
    // names were given per file name without extension.
    std::unordered_map<std::wstring, MString> m_nameByPath;
    std::unordered_map<std::wstring, unsigned> m_baseCount;
};
