#include "standins/atl/AtlWindow.h"

namespace ATL
{

namespace
{
// The object whose window is being created on this thread: the window takes
// it at its first message, which may come before WM_INITDIALOG or
// WM_NCCREATE (WM_SETFONT, WM_GETMINMAXINFO).
thread_local CWindowImplRoot* t_creating = nullptr;
// The innermost modal dialog of this thread, ended when a handler throws.
thread_local CDialogImplBase* t_modal = nullptr;
// The failure a handler raised, kept until DoModal throws it again. Only
// trivially destructible thread_locals here: with mingw's emulated TLS the
// destructor of one runs after the thread's TLS block has been freed, which
// corrupts the heap when the thread ends.
thread_local std::exception_ptr* t_pending = nullptr;

// Messages whose dialog-procedure answer is the result itself rather than a
// TRUE with the result in DWLP_MSGRESULT.
bool AnswersDirectly(UINT message)
{
    switch (message)
    {
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}
}

BOOL CWindow::DestroyWindow()
{
    if (!::DestroyWindow(m_hWnd))
        return FALSE;
    m_hWnd = nullptr;
    return TRUE;
}

BOOL CWindow::ModifyStyle(LONG_PTR remove, LONG_PTR add) const
{
    const LONG_PTR style = GetStyle();
    const LONG_PTR changed = (style & ~remove) | add;
    if (changed == style)
        return FALSE;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, changed);
    return TRUE;
}

BOOL CWindow::ModifyStyleEx(LONG_PTR remove, LONG_PTR add) const
{
    const LONG_PTR style = GetExStyle();
    const LONG_PTR changed = (style & ~remove) | add;
    if (changed == style)
        return FALSE;
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, changed);
    return TRUE;
}

void CWindowImplRoot::SetCreatingObject(CWindowImplRoot* object) { t_creating = object; }

CWindowImplRoot* CWindowImplRoot::TakeCreatingObject(HWND window)
{
    CWindowImplRoot* object = t_creating;
    t_creating = nullptr;
    if (object)
        object->m_hWnd = window;
    return object;
}

BOOL CWindowImplRoot::RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    MSG current = {window, message, wParam, lParam, 0, {0, 0}};
    const MSG* outer = m_currentMessage;
    m_currentMessage = &current;
    BOOL handled = FALSE;
    try
    {
        handled = ProcessWindowMessage(window, message, wParam, lParam, result, 0);
    }
    catch (...)
    {
        if (!t_pending)
            t_pending = new std::exception_ptr(std::current_exception());
        if (t_modal && t_modal->m_hWnd)
            ::EndDialog(t_modal->m_hWnd, -1);
        handled = TRUE;
        result = 0;
    }
    m_currentMessage = outer;
    return handled;
}

void CWindowImplRoot::FinishWindow(HWND window)
{
    m_hWnd = nullptr;
    OnFinalMessage(window);
}

void RethrowPendingException()
{
    if (t_pending)
    {
        std::exception_ptr pending = *t_pending;
        delete t_pending;
        t_pending = nullptr;
        std::rethrow_exception(pending);
    }
}

CDialogImplBase::~CDialogImplBase()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
    {
        ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
        ::DestroyWindow(m_hWnd);
    }
}

BOOL CDialogImplBase::EndDialog(INT_PTR result) { return ::EndDialog(m_hWnd, result); }

INT_PTR CDialogImplBase::DoModalFromModule(HINSTANCE module, UINT id, HWND parent, LPARAM initParam)
{
    m_initParam = initParam;
    m_outerModal = t_modal;
    t_modal = this;
    SetCreatingObject(this);
    const INT_PTR result = ::DialogBoxParamW(module, MAKEINTRESOURCEW(id), parent, &DialogProc, 0);
    const DWORD error = GetLastError();
    SetCreatingObject(nullptr);
    t_modal = m_outerModal;
    m_outerModal = nullptr;
    RethrowPendingException();
    SetLastError(error);
    return result;
}

HWND CDialogImplBase::CreateFromModule(HINSTANCE module, UINT id, HWND parent, LPARAM initParam)
{
    m_initParam = initParam;
    SetCreatingObject(this);
    HWND window = ::CreateDialogParamW(module, MAKEINTRESOURCEW(id), parent, &DialogProc, 0);
    const DWORD error = GetLastError();
    SetCreatingObject(nullptr);
    if (!window && m_hWnd)
    {
        // A window half made (its WM_INITDIALOG failed): the system has
        // destroyed it already.
        m_hWnd = nullptr;
    }
    SetLastError(error);
    return window;
}

INT_PTR CALLBACK CDialogImplBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialogImplBase* self = reinterpret_cast<CDialogImplBase*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (!self)
    {
        self = static_cast<CDialogImplBase*>(TakeCreatingObject(window));
        if (!self)
            return FALSE;
        ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    }
    if (message == WM_INITDIALOG)
        lParam = self->m_initParam;

    LRESULT result = 0;
    const BOOL handled = self->RouteMessage(window, message, wParam, lParam, result);
    if (message == WM_NCDESTROY)
    {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        self->FinishWindow(window);
        return FALSE;
    }
    if (!handled)
        return FALSE;
    if (AnswersDirectly(message))
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

CWindowImplBase::~CWindowImplBase()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
    {
        ::SetWindowLongPtrW(m_hWnd, 0, 0);
        ::DestroyWindow(m_hWnd);
    }
}

ATOM CWindowImplBase::RegisterClassOnce(const wchar_t* className, UINT style, HBRUSH background, HCURSOR cursor)
{
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    const ATOM found = static_cast<ATOM>(::GetClassInfoExW(GetModuleHandleW(nullptr), className, &existing));
    if (found)
        return found;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = style;
    windowClass.lpfnWndProc = &WindowProc;
    // Slot 0 of the window's extra bytes keeps the object; GWLP_USERDATA
    // stays free for the window's users.
    windowClass.cbWndExtra = sizeof(void*);
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    const ATOM atom = ::RegisterClassExW(&windowClass);
    if (!atom && GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
        return static_cast<ATOM>(::GetClassInfoExW(GetModuleHandleW(nullptr), className, &existing));
    return atom;
}

HWND CWindowImplBase::CreateOfClass(const wchar_t* className, HWND parent, const RECT& rect, const wchar_t* title,
                                    DWORD style, DWORD exStyle, HMENU menuOrId)
{
    SetCreatingObject(this);
    HWND window = ::CreateWindowExW(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                                    rect.bottom - rect.top, parent, menuOrId, GetModuleHandleW(nullptr), nullptr);
    const DWORD error = GetLastError();
    SetCreatingObject(nullptr);
    SetLastError(error);
    RethrowPendingException();
    return window;
}

LRESULT CALLBACK CWindowImplBase::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWindowImplBase* self = reinterpret_cast<CWindowImplBase*>(::GetWindowLongPtrW(window, 0));
    if (!self)
    {
        self = static_cast<CWindowImplBase*>(TakeCreatingObject(window));
        if (!self)
            return ::DefWindowProcW(window, message, wParam, lParam);
        ::SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(self));
    }
    LRESULT result = 0;
    const BOOL handled = self->RouteMessage(window, message, wParam, lParam, result);
    if (!handled)
        result = ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY)
    {
        ::SetWindowLongPtrW(window, 0, 0);
        self->FinishWindow(window);
    }
    return result;
}

}
