// What every dialog that the controller opens has in common: it holds its
// DialogMutex while it exists (the main window and the download worker test
// for it), records its window in the controller's DialogWindowSlot while it
// is open, and ends itself on the controller's close request
// (WM_CLOSE_REQUEST) and on the close broadcast that carries this process's
// tokens. T declares
//   enum { IDD = ..., AcceptedResult = ..., CancelledResult = ..., ClosedResult = ... };
// and may chain its own rows in front of ControllerDialogRows().
#pragma once

#include "foundation/Handle.h"
#include "core/DialogWindowSlot.h"
#include "core/PrivateMessages.h"
#include "core/ProgramObjects.h"
#include "standins/atl/AtlWindow.h"

// The cursor position in screen coordinates: where the controller's dialogs
// open.
inline POINT CursorPosition()
{
    POINT cursor = {};
    GetCursorPos(&cursor);
    return cursor;
}

template <class T> class CControllerDialog : public ATL::CDialogImpl<T>
{
public:
    CControllerDialog(const wchar_t* mutexKey, DialogWindowSlot* slot, POINT cursor)
        : m_closeDialogsMessage(RegisterWindowMessageW(CloseDialogsMessageName)),
          m_mutex(CreateMutexW(nullptr, TRUE, DialogMutexName(mutexKey).GetText())), m_slot(slot), m_cursor(cursor)
    {
    }

    // The common rows: initialisation, destruction, the close request, the
    // close broadcast, OK and Cancel.
    static ATL::MessageMap<T> ControllerDialogRows()
    {
        using B = CControllerDialog<T>;
        return ATL::MessageMap<T>()
            .Message(WM_INITDIALOG, &B::OnInitDialog)
            .Message(WM_DESTROY, &B::OnDestroy)
            .Message(WM_CLOSE_REQUEST, &B::OnCloseRequest)
            .RegisteredMessage(&B::m_closeDialogsMessage, &B::OnCloseDialogs)
            .Command(IDOK, &B::OnOk)
            .Command(IDCANCEL, &B::OnCancel);
    }

    static const ATL::MessageMap<T>& GetMessageMap()
    {
        static const ATL::MessageMap<T> map = ControllerDialogRows();
        return map;
    }

protected:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
    {
        if (m_slot)
            m_slot->Record(this->m_hWnd);
        // Opened from the tray menu: at the cursor, kept on its monitor.
        RECT window = {};
        this->GetWindowRect(&window);
        const int width = window.right - window.left, height = window.bottom - window.top;
        RECT placed = {m_cursor.x - width / 2, m_cursor.y - height / 2, m_cursor.x - width / 2 + width,
                       m_cursor.y - height / 2 + height};
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        if (GetMonitorInfoW(MonitorFromPoint(m_cursor, MONITOR_DEFAULTTONEAREST), &monitor))
        {
            const RECT& work = monitor.rcWork;
            if (placed.right > work.right)
                OffsetRect(&placed, work.right - placed.right, 0);
            if (placed.bottom > work.bottom)
                OffsetRect(&placed, 0, work.bottom - placed.bottom);
            if (placed.left < work.left)
                OffsetRect(&placed, work.left - placed.left, 0);
            if (placed.top < work.top)
                OffsetRect(&placed, 0, work.top - placed.top);
        }
        this->SetWindowPos(HWND_TOP, placed.left, placed.top, 0, 0, SWP_NOSIZE);
        SetForegroundWindow(this->m_hWnd);
        return TRUE;
    }
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        if (m_slot)
            m_slot->Clear(this->m_hWnd);
        handled = FALSE;
        return 0;
    }
    LRESULT OnCloseRequest(UINT, WPARAM, LPARAM, BOOL&)
    {
        this->EndDialog(T::ClosedResult);
        return 0;
    }
    LRESULT OnCloseDialogs(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
    {
        // Another copy of the program quits with tokens of its own.
        if (DialogCloseToken.Matches(wParam, lParam))
            this->EndDialog(T::ClosedResult);
        return 0;
    }
    LRESULT OnOk(WORD, WORD, HWND, BOOL&)
    {
        this->EndDialog(T::AcceptedResult);
        return 0;
    }
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&)
    {
        this->EndDialog(T::CancelledResult);
        return 0;
    }

    UINT m_closeDialogsMessage;
    MHandle m_mutex;
    DialogWindowSlot* m_slot;
    POINT m_cursor;
};
