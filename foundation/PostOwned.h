// Passing heap objects with a posted message: an object belongs to the
// receiver once the post succeeds, and is freed here when it fails. A null
// window is refused as a failure: PostMessage would put the message on the
// calling thread's own queue, where nobody takes the object.
//
// Each message that carries objects has its own typed pair beside its id (a
// post function taking the objects, a take function handing them back), built
// on these.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <memory>

namespace PostOwnedDetail
{
inline bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return window && ::PostMessageW(window, message, wParam, lParam);
}
} // namespace PostOwnedDetail

// The object goes in lParam.
template <class T> bool PostOwned(HWND window, UINT message, WPARAM wParam, std::unique_ptr<T> payload)
{
    if (!PostOwnedDetail::Post(window, message, wParam, reinterpret_cast<LPARAM>(payload.get())))
        return false;
    payload.release();
    return true;
}

// The object goes in wParam; lParam carries a plain value.
template <class T> bool PostOwnedInWParam(HWND window, UINT message, std::unique_ptr<T> payload, LPARAM lParam)
{
    if (!PostOwnedDetail::Post(window, message, reinterpret_cast<WPARAM>(payload.get()), lParam))
        return false;
    payload.release();
    return true;
}

// One object in each parameter.
template <class W, class L>
bool PostOwnedBoth(HWND window, UINT message, std::unique_ptr<W> inWParam, std::unique_ptr<L> inLParam)
{
    if (!PostOwnedDetail::Post(window, message, reinterpret_cast<WPARAM>(inWParam.get()),
                               reinterpret_cast<LPARAM>(inLParam.get())))
        return false;
    inWParam.release();
    inLParam.release();
    return true;
}

// The receiving side: takes over the object a message carries (null stays null).
template <class T> std::unique_ptr<T> TakeOwned(LPARAM lParam)
{
    return std::unique_ptr<T>(reinterpret_cast<T*>(lParam));
}

template <class T> std::unique_ptr<T> TakeOwnedFromWParam(WPARAM wParam)
{
    return std::unique_ptr<T>(reinterpret_cast<T*>(wParam));
}

// A message that carries objects, and what frees them (through its take
// function) when nobody will receive it.
struct PayloadMessage
{
    UINT message;
    void (*free)(WPARAM, LPARAM);
};

// Frees what the window's queue still holds of these messages. Called as the
// window is destroyed: its queued messages would be lost with it, and their
// objects with them.
inline void DrainPayloadMessages(HWND window, std::initializer_list<PayloadMessage> messages)
{
    if (!window)
        return;
    MSG queued;
    for (const PayloadMessage& kind : messages)
        while (::PeekMessageW(&queued, window, kind.message, kind.message, PM_REMOVE))
            kind.free(queued.wParam, queued.lParam);
}
