// GDI+ for the life of its owner: started without its background thread,
// whose notification hook is then called at once, and shut down in order.
#pragma once

#include <windows.h>

class GdiplusSession
{
public:
    GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    ~GdiplusSession();

    bool IsStarted() const { return m_token != 0; }

private:
    ULONG_PTR m_token = 0;
    ULONG_PTR m_notificationToken = 0;
    void(WINAPI* m_notificationUnhook)(ULONG_PTR) = nullptr;
};
