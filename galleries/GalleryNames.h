// Names in the gallery dialog: the check of a new file name, the check of a
// gallery name typed in the name dialog, the name dialog itself, and the
// registry side of creating, renaming and deleting a gallery.
#pragma once

#include "foundation/StringEx.h"
#include "resources/languages/LanguageIds.h"
#include "standins/atl/AtlWindow.h"

#include <windows.h>

// The id of the first fault of a new file name, 0 when none. folder (may be
// empty) is where the file lies: the name must fit beside it and be new there.
UINT CheckFileName(const MString& name, const MString& folder);

// The nine characters no file name may hold.
extern const wchar_t ForbiddenFileNameCharacters[];

// What the name dialog makes of the typed text (already trimmed): 0 to take
// it, NameUnchanged to end without a change, else the id of the message.
constexpr UINT NameUnchanged = static_cast<UINT>(-1);
UINT CheckGalleryName(const MString& typed, const MString& startName);

// The registry side of the gallery commands; each answers 0 or the system
// error of the failing call. RenameGalleryKey reports through failedName
// whether the old or the new name failed.
LONG CreateGalleryKey(const MString& name);
LONG RenameGalleryKey(const MString& oldName, const MString& newName, MString& failedName);
LONG DeleteGalleryKey(const MString& name);
// Replaces the first entry of the gallery equal to oldPath (ignoring case)
// with newPath; ERROR_FILE_NOT_FOUND when no entry holds it.
LONG RenameGalleryEntry(const MString& gallery, const MString& oldPath, const MString& newPath);

// The modal name dialog (template 100): an in-out name, empty for a new
// gallery.
class CLocalGalleryName : public ATL::CDialogImpl<CLocalGalleryName>
{
public:
    enum
    {
        IDD = IDD_LOCAL_GALLERY_NAME
    };
    CLocalGalleryName(const MString& caption, const MString& name) : m_caption(caption), m_start(name) {}
    static const ATL::MessageMap<CLocalGalleryName>& GetMessageMap();
    const MString& Name() const { return m_name; }

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnColour(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOk(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);

    MString m_caption;
    MString m_start;
    MString m_name;
    HBRUSH m_white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
};
