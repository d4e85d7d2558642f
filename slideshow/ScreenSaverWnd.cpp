#include "slideshow/ScreenSaverWnd.h"

#include "foundation/ShellHelpers.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace
{
const UINT FadeInPeriod = 30;
const UINT CrossFadePeriod = 20;
// Context help of the window and of its picture.
const DWORD WindowHelpId = 0x20077;
const DWORD PictureHelpId = 0x200C3;

// Window styles: a popup without frame, above other windows, without a task
// bar button; layered, so that it can fade.
const DWORD WindowStyle = WS_POPUP | WS_CLIPCHILDREN;
const DWORD WindowExStyle = WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW;

// A ratio num / den, both positive.
struct Ratio
{
    int64_t num;
    int64_t den;
};

bool Greater(const Ratio& a, const Ratio& b)
{
    return a.num * b.den > b.num * a.den;
}

// The drawn length of one side at scale s: 2 source pixels more when the
// picture is enlarged and just fits (or nearly fits) the client's side.
float DrawnLength(unsigned length, int client, const Ratio& s)
{
    const bool enlarged = s.num > s.den;
    const int64_t scaled = static_cast<int64_t>(length) * s.num; // over s.den
    const bool fits = scaled <= (static_cast<int64_t>(client) + 2) * s.den;
    const int64_t drawn = enlarged && fits ? (static_cast<int64_t>(length) + 2) * s.num : scaled;
    return static_cast<float>(static_cast<double>(drawn) / static_cast<double>(s.den));
}

// The origin on one side, and the length: a margin of 1 to 4 pixels is
// closed by taking the client's whole side.
void PlaceSide(int client, float drawn, int& origin, int& length)
{
    origin = static_cast<int>((client - static_cast<double>(drawn)) * 0.5);
    if (origin >= 1 && origin <= 4)
    {
        origin = 0;
        length = client;
    }
    else
        length = static_cast<int>(drawn);
}

class SystemLocker : public SessionLocker
{
public:
    bool Lock() const override { return LockWorkStation() != FALSE; }
    int QueryLockState() const override { return QuerySessionLockState(); }
};

const SystemLocker systemLocker;
std::atomic<const SessionLocker*> currentLocker{&systemLocker};
}

bool IsPictureSlide(SlideKind kind)
{
    const DWORD bits = static_cast<DWORD>(kind);
    return (bits & 0x7FFFFFFEu) == 0 && bits != 0x80000000u;
}

std::vector<ScreenSaverWindowPlan> PlanScreenSaverWindows(Screen_saver_mode mode, SlideKind kind,
                                                          const MonitorProvider& monitors)
{
    std::vector<ScreenSaverWindowPlan> plans;
    if (mode == Screen_saver_mode::Off || static_cast<DWORD>(mode) > static_cast<DWORD>(Screen_saver_mode::EachFill))
        return plans;
    std::vector<RECT> rects;
    if (!monitors.EnumerateMonitors(rects) || rects.empty())
        return plans;

    const bool fill = static_cast<DWORD>(mode) % 2 == 0;
    const Fit_style fit = !IsPictureSlide(kind) ? Fit_style::ActualSize
                          : fill               ? Fit_style::Fill
                                               : Fit_style::FitInside;
    switch (mode)
    {
    case Screen_saver_mode::SpanFit:
    case Screen_saver_mode::SpanFill:
    {
        RECT all = rects.front();
        for (const RECT& rect : rects)
            UnionRect(&all, &all, &rect);
        plans.push_back(ScreenSaverWindowPlan{all, fit, true});
        break;
    }
    case Screen_saver_mode::PrimaryFit:
    case Screen_saver_mode::PrimaryFill:
        for (const RECT& rect : rects)
        {
            const POINT origin = {0, 0};
            plans.push_back(ScreenSaverWindowPlan{rect, fit, PtInRect(&rect, origin) != FALSE});
        }
        break;
    default:
        for (const RECT& rect : rects)
            plans.push_back(ScreenSaverWindowPlan{rect, fit, true});
        break;
    }
    return plans;
}

FitRect CalculateFitRect(Fit_style fit, int clientWidth, int clientHeight, unsigned width, unsigned height)
{
    if (width == 0 || height == 0 || clientWidth <= 0 || clientHeight <= 0)
        return FitRect{0, 0, 0, 0};
    const Ratio rW{clientWidth, static_cast<int64_t>(width)};
    const Ratio rH{clientHeight, static_cast<int64_t>(height)};
    Ratio s{1, 1};
    if (fit == Fit_style::FitInside)
        s = Greater(rH, rW) ? rW : rH;
    else if (fit == Fit_style::Fill)
        s = Greater(rW, rH) ? rW : rH;

    FitRect rect{};
    PlaceSide(clientWidth, DrawnLength(width, clientWidth, s), rect.x, rect.width);
    PlaceSide(clientHeight, DrawnLength(height, clientHeight, s), rect.y, rect.height);
    return rect;
}

BitmapPtr ComposeScreenSaverFrame(Fit_style fit, int clientWidth, int clientHeight, Gdiplus::Bitmap* picture)
{
    BitmapPtr frame = std::make_unique<Gdiplus::Bitmap>(std::max(clientWidth, 1), std::max(clientHeight, 1),
                                                        PixelFormat24bppRGB);
    if (frame->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    Gdiplus::Graphics graphics(frame.get());
    graphics.Clear(Gdiplus::Color(0xFF000000));
    if (picture)
    {
        const UINT width = picture->GetWidth();
        const UINT height = picture->GetHeight();
        const FitRect place = CalculateFitRect(fit, clientWidth, clientHeight, width, height);
        graphics.DrawImage(picture, Gdiplus::Rect(place.x, place.y, place.width, place.height), 0, 0,
                           static_cast<INT>(width), static_cast<INT>(height), Gdiplus::UnitPixel);
    }
    return frame;
}

const SessionLocker& ScreenSaverLocker()
{
    return *currentLocker.load();
}

const SessionLocker* SetScreenSaverLocker(const SessionLocker* locker)
{
    return currentLocker.exchange(locker ? locker : &systemLocker);
}

// ---- The window ------------------------------------------------------------------

ScreenSaverWnd::ScreenSaverWnd(const ScreenSaverWindowPlan& plan, Gdiplus::Bitmap* firstPicture)
    : m_fit(plan.fit), m_area(plan.area), m_showsSlides(plan.showsSlides && firstPicture != nullptr),
      m_firstPicture(plan.showsSlides ? firstPicture : nullptr)
{
}

ScreenSaverWnd::~ScreenSaverWnd() = default;

const ATL::MessageMap<ScreenSaverWnd>& ScreenSaverWnd::GetMessageMap()
{
    using T = ScreenSaverWnd;
    static const ATL::MessageMap<T> map = ATL::MessageMap<T>()
                                              .Message(WM_CREATE, &T::OnCreate)
                                              .Timer(FadeInTimerId, &T::OnFadeInTimer)
                                              .Timer(CrossFadeTimerId, &T::OnCrossFadeTimer)
                                              .Message(WM_DRAWITEM, &T::OnDrawItem)
                                              .Message(WM_ERASEBKGND, &T::OnEraseBackground)
                                              .Message(WM_DESTROY, &T::OnDestroy);
    return map;
}

bool ScreenSaverWnd::Open(HWND owner)
{
    // The client area covers the area exactly.
    RECT outer = m_area;
    AdjustWindowRectEx(&outer, WindowStyle, FALSE, WindowExStyle);
    if (!Create(owner, outer, L"", WindowStyle, WindowExStyle))
        return false;
    m_firstPicture = nullptr;
    ShowWindow(SW_SHOWNOACTIVATE);
    return true;
}

LRESULT ScreenSaverWnd::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    RECT client = {};
    GetClientRect(&client);
    m_pictureControl = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0, 0,
                                       client.right, client.bottom, m_hWnd,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(PictureControlId)),
                                       GetModuleHandleW(nullptr), nullptr);
    ::SetWindowContextHelpId(m_hWnd, WindowHelpId);
    ::SetWindowContextHelpId(m_pictureControl, PictureHelpId);
    ComposeFrame(m_firstPicture);
    SetAlpha(0);
    m_fadeInTimer = SetTimer(FadeInTimerId, FadeInPeriod);
    if (m_fadeInTimer == 0)
        SetAlpha(255);
    return 0;
}

void ScreenSaverWnd::SetAlpha(BYTE alpha)
{
    m_alpha = alpha;
    SetLayeredWindowAttributes(m_hWnd, 0, alpha, LWA_ALPHA);
}

LRESULT ScreenSaverWnd::OnFadeInTimer(UINT_PTR, BOOL&)
{
    // 2, 42, 82, ... 242, 255: eight ticks.
    const int next = m_alpha == 0 ? 2 : std::min(255, m_alpha + 40);
    if (next == 255)
    {
        KillTimer(FadeInTimerId);
        m_fadeInTimer = 0;
    }
    SetAlpha(static_cast<BYTE>(next));
    return 0;
}

void ScreenSaverWnd::ComposeFrame(Gdiplus::Bitmap* picture)
{
    RECT client = {};
    ::GetClientRect(m_pictureControl, &client);
    m_frame = ComposeScreenSaverFrame(m_fit, client.right, client.bottom, picture);
}

void ScreenSaverWnd::RedrawPicture()
{
    ::RedrawWindow(m_pictureControl, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void ScreenSaverWnd::CrossFadeTo(Gdiplus::Bitmap& picture)
{
    if (!m_showsSlides || !m_hWnd)
        return;
    m_crossFadeTimer = SetTimer(CrossFadeTimerId, CrossFadePeriod);
    if (m_crossFadeTimer == 0)
    {
        ComposeFrame(&picture);
        RedrawPicture();
        return;
    }
    // Both ends at the client's size, so that the half-way frame is a plain
    // blend of their pixels.
    RECT client = {};
    ::GetClientRect(m_pictureControl, &client);
    m_crossFadeStep = 0;
    m_newFrame = ComposeScreenSaverFrame(m_fit, client.right, client.bottom, &picture);
}

LRESULT ScreenSaverWnd::OnCrossFadeTimer(UINT_PTR, BOOL&)
{
    if (!m_newFrame)
    {
        KillTimer(CrossFadeTimerId);
        m_crossFadeTimer = 0;
        return 0;
    }
    ++m_crossFadeStep;
    if (m_crossFadeStep == 1)
    {
        // The present frame (also a half-way one) is faded from.
        m_oldFrame = std::move(m_frame);
        const int width = static_cast<int>(m_newFrame->GetWidth());
        const int height = static_cast<int>(m_newFrame->GetHeight());
        m_frame = ComposeCrossFadeFrame(m_oldFrame.get(), m_newFrame.get(), width, height, 50);
    }
    else
    {
        m_frame = std::move(m_newFrame);
        m_oldFrame.reset();
        KillTimer(CrossFadeTimerId);
        m_crossFadeTimer = 0;
        m_crossFadeStep = 0;
    }
    RedrawPicture();
    return 0;
}

LRESULT ScreenSaverWnd::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item->CtlType != ODT_STATIC || item->CtlID != PictureControlId || !m_frame)
        return 0;
    Gdiplus::Graphics graphics(item->hDC);
    const INT width = static_cast<INT>(m_frame->GetWidth());
    const INT height = static_cast<INT>(m_frame->GetHeight());
    graphics.DrawImage(m_frame.get(), Gdiplus::Rect(0, 0, width, height), 0, 0, width, height, Gdiplus::UnitPixel);
    return 0;
}

LRESULT ScreenSaverWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_fadeInTimer)
        KillTimer(FadeInTimerId);
    if (m_crossFadeTimer)
        KillTimer(CrossFadeTimerId);
    m_fadeInTimer = 0;
    m_crossFadeTimer = 0;
    return 0;
}
