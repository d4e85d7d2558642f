// The message box a dialog may show next, answered from the script thread.
#pragma once

#include "core/tests/UiTestSupport.h"

#include <string>

// Waits until the dialog shows a message box (answered with answer once its
// text is read) or is no longer on screen; the box's text, or empty when the
// dialog ended without one.
inline std::wstring AnswerNextBox(DWORD ui, HWND dialog, int answer)
{
    std::wstring text;
    UiTest::WaitUntil([&] {
        if (!IsWindow(dialog) || !IsWindowVisible(dialog))
            return true;
        HWND box = UiTest::WaitForDialog(ui, dialog, 50);
        if (!box)
            return false;
        text = UiTest::DialogItemText(box, 0xFFFF);
        PostMessageW(box, WM_COMMAND, answer, 0);
        UiTest::WaitUntil([&] { return !IsWindow(box); });
        return true;
    });
    return text;
}
