#include "setup/SetupModule.h"

#include <objidl.h>
#include <gdiplus.h>

CSetupModule::CSetupModule()
{
    // With the background thread suppressed the start-up hands back the
    // notification hook, which is called at once.
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = TRUE;
    input.SuppressExternalCodecs = FALSE;
    Gdiplus::GdiplusStartupOutput output = {};
    if (Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, &output) != Gdiplus::Ok)
    {
        m_gdiplusToken = 0;
        return;
    }
    if (output.NotificationHook && output.NotificationHook(&m_notificationToken) == Gdiplus::Ok)
        m_notificationUnhook = output.NotificationUnhook;
}

CSetupModule::~CSetupModule()
{
    if (m_notificationUnhook)
        m_notificationUnhook(m_notificationToken);
    if (m_gdiplusToken)
        Gdiplus::GdiplusShutdown(m_gdiplusToken);
}
