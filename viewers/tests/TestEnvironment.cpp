// What the program's start-up sets and the viewers rely on: the server base
// address (the properties page's style sheet, the auth-code key).
#include "crypto/ProtectedTexts.h"
#include "core/Language.h"

#include <gtest/gtest.h>

namespace
{
class ViewersEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { ServerBaseAddress() = StoredServerBaseAddress(); }
};

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new ViewersEnvironment);
} // namespace
