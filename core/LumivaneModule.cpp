#include "core/LumivaneModule.h"

#include "foundation/AtomPersistence.h"
#include "foundation/SystemUtilities.h"
#include "core/Language.h"

CLumivaneModule::CLumivaneModule()
{
    UiLanguage = LoadLanguage();
    const MStringEx<wchar_t> path =
        GetModuleFolder(GetModuleHandleW(nullptr), GetResourceModuleFileName(UiLanguage).GetText());
    LanguageModule = LoadLanguageModule(path.GetText());
    // Nothing is reported here when it is missing or empty: wWinMain tells
    // the user.
    SetResourceInstance(LanguageModule);

    ServerBaseAddress() = ReadStoredServerBaseAddress();
}
