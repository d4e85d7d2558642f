#include "slideshow/ProgramIdentity.h"

#include "resources/languages/LanguageIds.h"
#include "resources/window/ProgramResourceIds.h"

ProgramIdentity::ProgramIdentity()
    : m_caption(ResId(IDS_PRODUCT_CAPTION)),
      m_productName(L"ProductName", static_cast<HMODULE>(nullptr)),
      m_name(ResId(IDS_PRODUCT_NAME)),
      m_productVersion(L"ProductVersion", static_cast<HMODULE>(nullptr)),
      m_icon(GetModuleHandleW(nullptr), IDI_PROGRAM)
{
}
