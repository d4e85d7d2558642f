// Windows and dialogs of the program: a thin handle wrapper (CWindow), message
// maps written as dispatch tables (MessageMap), dialogs created from a
// template of the resource module (CDialogImpl) and windows of a class of
// their own (CWindowImpl). The C++ object is kept with its window from the
// first message to WM_NCDESTROY.
#pragma once

#include "standins/atl/AtlModule.h"

#include <windows.h>

#include <exception>
#include <vector>

namespace ATL
{

class CWindow
{
public:
    HWND m_hWnd = nullptr;

    CWindow(HWND window = nullptr) : m_hWnd(window) {}
    CWindow& operator=(HWND window)
    {
        m_hWnd = window;
        return *this;
    }
    operator HWND() const { return m_hWnd; }

    void Attach(HWND window) { m_hWnd = window; }
    HWND Detach()
    {
        HWND window = m_hWnd;
        m_hWnd = nullptr;
        return window;
    }

    BOOL IsWindow() const { return ::IsWindow(m_hWnd); }
    BOOL DestroyWindow();
    CWindow GetParent() const { return CWindow(::GetParent(m_hWnd)); }
    CWindow GetDlgItem(int id) const { return CWindow(::GetDlgItem(m_hWnd, id)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendDlgItemMessageW(m_hWnd, id, message, wParam, lParam);
    }

    BOOL SetWindowText(const wchar_t* text) const { return ::SetWindowTextW(m_hWnd, text); }
    BOOL SetDlgItemText(int id, const wchar_t* text) const { return ::SetDlgItemTextW(m_hWnd, id, text); }
    BOOL ShowWindow(int command) const { return ::ShowWindow(m_hWnd, command); }
    BOOL EnableWindow(BOOL enable = TRUE) const { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    HWND SetFocus() const { return ::SetFocus(m_hWnd); }

    BOOL GetWindowRect(RECT* rect) const { return ::GetWindowRect(m_hWnd, rect); }
    BOOL GetClientRect(RECT* rect) const { return ::GetClientRect(m_hWnd, rect); }
    BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) const
    {
        return ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) const
    {
        return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
    }

    LONG_PTR GetStyle() const { return ::GetWindowLongPtrW(m_hWnd, GWL_STYLE); }
    LONG_PTR GetExStyle() const { return ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE); }
    // Clears remove, then sets add; true when the style changed.
    BOOL ModifyStyle(LONG_PTR remove, LONG_PTR add) const;
    BOOL ModifyStyleEx(LONG_PTR remove, LONG_PTR add) const;

    HICON SetIcon(HICON icon, BOOL big) const
    {
        return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    void SetFont(HFONT font, BOOL redraw = TRUE) const
    {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), MAKELPARAM(redraw, 0));
    }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) const { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) const { return ::KillTimer(m_hWnd, id); }
    BOOL SetWindowContextHelpId(DWORD id) const { return ::SetWindowContextHelpId(m_hWnd, id); }
    HMENU GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(m_hWnd, revert); }
};

// Anything that takes a window's messages: answers whether it handled the
// message, with its result in result. mapId 0 is the window's own map;
// other ids select alternate maps.
class CMessageMap
{
public:
    virtual ~CMessageMap() = default;
    virtual BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                      DWORD mapId) = 0;
};

// A message map: a dispatch table of T's handlers, one line per row, tried
// in order. A handler that sets handled to FALSE lets the search go on, and
// at the end of the table the message gets the default handling.
//
//   static const ATL::MessageMap<CWaitDlg> map = ATL::MessageMap<CWaitDlg>()
//       .Message(WM_INITDIALOG, &CWaitDlg::OnInitDialog)
//       .Command(IDOK, 0, &CWaitDlg::OnSwallowCommand)
//       .Timer(113, &CWaitDlg::OnElapsedTimer);
template <class T> class MessageMap
{
public:
    using MessageHandler = LRESULT (T::*)(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    using CommandHandler = LRESULT (T::*)(WORD code, WORD id, HWND control, BOOL& handled);
    using NotifyHandler = LRESULT (T::*)(int id, NMHDR* header, BOOL& handled);
    using TimerHandler = LRESULT (T::*)(UINT_PTR id, BOOL& handled);
    using ChainHandler = BOOL (T::*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                     DWORD mapId);

    // Matches every notification code of a command or notification.
    static constexpr int AnyCode = -1;

    MessageMap& Message(UINT message, MessageHandler handler) { return Add(Kind::Message, message, message, 0, handler); }
    MessageMap& MessageRange(UINT first, UINT last, MessageHandler handler)
    {
        return Add(Kind::Message, first, last, 0, handler);
    }
    // A registered message whose id T keeps in a member.
    MessageMap& RegisteredMessage(UINT T::*id, MessageHandler handler)
    {
        Entry entry = MakeEntry(Kind::Registered, 0, 0, 0);
        entry.registeredId = id;
        entry.onMessage = handler;
        m_entries.push_back(entry);
        return *this;
    }
    // WM_COMMAND from a control or menu id, with one notification code or any.
    MessageMap& Command(UINT id, int code, CommandHandler handler)
    {
        Entry entry = MakeEntry(Kind::Command, id, id, code);
        entry.onCommand = handler;
        m_entries.push_back(entry);
        return *this;
    }
    MessageMap& Command(UINT id, CommandHandler handler) { return Command(id, AnyCode, handler); }
    MessageMap& CommandRange(UINT first, UINT last, int code, CommandHandler handler)
    {
        Entry entry = MakeEntry(Kind::Command, first, last, code);
        entry.onCommand = handler;
        m_entries.push_back(entry);
        return *this;
    }
    MessageMap& Notify(UINT id, int code, NotifyHandler handler)
    {
        return NotifyRange(id, id, code, handler);
    }
    MessageMap& NotifyRange(UINT first, UINT last, int code, NotifyHandler handler)
    {
        Entry entry = MakeEntry(Kind::Notify, first, last, code);
        entry.onNotify = handler;
        m_entries.push_back(entry);
        return *this;
    }
    MessageMap& Timer(UINT_PTR id, TimerHandler handler) { return TimerRange(id, id, handler); }
    MessageMap& TimerRange(UINT_PTR first, UINT_PTR last, TimerHandler handler)
    {
        Entry entry = MakeEntry(Kind::Timer, 0, 0, 0);
        entry.firstTimer = first;
        entry.lastTimer = last;
        entry.onTimer = handler;
        m_entries.push_back(entry);
        return *this;
    }
    // Hands the message to another map (a base class's, a member's).
    MessageMap& Chain(ChainHandler handler)
    {
        Entry entry = MakeEntry(Kind::Chain, 0, 0, 0);
        entry.onChain = handler;
        m_entries.push_back(entry);
        return *this;
    }
    // The lines that follow belong to the alternate map mapId.
    MessageMap& AlternateMap(DWORD mapId)
    {
        m_currentMap = mapId;
        return *this;
    }

    BOOL Dispatch(T* object, HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                  DWORD mapId) const
    {
        for (const Entry& entry : m_entries)
        {
            if (entry.mapId != mapId)
                continue;
            BOOL handled = TRUE;
            LRESULT answer = 0;
            switch (entry.kind)
            {
            case Kind::Message:
                if (message < entry.first || message > entry.last)
                    continue;
                answer = (object->*entry.onMessage)(message, wParam, lParam, handled);
                break;
            case Kind::Registered:
                if (object->*entry.registeredId == 0 || message != object->*entry.registeredId)
                    continue;
                answer = (object->*entry.onMessage)(message, wParam, lParam, handled);
                break;
            case Kind::Command:
                if (message != WM_COMMAND || LOWORD(wParam) < entry.first || LOWORD(wParam) > entry.last ||
                    (entry.code != AnyCode && HIWORD(wParam) != static_cast<WORD>(entry.code)))
                    continue;
                answer = (object->*entry.onCommand)(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam),
                                                   handled);
                break;
            case Kind::Notify:
            {
                NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
                if (message != WM_NOTIFY || !header || header->idFrom < entry.first || header->idFrom > entry.last ||
                    (entry.code != AnyCode && static_cast<int>(header->code) != entry.code))
                    continue;
                answer = (object->*entry.onNotify)(static_cast<int>(header->idFrom), header, handled);
                break;
            }
            case Kind::Timer:
                if (message != WM_TIMER || wParam < entry.firstTimer || wParam > entry.lastTimer)
                    continue;
                answer = (object->*entry.onTimer)(wParam, handled);
                break;
            case Kind::Chain:
                handled = (object->*entry.onChain)(window, message, wParam, lParam, answer, mapId);
                break;
            }
            if (handled)
            {
                result = answer;
                return TRUE;
            }
        }
        return FALSE;
    }

private:
    enum class Kind
    {
        Message,
        Registered,
        Command,
        Notify,
        Timer,
        Chain
    };
    struct Entry
    {
        Kind kind;
        DWORD mapId;
        UINT first;
        UINT last;
        int code;
        UINT_PTR firstTimer;
        UINT_PTR lastTimer;
        UINT T::*registeredId;
        MessageHandler onMessage;
        CommandHandler onCommand;
        NotifyHandler onNotify;
        TimerHandler onTimer;
        ChainHandler onChain;
    };

    Entry MakeEntry(Kind kind, UINT first, UINT last, int code) const
    {
        return Entry{kind, m_currentMap, first, last, code, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    }
    MessageMap& Add(Kind kind, UINT first, UINT last, int code, MessageHandler handler)
    {
        Entry entry = MakeEntry(kind, first, last, code);
        entry.onMessage = handler;
        m_entries.push_back(entry);
        return *this;
    }

    std::vector<Entry> m_entries;
    DWORD m_currentMap = 0;
};

// What dialogs and windows share: the object kept with its window, handler
// exceptions carried out of the window procedure.
class CWindowImplRoot : public CWindow, public CMessageMap
{
public:
    CWindowImplRoot() = default;
    CWindowImplRoot(const CWindowImplRoot&) = delete;
    CWindowImplRoot& operator=(const CWindowImplRoot&) = delete;

    // The message being handled now (the handlers' view of it).
    const MSG* GetCurrentMessage() const { return m_currentMessage; }

protected:
    // Called after WM_NCDESTROY, when the window handle has been cleared; a
    // heap object may delete itself here.
    virtual void OnFinalMessage(HWND /*window*/) {}

    // Runs the message map with the object's exception guard: an exception
    // that leaves a handler must not cross the system's window procedure, so
    // it is kept for this thread and the innermost modal dialog of the thread
    // is ended; DoModal throws it again (RethrowPendingException).
    BOOL RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Attaches the object being created on this thread to its window at the
    // window's first message; answers the object kept with a window.
    static CWindowImplRoot* TakeCreatingObject(HWND window);
    static void SetCreatingObject(CWindowImplRoot* object);
    // Clears the window handle after WM_NCDESTROY and calls OnFinalMessage.
    void FinishWindow(HWND window);

private:
    const MSG* m_currentMessage = nullptr;
};

// The exception that a window handler of this thread raised and that no
// DoModal has thrown again yet: thrown now, and forgotten. Nothing happens
// when there is none. Threads with a message loop of their own call it after
// DispatchMessage.
void RethrowPendingException();

class CDialogImplBase : public CWindowImplRoot
{
public:
    // A window still open when its object goes is destroyed without reaching
    // the object's handlers (destroy it first when WM_DESTROY matters).
    ~CDialogImplBase() override;

    // Ends a modal dialog with result (a modeless one is hidden).
    BOOL EndDialog(INT_PTR result);

protected:
    // Modal run from template id of module; the result of EndDialog, or -1
    // when the dialog could not be created (GetLastError tells why). Throws
    // what a handler threw.
    INT_PTR DoModalFromModule(HINSTANCE module, UINT id, HWND parent, LPARAM initParam);
    // Modeless window from template id of module; null when it could not be
    // created.
    HWND CreateFromModule(HINSTANCE module, UINT id, HWND parent, LPARAM initParam);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    LPARAM m_initParam = 0;
    CDialogImplBase* m_outerModal = nullptr;
};

// A dialog from template T::IDD of the resource module (the language module
// once the program has loaded it). T declares
//   enum { IDD = ... };
//   static const ATL::MessageMap<T>& GetMessageMap();
// WM_INITDIALOG reaches the map with lParam = the init parameter.
template <class T> class CDialogImpl : public CDialogImplBase
{
public:
    INT_PTR DoModal(HWND parent = ::GetActiveWindow(), LPARAM initParam = 0)
    {
        return DoModalFromModule(ATL::GetResourceInstance(), T::IDD, parent, initParam);
    }
    HWND Create(HWND parent, LPARAM initParam = 0)
    {
        return CreateFromModule(ATL::GetResourceInstance(), T::IDD, parent, initParam);
    }

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                              DWORD mapId) override
    {
        return T::GetMessageMap().Dispatch(static_cast<T*>(this), window, message, wParam, lParam, result, mapId);
    }
};

class CWindowImplBase : public CWindowImplRoot
{
public:
    // As for dialogs: an open window is destroyed without its handlers.
    ~CWindowImplBase() override;

protected:
    // Registers the class once per name (thread-safe through the system).
    static ATOM RegisterClassOnce(const wchar_t* className, UINT style, HBRUSH background, HCURSOR cursor);
    HWND CreateOfClass(const wchar_t* className, HWND parent, const RECT& rect, const wchar_t* title, DWORD style,
                       DWORD exStyle, HMENU menuOrId);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// A window of a class of its own, registered at the first Create. T declares
//   static const wchar_t* GetWndClassName();
//   static const ATL::MessageMap<T>& GetMessageMap();
// Messages that the map does not handle go to DefWindowProcW.
template <class T> class CWindowImpl : public CWindowImplBase
{
public:
    HWND Create(HWND parent, const RECT& rect, const wchar_t* title = nullptr, DWORD style = WS_OVERLAPPEDWINDOW,
                DWORD exStyle = 0, HMENU menuOrId = nullptr)
    {
        RegisterClassOnce(T::GetWndClassName(), CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1),
                          LoadCursorW(nullptr, IDC_ARROW));
        return CreateOfClass(T::GetWndClassName(), parent, rect, title, style, exStyle, menuOrId);
    }

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                              DWORD mapId) override
    {
        return T::GetMessageMap().Dispatch(static_cast<T*>(this), window, message, wParam, lParam, result, mapId);
    }
};

}
