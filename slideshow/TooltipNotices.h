// The main window's tracking tooltip and the notices it shows: the notice
// texts are loaded once, at construction, so that a notice never fails to
// load while the show runs; a shown notice hides itself after a while.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <array>
#include <cstddef>
#include <optional>

// The notices of the window, in the order of NoticeTexts.
enum class Notice
{
    Busy,
    WaitElapsed,
    ShowPaused,
    ShowGoesOn,
    FadeRunning,
    FileInUse,
    NoPropertiesToShow,
    PropertiesUnavailable,
    CommandUnavailable,
    CloseWindowFirst,
    PropertiesOnlineOnly,
    InternetUnreachable,
    NoGallery,
    NoOtherSlides,
    SlideChanged,
    CommandNotForSlide,
    FileRemoved,
    FileNotRemoved,
    GalleryUnreadable,
    GalleryEmpty,
    NotInGallery,
    Count
};

struct NoticeText
{
    Notice notice;
    UINT stringId;
    // The string is formatted with the product name (IDS_PRODUCT_NAME).
    bool withProductName;
};

extern const NoticeText NoticeTexts[static_cast<size_t>(Notice::Count)];

// The notice whose body is that string; none for another string.
std::optional<Notice> NoticeOfString(UINT stringId);

class TooltipNotices
{
public:
    // How long a notice stays.
    static constexpr UINT ShowPeriod = 2500;

    // Loads the notice texts; productName fills those that name the program.
    explicit TooltipNotices(const MStringEx<wchar_t>& productName);
    TooltipNotices(const TooltipNotices&) = delete;
    TooltipNotices& operator=(const TooltipNotices&) = delete;

    // Makes the tooltip over the owner, whose timerId hides shown notices.
    void Create(HWND owner, HICON icon, UINT_PTR timerId);

    const MStringEx<wchar_t>& Text(Notice notice) const { return m_texts[static_cast<size_t>(notice)]; }

    // Shows the notice under the middle of the owner's bottom edge and arms
    // the owner's timer.
    void Show(const MStringEx<wchar_t>& title, const MStringEx<wchar_t>& body);
    void Show(const MStringEx<wchar_t>& title, Notice notice) { Show(title, Text(notice)); }
    // Hides a shown notice.
    void Hide();
    // The owner's timer: the notice has been shown long enough.
    void OnTimer();
    bool IsVisible() const;

private:
    HWND m_owner = nullptr;
    HWND m_toolTip = nullptr;
    HICON m_icon = nullptr;
    UINT_PTR m_timerId = 0;
    std::array<MStringEx<wchar_t>, static_cast<size_t>(Notice::Count)> m_texts;
    // The body of the notice shown now, kept while it shows.
    MStringEx<wchar_t> m_body;
};
