#include "slideshow/MainWindowThread.h"

#include "foundation/ComApartment.h"
#include "foundation/RandomSeed.h"
#include "foundation/SmartPtr.h"
#include "foundation/SystemUtilities.h"
#include "core/CrashReport.h"
#include "core/MessageBox.h"
#include "core/PrivateMessages.h"
#include "slideshow/LumivaneDlg.h"

#include <exception>

namespace
{
// The longest wait for the first round of slide adverts before the main
// window starts all the same.
constexpr DWORD SlideAdvertsStartWait = 20000;
// This thread's generator is seeded apart from the main thread's, which
// starts from the tick count alone.
constexpr DWORD MainDialogSeedFactor = 49;

// Tells the controller (and waits until it knows) that the main window
// object is about to go.
void ForgetMainWindow(const ControllerLink& link)
{
    if (HWND window = link.controllerWindow->load())
        ::SendMessageW(window, WM_MAIN_WINDOW_READY, 1, 0);
}
}

bool MainWindowSnapshot::HasPlainOperationMode() const
{
    return (operationMode.load() & ~PlainOperationModeBits) == 0;
}

DWORD WINAPI MainDialogThreadProc(LPVOID parameter)
{
    const auto& link = *static_cast<const ControllerLink*>(parameter);
    try
    {
        const ComApartment com;
        SetThreadLocale(UiLanguage);
        // The walk's random order differs from run to run.
        SeedThreadRandom(MainDialogSeedFactor);
        // A program that quits meanwhile does not start its main window.
        HANDLE waits[] = {link.exitEvent, link.slideAdvertsSettled};
        const bool quitting = WaitForMultipleObjects(2, waits, FALSE, SlideAdvertsStartWait) == WAIT_OBJECT_0;
        MSmartPtr<CLumivaneDlg> mainWindow;
        std::exception_ptr failure;
        try
        {
            if (!quitting)
                mainWindow.Reset(new CLumivaneDlg(&link));
            if (!mainWindow.IsEmpty())
                mainWindow->DoModal(GetDesktopWindow());
        }
        catch (...)
        {
            failure = std::current_exception();
        }
        ForgetMainWindow(link);
        mainWindow.Free();
        if (failure)
        {
            const MString text = CrashMessageText();
            ReportWorkerCrash(__FILE__, __LINE__, failure);
            NoThrow(0, [&] { return LocalizedMessageBox(GetDesktopWindow(), text.GetText(), link.caption.GetText(),
                                                        MB_ICONERROR); });
            if (HWND window = link.controllerWindow->load())
                ::PostMessageW(window, WM_QUIT_PROGRAM, 0, 0);
        }
    }
    catch (...)
    {
        ReportWorkerCrash(__FILE__, __LINE__, std::current_exception());
    }
    return 0;
}
