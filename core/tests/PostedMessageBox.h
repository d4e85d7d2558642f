// What a worker thread asked its controller window to show: the one posted
// message-box request waiting in the window's queue.
#pragma once

#include "foundation/StringEx.h"
#include "core/PrivateMessages.h"

#include <windows.h>

#include <memory>
#include <string>

namespace UiTest
{
struct PostedMessageBox
{
    // Whether the queue held exactly one message, a message-box request.
    bool alone = false;
    std::wstring text;
    LPARAM type = 0;
};

// Takes the window's queued messages; the request's heap text is freed here.
inline PostedMessageBox TakePostedMessageBox(HWND window)
{
    PostedMessageBox posted;
    MSG msg;
    if (!PeekMessageW(&msg, window, 0, 0, PM_REMOVE) || msg.message != WM_MESSAGE_BOX_REQUEST)
        return posted;
    const std::unique_ptr<MString> text = TakeMessageBoxRequest(msg.wParam);
    posted.text = text ? text->GetText() : L"";
    posted.type = msg.lParam;
    posted.alone = !PeekMessageW(&msg, window, 0, 0, PM_REMOVE);
    return posted;
}

// The program's product name and version, as the failure texts name them.
inline std::wstring ProductNameAndVersion()
{
    const MString name(L"ProductName", static_cast<HMODULE>(nullptr));
    const MString version(L"ProductVersion", static_cast<HMODULE>(nullptr));
    return std::wstring(name.GetText()) + L" " + version.GetText();
}
} // namespace UiTest
