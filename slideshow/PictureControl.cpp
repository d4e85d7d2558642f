#include "slideshow/PictureControl.h"

void PictureControl::Attach(HWND control, DWORD helpContext, LONG_PTR userData, WNDPROC subclass)
{
    m_window = control;
    if (!m_window)
        return;
    ::SetWindowContextHelpId(m_window, helpContext);
    const LONG_PTR style = ::GetWindowLongPtrW(m_window, GWL_STYLE);
    ::SetWindowLongPtrW(m_window, GWL_STYLE, (style & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | SS_OWNERDRAW);
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, userData);
    m_procedure = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclass)));
}

void PictureControl::Detach()
{
    if (m_window && m_procedure)
        ::SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_procedure));
}

void PictureControl::ApplyBorders(HWND window, const SlideBorders& borders)
{
    SlideBorders applied = m_applied;
    if (ApplyBordersToWindow(window, m_window, borders, applied))
        m_applied = applied;
}
