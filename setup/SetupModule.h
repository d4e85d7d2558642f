// CSetupModule: what Quillory Setup keeps for its whole run: GDI+, started
// before the entry point's work and shut down after it, so that the
// dialog's artwork can be decoded.
#pragma once

#include <windows.h>

class CSetupModule
{
public:
    CSetupModule();
    CSetupModule(const CSetupModule&) = delete;
    CSetupModule& operator=(const CSetupModule&) = delete;
    ~CSetupModule();

    bool GdiplusRunning() const { return m_gdiplusToken != 0; }

private:
    ULONG_PTR m_gdiplusToken = 0;
    ULONG_PTR m_notificationToken = 0;
    void(WINAPI* m_notificationUnhook)(ULONG_PTR) = nullptr;
};
