#include "shell/TrayIcon.h"

#include "resources/languages/LanguageIds.h"
#include "resources/window/ProgramResourceIds.h"
#include "core/PrivateMessages.h"

namespace
{
constexpr int ToolTipRoom = 127;

static_assert(sizeof(NOTIFYICONDATAW) == 976, "the full notification record of Windows Vista and later");

HMODULE ProgramModule() { return GetModuleHandleW(nullptr); }

// The text fits the 128-character tooltip field with its terminating NUL.
void CopyToolTip(NOTIFYICONDATAW& data, const MString& text)
{
    lstrcpynW(data.szTip, text.GetText(), ARRAYSIZE(data.szTip));
}
}

MString TrayToolTipText(DWORD toolTipId, const MString& productName, bool newRelease, const MString& slideTitle)
{
    MString text(sX::Format(), static_cast<unsigned>(toolTipId), productName.GetText());
    if (newRelease)
        text += MString(L" - ") + MString(ResId(IDS_TRAY_NEW_RELEASE));
    if (!slideTitle.IsEmpty())
        text += MString(L"\n") + slideTitle;
    if (text.GetLength() > ToolTipRoom)
        text = text.Left(ToolTipRoom - 1) + L"\u2026";
    return text;
}

TrayIcon::TrayIcon()
    : m_toolTipId(IDS_TRAY_STARTING),
      m_shown(ProgramModule(), IDI_PROGRAM),
      m_shownNewRelease(ProgramModule(), IDI_SHOWN_NEW_RELEASE),
      m_busy(ProgramModule(), IDI_BUSY),
      m_busyNewRelease(ProgramModule(), IDI_BUSY_NEW_RELEASE),
      m_hidden(ProgramModule(), IDI_HIDDEN),
      m_hiddenNewRelease(ProgramModule(), IDI_HIDDEN_NEW_RELEASE)
{
}

HICON TrayIcon::Icon(TrayLook look, bool newRelease) const
{
    switch (look)
    {
    case TrayLook::Busy:
        return newRelease ? m_busyNewRelease : m_busy;
    case TrayLook::Hidden:
        return newRelease ? m_hiddenNewRelease : m_hidden;
    case TrayLook::Shown:
    default:
        return newRelease ? m_shownNewRelease : m_shown;
    }
}

TrayLook TrayIcon::CurrentLook() const
{
    if (m_current && (m_current == m_busy || m_current == m_busyNewRelease))
        return TrayLook::Busy;
    if (m_current && (m_current == m_hidden || m_current == m_hiddenNewRelease))
        return TrayLook::Hidden;
    return TrayLook::Shown;
}

NOTIFYICONDATAW TrayIcon::Data() const
{
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = m_owner;
    data.uID = TrayIconId;
    return data;
}

bool TrayIcon::Add(TrayLook look, bool newRelease, const MString& toolTip)
{
    NOTIFYICONDATAW data = Data();
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAY_CALLBACK;
    data.hIcon = Icon(look, newRelease);
    CopyToolTip(data, toolTip);
    if (!Shell_NotifyIconW(NIM_ADD, &data))
        return false;
    m_present = true;
    m_current = data.hIcon;
    data.uVersion = NOTIFYICON_VERSION;
    Shell_NotifyIconW(NIM_SETVERSION, &data);
    return true;
}

bool TrayIcon::Modify(TrayLook look, bool newRelease, const MString& toolTip)
{
    NOTIFYICONDATAW data = Data();
    data.uFlags = NIF_ICON | NIF_TIP;
    data.hIcon = Icon(look, newRelease);
    CopyToolTip(data, toolTip);
    const bool modified = Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
    m_current = data.hIcon;
    return modified;
}

bool TrayIcon::ModifyToolTip(const MString& toolTip)
{
    NOTIFYICONDATAW data = Data();
    data.uFlags = NIF_TIP;
    CopyToolTip(data, toolTip);
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void TrayIcon::GiveFocus()
{
    NOTIFYICONDATAW data = Data();
    Shell_NotifyIconW(NIM_SETFOCUS, &data);
}

void TrayIcon::Remove()
{
    NOTIFYICONDATAW data = Data();
    if (Shell_NotifyIconW(NIM_DELETE, &data))
        Forget();
}

void TrayIcon::Forget()
{
    m_present = false;
    m_current = nullptr;
}
