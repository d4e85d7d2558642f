// The wait dialog: an icon, the seconds elapsed since it was built and an
// optional message, while a worker thread or steps on the owner's thread do a
// long job. It offers no Cancel: the worker ends it with WaitDlgEnd.
//   Worker mode: the owner creates the worker suspended, builds CWaitDlg with
//   its thread handle and runs it modally; the dialog resumes the worker when
//   shown; the worker may ask the user with WaitDlgAsk and ends the dialog with
//   WaitDlgEnd; after DoModal the owner waits for the thread.
//   Message mode: centred at a point, topmost, on white, optionally doing
//   IDo_work steps between messages; modal, or modeless for the controller's
//   start-up wait window.
#pragma once

#include "foundation/GdiOwners.h"
#include "foundation/Handle.h"
#include "foundation/StringEx.h"
#include "foundation/WindowPlacement.h"
#include "resources/languages/LanguageIds.h"
#include "standins/atl/AtlWindow.h"

// Work done in steps on the dialog's (the owner's) thread while it is shown.
class IDo_work
{
public:
    virtual ~IDo_work() = default;
    // Performs the next step; true while further steps remain.
    virtual bool Step() = 0;
    // True while the work is not finished.
    virtual bool IsPending() = 0;
};

// Sent by the worker: wParam a NUL-terminated wide text (a file path), lParam
// MessageBox flags; answers the user's choice.
const UINT WaitDlgAsk = WM_USER + 5;
// Sent by the worker at its end: wParam is the dialog's result.
const UINT WaitDlgEnd = WM_USER + 32;
// Posted by the dialog to itself: the next step.
const UINT WaitDlgNextStep = WM_USER + 51;

class CWaitDlg : public ATL::CDialogImpl<CWaitDlg>
{
public:
    enum
    {
        IDD = IDD_WAIT
    };

    // Message mode, centred on point, with steps (null for none).
    CWaitDlg(POINT point, const MStringEx<wchar_t>& message, IDo_work* steps);
    // Worker mode: the thread handle is used, not owned.
    explicit CWaitDlg(HANDLE worker);
    // The controller's start-up wait window: message shown, placed by its
    // owner (PlaceAtPoint), no steps.
    explicit CWaitDlg(const MStringEx<wchar_t>& message);
    ~CWaitDlg() override;

    static const ATL::MessageMap<CWaitDlg>& GetMessageMap();

    // Centres the window on point, pulled into the nearest work area when it
    // is not fully on the monitors.
    void PlaceAtPoint(POINT point, bool repaint);

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSwallowCommand(WORD, WORD, HWND, BOOL&) { return 0; }
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnShowWindow(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCtlColorDlg(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCtlColorStatic(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnElapsedTimer(UINT_PTR, BOOL&);
    LRESULT OnAsk(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEnd(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNextStep(UINT, WPARAM, LPARAM, BOOL&);

    void WriteElapsed();
    bool StepsPending() const { return m_steps && m_steps->IsPending(); }

    MRefHandle m_worker;
    MIcon m_icon;
    HWND m_iconControl = nullptr;
    HWND m_elapsedText = nullptr;
    HWND m_messageText = nullptr;
    HWND m_cancelButton = nullptr;
    MStringEx<wchar_t> m_caption;
    DerivedWindowFont m_elapsedFont;
    HCURSOR m_savedCursor;
    MStringEx<wchar_t> m_message;
    bool m_showMessage;
    UINT_PTR m_timerId = 0;
    DWORD m_startTick;
    bool m_placeAtPoint;
    POINT m_point;
    IDo_work* m_steps;
    bool m_endRequested = false;
    INT_PTR m_endResult = 0;
};
