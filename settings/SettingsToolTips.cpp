#include "settings/SettingsToolTips.h"

#include "foundation/ShellHelpers.h"
#include "resources/languages/LanguageIds.h"

#include <commctrl.h>

SettingsToolTips::SettingsToolTips(const MString& productName)
{
    const struct
    {
        int control;
        unsigned text;
        bool withName;
    } tips[Count] = {
        {IDC_SET_SIZE, IDS_TIP_SIZE, false},           {IDC_SET_ANCHOR, IDS_TIP_ANCHOR, false},
        {IDC_SET_TRANSPARENCY, IDS_TIP_TRANSPARENCY, false}, {IDC_SET_WINDOW_BORDER, IDS_TIP_WINDOW_BORDER, false},
        {IDC_SET_IMAGE_BORDER, IDS_TIP_IMAGE_BORDER, false}, {IDC_SET_MODE, IDS_TIP_MODE, true},
        {IDC_SET_SLIDE_INTERVAL, IDS_TIP_SLIDE_INTERVAL, false}, {IDC_SET_SLIDE_UNIT, IDS_TIP_SLIDE_UNIT, false},
        {IDC_SET_INTERVAL_A, IDS_TIP_INTERVAL_A, false}, {IDC_SET_UNIT_A, IDS_TIP_UNIT_A, false},
        {IDC_SET_INTERVAL_B, IDS_TIP_INTERVAL_B, false}, {IDC_SET_UNIT_B, IDS_TIP_UNIT_B, false},
        {IDC_SET_ORDER, IDS_TIP_ORDER, false},          {IDC_SET_SCREEN_SAVER, IDS_TIP_SCREEN_SAVER, true},
        {IDC_SET_IDLE, IDS_TIP_IDLE, true},
    };
    for (size_t i = 0; i < Count; ++i)
        m_tips[i] = ToolTip{tips[i].control, nullptr,
                            tips[i].withName ? MString(sX::Format(), tips[i].text, productName.GetText())
                                             : MString(ResId(tips[i].text))};
}

SettingsToolTips::~SettingsToolTips() { Destroy(); }

void SettingsToolTips::Create(HWND dialog)
{
    for (ToolTip& tip : m_tips)
        CreateToolTip(dialog, ::GetDlgItem(dialog, tip.control), tip.window, tip.text);
}

void SettingsToolTips::Destroy()
{
    for (ToolTip& tip : m_tips)
        if (tip.window)
        {
            ::DestroyWindow(tip.window);
            tip.window = nullptr;
        }
}

bool SettingsToolTips::PopOthers(HWND shown)
{
    bool ours = false;
    for (const ToolTip& tip : m_tips)
        ours = ours || tip.window == shown;
    if (!ours)
        return false;
    for (const ToolTip& tip : m_tips)
        if (tip.window && tip.window != shown)
            ::SendMessageW(tip.window, TTM_POP, 0, 0);
    return true;
}

void SettingsToolTips::SetText(HWND dialog, int control, const MString& text)
{
    for (ToolTip& tip : m_tips)
        if (tip.control == control && tip.window)
        {
            tip.text = text;
            TOOLINFOW info = {};
            info.cbSize = sizeof(info);
            info.hwnd = dialog;
            info.uId = reinterpret_cast<UINT_PTR>(::GetDlgItem(dialog, control));
            info.lpszText = const_cast<wchar_t*>(tip.text.GetText());
            ::SendMessageW(tip.window, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
        }
}
