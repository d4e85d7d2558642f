// The controller's icon in the notification area: its three looks with their
// new-release variants, its tooltip text and whether it is there.
#pragma once

#include "foundation/GdiOwners.h"
#include "foundation/StringEx.h"

#include <windows.h>
#include <shellapi.h>

// The id of the controller's one icon in the notification area.
constexpr UINT TrayIconId = 100;

// The icon families: shown; start-up, busy, waiting, paused and closing;
// hidden until the next slide.
enum class TrayLook
{
    Shown,
    Busy,
    Hidden,
};

// The tooltip text: the state's text with the product name, " - " and the
// new-release note when a release is known, a line feed and the slide title
// when there is one; cut to 126 characters and an ellipsis to fit the icon's
// 128-character field.
MString TrayToolTipText(DWORD toolTipId, const MString& productName, bool newRelease, const MString& slideTitle);

class TrayIcon
{
public:
    TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // The window that receives the icon's callback messages.
    void SetOwner(HWND owner) { m_owner = owner; }

    bool IsPresent() const { return m_present; }
    DWORD ToolTipId() const { return m_toolTipId; }
    void SetToolTipId(DWORD id) { m_toolTipId = id; }
    HICON Icon(TrayLook look, bool newRelease) const;
    // The look of the icon on show (Shown when none is).
    TrayLook CurrentLook() const;

    // NIM_ADD with the callback message; true when the shell took it.
    bool Add(TrayLook look, bool newRelease, const MString& toolTip);
    // NIM_MODIFY of icon and tooltip.
    bool Modify(TrayLook look, bool newRelease, const MString& toolTip);
    // NIM_MODIFY of the tooltip alone.
    bool ModifyToolTip(const MString& toolTip);
    // NIM_SETFOCUS: the keyboard goes back to the notification area.
    void GiveFocus();
    // NIM_DELETE; the icon counts as gone when the shell agreed.
    void Remove();
    // After "TaskbarCreated": the new shell knows no icon.
    void Forget();

private:
    NOTIFYICONDATAW Data() const;

    HWND m_owner = nullptr;
    bool m_present = false;
    HICON m_current = nullptr;
    DWORD m_toolTipId;
    MIcon m_shown;
    MIcon m_shownNewRelease;
    MIcon m_busy;
    MIcon m_busyNewRelease;
    MIcon m_hidden;
    MIcon m_hiddenNewRelease;
};
