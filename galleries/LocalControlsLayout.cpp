#include "galleries/LocalControlsLayout.h"

#include "resources/languages/LanguageIds.h"

void LocalControlsLayout::Measure(HWND dialog, HWND insertAfter)
{
    RECT client = {};
    ::GetClientRect(dialog, &client);
    const int grip = GetSystemMetrics(SM_CXVSCROLL);
    m_sizeGrip = CreateWindowExW(0, L"Scrollbar", nullptr, WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP,
                                 client.right - grip, client.bottom - grip, grip, grip, dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SIZE_GRIP)), nullptr, nullptr);
    ::SetWindowPos(m_sizeGrip, insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_measuredClient = client;
    for (int id = IDC_SOURCE_LABEL; id <= IDC_RELOAD_PROPERTIES; ++id)
        if (HWND control = ::GetDlgItem(dialog, id))
        {
            RECT r = {};
            ::GetWindowRect(control, &r);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
            m_places.emplace_back(id, r);
        }
}

void LocalControlsLayout::Apply(HWND dialog) const
{
    RECT client = {};
    ::GetClientRect(dialog, &client);
    const int dx = client.right - m_measuredClient.right, dy = client.bottom - m_measuredClient.bottom;
    for (const auto& placed : m_places)
    {
        RECT r = placed.second;
        const int id = placed.first;
        const bool list = id == IDC_FILE_LIST || id == IDC_FILTER_NOTICE;
        const bool bottom = (id >= IDC_ADD_FILES && id <= IDC_THUMBNAIL_UNIT) || id == IDC_SELECTION_OK ||
                            id == IDC_SELECTION_CANCEL;
        const bool right = id == IDC_THUMBNAIL_SIZE || id == IDC_THUMBNAIL_LABEL || id == IDC_THUMBNAIL_UNIT ||
                           id == IDC_SELECTION_OK || id == IDC_SELECTION_CANCEL;
        if (list)
        {
            r.right += dx;
            r.bottom += id == IDC_FILE_LIST ? dy : 0;
        }
        if (bottom)
            OffsetRect(&r, 0, dy);
        if (right)
            OffsetRect(&r, dx, 0);
        ::MoveWindow(::GetDlgItem(dialog, id), r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    }
    const int grip = GetSystemMetrics(SM_CXVSCROLL);
    ::MoveWindow(m_sizeGrip, client.right - grip, client.bottom - grip, grip, grip, FALSE);
}

void LocalControlsLayout::ShowGrip(bool show) const { ::ShowWindow(m_sizeGrip, show ? SW_SHOW : SW_HIDE); }

bool LocalControlsLayout::IsGripVisible() const { return ::IsWindowVisible(m_sizeGrip) != FALSE; }

void LocalControlsLayout::DestroyGrip()
{
    if (m_sizeGrip)
        ::DestroyWindow(m_sizeGrip);
    m_sizeGrip = nullptr;
}
