#include "shell/core/LumivaneModule.h"

#include "foundation/AtomPersistence.h"
#include "foundation/SystemUtilities.h"
#include "shell/core/Language.h"

#include <objidl.h>
#include <gdiplus.h>

CLumivaneModule::CLumivaneModule()
{
    UiLanguage = LoadLanguage();
    const MStringEx<wchar_t> path =
        GetModuleFolder(GetModuleHandleW(nullptr), GetResourceModuleFileName(UiLanguage).GetText());
    LanguageModule = LoadLanguageModule(path.GetText());
    // Nothing is reported here when it is missing or empty: wWinMain tells
    // the user.
    SetResourceInstance(LanguageModule);

    // With the background thread suppressed the start-up hands back the
    // notification hook, which is called at once.
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = TRUE;
    input.SuppressExternalCodecs = FALSE;
    Gdiplus::GdiplusStartupOutput output = {};
    if (Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, &output) == Gdiplus::Ok)
    {
        if (output.NotificationHook && output.NotificationHook(&m_notificationToken) == Gdiplus::Ok)
            m_notificationUnhook = output.NotificationUnhook;
    }
    else
        m_gdiplusToken = 0;

    ServerBaseAddress() = ReadStoredServerBaseAddress();
}

CLumivaneModule::~CLumivaneModule()
{
    if (m_notificationUnhook)
        m_notificationUnhook(m_notificationToken);
    if (m_gdiplusToken)
        Gdiplus::GdiplusShutdown(m_gdiplusToken);
}
