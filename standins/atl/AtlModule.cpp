#include "standins/atl/AtlModule.h"

namespace ATL
{

namespace
{
CAtlModule* volatile g_module = nullptr;
}

CAtlModule::CAtlModule()
    : m_moduleInstance(GetModuleHandleW(nullptr)), m_resourceInstance(m_moduleInstance), m_previous(g_module)
{
    g_module = this;
}

CAtlModule::~CAtlModule()
{
    if (g_module == this)
        g_module = m_previous;
}

HINSTANCE CAtlModule::GetResourceInstance() const
{
    HINSTANCE resources = reinterpret_cast<HINSTANCE>(
        InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(const_cast<HINSTANCE*>(&m_resourceInstance)),
                                          nullptr, nullptr));
    return resources;
}

HINSTANCE CAtlModule::SetResourceInstance(HINSTANCE resources)
{
    if (!resources)
        resources = m_moduleInstance;
    return reinterpret_cast<HINSTANCE>(
        InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&m_resourceInstance), resources));
}

CAtlModule* GetModule() { return g_module; }

HINSTANCE GetResourceInstance()
{
    CAtlModule* module = g_module;
    return module ? module->GetResourceInstance() : GetModuleHandleW(nullptr);
}

}
