#include "shell/ControllerRun.h"

#include "foundation/RandomSeed.h"
#include "core/ThreadCounter.h"

#include <exception>

INT_PTR RunController(LPTHREAD_START_ROUTINE mainWindowThread, const std::function<void(CWindowBase&)>& running)
{
    // The tray menu places its adverts by the C runtime's generator of this
    // thread: a new seed at every start.
    SeedThreadRandom(1);
    CWindowBase controller(mainWindowThread);
    CWindowBaseBase parent(&controller.m_hWnd, controller.Events().EndSessionEvent);
    if (!parent.Create(GetDesktopWindow()) && parent.IsWindow())
        parent.DestroyWindow();
    if (running)
        running(controller);

    // A failure that ends the modal run must still end the workers before
    // the objects they use go.
    INT_PTR result = 0;
    std::exception_ptr failure;
    try
    {
        result = controller.DoModal(parent.m_hWnd);
    }
    catch (...)
    {
        failure = std::current_exception();
    }
    controller.EndWorkers();

    if (parent.IsWindow())
        parent.DestroyWindow();
    WaitForWorkerThreads();
    if (failure)
        std::rethrow_exception(failure);
    return result;
}
