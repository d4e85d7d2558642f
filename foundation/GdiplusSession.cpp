#include "foundation/GdiplusSession.h"

#include <objidl.h>

#include <gdiplus.h>

GdiplusSession::GdiplusSession()
{
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = TRUE;
    input.SuppressExternalCodecs = FALSE;
    Gdiplus::GdiplusStartupOutput output = {};
    if (Gdiplus::GdiplusStartup(&m_token, &input, &output) != Gdiplus::Ok)
    {
        m_token = 0;
        return;
    }
    if (output.NotificationHook && output.NotificationHook(&m_notificationToken) == Gdiplus::Ok)
        m_notificationUnhook = output.NotificationUnhook;
}

GdiplusSession::~GdiplusSession()
{
    if (m_notificationUnhook)
        m_notificationUnhook(m_notificationToken);
    if (m_token)
        Gdiplus::GdiplusShutdown(m_token);
}
