#include "slideshow/TooltipNotices.h"

#include "resources/languages/LanguageIds.h"

#include <commctrl.h>

#include <iterator>

const NoticeText NoticeTexts[] = {
    {Notice::Busy, IDS_NOTICE_BUSY, true},
    {Notice::WaitElapsed, IDS_WAIT_ELAPSED, false},
    {Notice::ShowPaused, IDS_NOTICE_378, false},
    {Notice::ShowGoesOn, IDS_NOTICE_379, false},
    {Notice::FadeRunning, IDS_NOTICE_FADE_RUNNING, false},
    {Notice::FileInUse, IDS_NOTICE_442, false},
    {Notice::NoPropertiesToShow, IDS_NOTICE_403, false},
    {Notice::PropertiesUnavailable, IDS_NOTICE_440, false},
    {Notice::CommandUnavailable, IDS_NOTICE_287, false},
    {Notice::CloseWindowFirst, IDS_NOTICE_332, false},
    {Notice::PropertiesOnlineOnly, IDS_NOTICE_NO_PROPERTIES, true},
    {Notice::InternetUnreachable, IDS_NOTICE_439, false},
    {Notice::NoGallery, IDS_NOTICE_NO_GALLERY, false},
    {Notice::NoOtherSlides, IDS_NOTICE_NO_OTHER_SLIDES, false},
    {Notice::SlideChanged, IDS_NOTICE_452, false},
    {Notice::CommandNotForSlide, IDS_NOTICE_451, false},
    {Notice::FileRemoved, IDS_NOTICE_469, false},
    {Notice::FileNotRemoved, IDS_NOTICE_470, false},
    {Notice::GalleryUnreadable, IDS_NOTICE_471, false},
    {Notice::GalleryEmpty, IDS_NOTICE_472, false},
    {Notice::NotInGallery, IDS_NOTICE_NOT_IN_GALLERY, false},
};
static_assert(std::size(NoticeTexts) == static_cast<size_t>(Notice::Count), "one text per notice");

std::optional<Notice> NoticeOfString(UINT stringId)
{
    for (const NoticeText& text : NoticeTexts)
        if (text.stringId == stringId)
            return text.notice;
    return std::nullopt;
}

TooltipNotices::TooltipNotices(const MString& productName)
{
    for (const NoticeText& text : NoticeTexts)
    {
        MString& loaded = m_texts[static_cast<size_t>(text.notice)];
        loaded = text.withProductName ? MString(sX::Format(), text.stringId, productName.GetText())
                                      : MString(ResId(text.stringId));
    }
}

void TooltipNotices::Create(HWND owner, HICON icon, UINT_PTR timerId)
{
    m_owner = owner;
    m_icon = icon;
    m_timerId = timerId;
    m_toolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_BALLOON,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (!m_toolTip)
        return;
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    // Shown only by tracking: the tooltip is given none of the owner's mouse
    // messages, which would pop it up with the last notice's text on any
    // click or hover over the owner.
    tool.uFlags = TTF_IDISHWND | TTF_CENTERTIP | TTF_TRACK | TTF_TRANSPARENT;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(owner);
    tool.lpszText = const_cast<wchar_t*>(Text(Notice::Busy).GetText());
    ::SendMessageW(m_toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    const MString title(ResId(IDS_NOTICE_BUSY_TITLE));
    ::SendMessageW(m_toolTip, TTM_SETTITLEW, reinterpret_cast<WPARAM>(icon), reinterpret_cast<LPARAM>(title.GetText()));
}

void TooltipNotices::Show(const MString& title, const MString& body)
{
    if (!m_toolTip)
        return;
    m_body = body;
    ::SendMessageW(m_toolTip, TTM_SETTITLEW, reinterpret_cast<WPARAM>(m_icon),
                   reinterpret_cast<LPARAM>(title.GetText()));
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = m_owner;
    tool.uId = reinterpret_cast<UINT_PTR>(m_owner);
    tool.lpszText = const_cast<wchar_t*>(m_body.GetText());
    ::SendMessageW(m_toolTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(m_toolTip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    RECT window = {};
    ::GetWindowRect(m_owner, &window);
    ::SendMessageW(m_toolTip, TTM_TRACKPOSITION, 0,
                   MAKELPARAM(static_cast<WORD>((window.left + window.right) / 2), static_cast<WORD>(window.bottom)));
    ::SetTimer(m_owner, m_timerId, ShowPeriod, nullptr);
}

bool TooltipNotices::IsVisible() const { return m_toolTip && ::IsWindowVisible(m_toolTip); }

void TooltipNotices::Hide()
{
    if (!IsVisible())
        return;
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = m_owner;
    tool.uId = reinterpret_cast<UINT_PTR>(m_owner);
    ::SendMessageW(m_toolTip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

void TooltipNotices::OnTimer()
{
    ::KillTimer(m_owner, m_timerId);
    Hide();
}
