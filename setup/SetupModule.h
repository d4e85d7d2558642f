// CSetupModule: what Quillory Setup keeps for its whole run: GDI+, started
// before the entry point's work and shut down after it, so that the
// dialog's artwork can be decoded.
#pragma once

#include "foundation/GdiplusSession.h"

class CSetupModule
{
public:
    bool GdiplusRunning() const { return m_gdiplus.IsStarted(); }

private:
    GdiplusSession m_gdiplus;
};
