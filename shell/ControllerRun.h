// The controller's run as the program's entry makes it: the hidden parent,
// the controller's modal run, the end of the workers and the exit wait.
#pragma once

#include "shell/WindowBase.h"

#include <functional>

// Runs the controller modally under its hidden parent; mainWindowThread runs
// the main window (its parameter a ControllerLink). running is called on this
// thread with the controller before its run starts. However the run ends,
// the workers are told to end and waited for before the controller goes; a
// failure of the run is then thrown again. Answers the modal run's result.
INT_PTR RunController(LPTHREAD_START_ROUTINE mainWindowThread,
                      const std::function<void(CWindowBase&)>& running = nullptr);
