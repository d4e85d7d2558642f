// Owner-drawn popup-menu entries: icon, label and shortcut text painted in a
// two-tone style (an icon column near the button face, the label area near
// the window colour). The window that owns the menu routes WM_MEASUREITEM,
// WM_DRAWITEM and WM_MENUCHAR of its ODT_MENU items here.
#pragma once

#include "foundation/Containers.h"
#include "foundation/GdiOwners.h"
#include "foundation/StringEx.h"

#include <windows.h>

// A popup menu and the column widths its entries share. The widths only
// grow, so that every entry measured later uses the widest label so far.
// Owns its popup menu: destroyed with the record. The entries' storage must
// be released before the menu goes.
struct OwnerDrawMenu
{
    HMENU menu = nullptr;
    unsigned widestLabel = 0;
    unsigned widestShortcut = 0;

    OwnerDrawMenu() = default;
    OwnerDrawMenu(const OwnerDrawMenu&) = delete;
    OwnerDrawMenu& operator=(const OwnerDrawMenu&) = delete;
    ~OwnerDrawMenu();

    // Creates the popup menu (CreatePopupMenu).
    bool Create();
};

class OwnerDrawMenuItem
{
public:
    // The entries of a menu, kept as long as the menu: the menu item's data
    // is the entry's address.
    using Storage = MList<OwnerDrawMenuItem>;

    // An ordinary entry (state 2) or a header line (state 0x22): state bit
    // 0x10 draws the icon only while the entry is checked, 0x20 makes a
    // header, all of 0x122 a styled entry. shortcut may be null.
    static OwnerDrawMenuItem* CreateWithShortcut(Storage& items, OwnerDrawMenu& menu, UINT flags, UINT_PTR id,
                                                 HMODULE iconModule, int iconId, DWORD state, const wchar_t* label,
                                                 const wchar_t* shortcut);
    // An enabled entry without shortcut text.
    static OwnerDrawMenuItem* CreatePlain(Storage& items, OwnerDrawMenu& menu, UINT_PTR id, HMODULE iconModule,
                                          int iconId, const wchar_t* label);
    // A header line with its label centred in its own font style.
    static OwnerDrawMenuItem* CreateStyled(Storage& items, OwnerDrawMenu& menu, UINT flags, UINT_PTR id,
                                           HMODULE iconModule, int iconId, const wchar_t* label, bool bold,
                                           bool italic, bool underline, bool compact);
    // An owner-drawn separator (MF_SEPARATOR | MF_OWNERDRAW, id -1).
    static OwnerDrawMenuItem* CreateSeparator(Storage& items, OwnerDrawMenu& menu);

    OwnerDrawMenuItem(const OwnerDrawMenuItem&) = delete;
    OwnerDrawMenuItem& operator=(const OwnerDrawMenuItem&) = delete;
    virtual ~OwnerDrawMenuItem() = default;

    // WM_MEASUREITEM of an ODT_MENU item (wParam 0): the entry's size.
    static void OnMeasureItem(OwnerDrawMenuItem* entry, MEASUREITEMSTRUCT& measure, HWND owner);
    // WM_DRAWITEM of an ODT_MENU item; a null entry paints nothing.
    static void OnDrawItem(OwnerDrawMenuItem* entry, const DRAWITEMSTRUCT& draw);
    // WM_MENUCHAR: the entry whose label has "&" before the typed character.
    // Handled: result is MNC_EXECUTE with its position, or MNC_IGNORE for a
    // disabled entry. Not handled: the owner answers MNC_CLOSE for Esc and
    // MNC_IGNORE otherwise.
    static bool OnMenuChar(wchar_t typed, UINT menuFlags, HMENU menu, LRESULT& result);

    const MStringEx<wchar_t>& GetLabel() const { return m_label; }
    const MStringEx<wchar_t>& GetShortcut() const { return m_shortcut; }
    UINT GetMenuFlags() const { return m_menuFlags; }
    bool HasIcon() const { return m_icon.IsValid(); }
    LONG GetIconWidth() const { return m_iconWidth; }
    LONG GetIconHeight() const { return m_iconHeight; }
    // The style of a styled line.
    bool IsStyled() const { return m_styled; }
    bool IsBold() const { return m_bold; }
    bool IsItalic() const { return m_italic; }
    bool IsUnderlined() const { return m_underline; }
    bool IsCompact() const { return m_compact; }

private:
    OwnerDrawMenuItem(OwnerDrawMenu& menu, HMODULE iconModule, int iconId, const wchar_t* label,
                      const wchar_t* shortcut, UINT menuFlags);
    static OwnerDrawMenuItem* Append(Storage& items, OwnerDrawMenuItem* entry, UINT flags, UINT_PTR id);

    bool IsSeparator() const { return m_label.IsEmpty(); }

    // The steps of OnDrawItem, each drawing into the entry's memory context.
    struct Layout;
    Layout LayoutFor(const RECT& item) const;
    void DrawIcon(HDC dc, const Layout& layout, bool disabled, HBRUSH background) const;
    void DrawLabel(HDC dc, const Layout& layout, bool disabled, COLORREF textColour) const;
    void DrawHighlight(HDC dc, HBITMAP paint, const Layout& layout, bool disabled, bool iconDrawn,
                       COLORREF highlight) const;

    bool m_checkIcon = false;
    bool m_header = false;
    bool m_styled = false;
    OwnerDrawMenu* m_menu;
    MIcon m_icon;
    MStringEx<wchar_t> m_label;
    MStringEx<wchar_t> m_shortcut;
    LONG m_weight = 400;
    UINT m_menuFlags;
    LONG m_iconWidth = 16;
    LONG m_iconHeight = 16;
    bool m_bold = true;
    bool m_italic = false;
    bool m_underline = false;
    bool m_compact = true;
};

// Destroys the record's menu before the record goes (nothing for none).
void DestroyPopupMenu(OwnerDrawMenu& menu);
// TrackPopupMenu at (x, y), or at the cursor when atPoint is false; true when
// it answered 1.
bool TrackPopupMenuAtCursor(const OwnerDrawMenu& menu, HWND owner, bool atPoint, int x, int y, UINT flags);
