// The controller's dialogs (settings, galleries, release, about box): one at
// a time, each recording its window while it is open so that the controller
// can ask it to close.
#pragma once

#include "foundation/Handle.h"
#include "foundation/Sync.h"
#include "core/DialogWindowSlot.h"

class DialogRunner
{
public:
    DialogRunner() = default;
    DialogRunner(const DialogRunner&) = delete;
    DialogRunner& operator=(const DialogRunner&) = delete;

    // Where the open dialog records its window.
    DialogWindowSlot* Slot() { return &m_slot; }
    // The open dialog's window, or null.
    HWND OpenWindow() { return m_slot.Get(); }

    // Runs run (which opens one dialog modally) unless another of the
    // controller's dialogs is open; then it returns false at once.
    template <class Run> bool RunOne(Run&& run)
    {
        SemaphoreGuard one(DialogGuard, SemaphoreGuard::Take::Try);
        if (!one.IsHeld())
            return false;
        run();
        return true;
    }

    // Sends the close request to the open dialog, if any.
    void CloseOpen()
    {
        // A free guard: no dialog is open, and none opens while the caller
        // runs on the controller's thread.
        SemaphoreGuard one(DialogGuard, SemaphoreGuard::Take::Try);
        if (!one.IsHeld())
            m_slot.SendCloseRequest();
    }

private:
    // Taken by the opener while one of the dialogs is open.
    MHandle DialogGuard{NewGuard()};
    DialogWindowSlot m_slot;
};
