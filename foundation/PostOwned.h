// Passing a heap object with a posted message: the object belongs to the
// receiver once the post succeeds, and is freed here when it fails.
#pragma once

#include <windows.h>

#include <memory>

template <class T> bool PostOwned(HWND window, UINT message, WPARAM wParam, std::unique_ptr<T> payload)
{
    if (!::PostMessageW(window, message, wParam, reinterpret_cast<LPARAM>(payload.get())))
        return false;
    payload.release();
    return true;
}

// The receiving side: takes over the object a PostOwned message carries.
template <class T> std::unique_ptr<T> TakeOwned(LPARAM lParam)
{
    return std::unique_ptr<T>(reinterpret_cast<T*>(lParam));
}
