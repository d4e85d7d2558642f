// The program's module object, constructed during static initialisation
// before wWinMain: it settles the user-interface language, loads the
// language resource module and makes it the source of every dialog template
// and string, starts GDI+ and fills the server base address. The program's
// entry file defines the one instance:
//   CLumivaneModule lumivane_module;
#pragma once

#include "foundation/GdiplusSession.h"
#include "foundation/StringEx.h"
#include "standins/atl/AtlModule.h"

#include <windows.h>

class CLumivaneModule : public ATL::CAtlExeModuleT<CLumivaneModule>
{
public:
    CLumivaneModule();

    bool IsGdiplusStarted() const { return m_gdiplus.IsStarted(); }

private:
    GdiplusSession m_gdiplus;
};

extern CLumivaneModule lumivane_module;

// The server base address stored in the program's protected texts (PNG
// resource 127 of the program); empty when it cannot be read.
MStringEx<wchar_t> ReadStoredServerBaseAddress();
