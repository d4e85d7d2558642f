// Settings every server test relies on: the language module of the failure
// texts, the user-interface language and the server base address that the
// program's start-up would set.
#include "crypto/ProtectedTexts.h"
#include "foundation/AtomPersistence.h"
#include "foundation/SystemUtilities.h"
#include "core/Language.h"
#include "core/ThreadCounter.h"

#include <gtest/gtest.h>

namespace
{
class ServerEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        m_module = LoadLibraryW(GetModuleFolder(nullptr, L"Resources EN US.dll").GetText());
        ASSERT_NE(m_module, nullptr);
        LanguageModule = m_module;
        UiLanguage = LanguageEnglish;
        ServerBaseAddress() = StoredServerBaseAddress();
        // Clean Up requests count themselves as worker threads.
        ThreadCounterHolder.Create();
    }
    void TearDown() override
    {
        LanguageModule = nullptr;
        FreeLibrary(m_module);
    }

private:
    HMODULE m_module = nullptr;
};

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new ServerEnvironment);
} // namespace
