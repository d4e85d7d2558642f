// The module object of a program: which module its dialog templates and
// string tables come from. It is constructed during static initialisation,
// before the entry point, so that start-up can set the resource module first.
#pragma once

#include <windows.h>

namespace ATL
{

class CAtlModule
{
public:
    // Becomes the process's module object; the resource module starts as the
    // program's own module.
    CAtlModule();
    CAtlModule(const CAtlModule&) = delete;
    CAtlModule& operator=(const CAtlModule&) = delete;
    virtual ~CAtlModule();

    HINSTANCE GetModuleInstance() const { return m_moduleInstance; }
    HINSTANCE GetResourceInstance() const;
    // Atomic exchange; answers the previous resource module. Null restores
    // the program's own module.
    HINSTANCE SetResourceInstance(HINSTANCE resources);

private:
    HINSTANCE m_moduleInstance;
    HINSTANCE volatile m_resourceInstance;
    CAtlModule* m_previous;
};

// The module object of an executable. T is the program's own module class.
template <class T> class CAtlExeModuleT : public CAtlModule
{
public:
    ~CAtlExeModuleT() override = default;
};

// The process's module object, or null before one exists.
CAtlModule* GetModule();
// Where dialog templates are taken from: the module object's resource module,
// or the program's own module when there is no module object.
HINSTANCE GetResourceInstance();

}
