#include "server/InternetException.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::wstring Text(const MStringEx<wchar_t>& text) { return text.GetText(); }
} // namespace

TEST(ErrorLocation, ProgramCodesAndSystemErrors)
{
    EXPECT_EQ(Text(ErrorLocationText(MakeInternetFailure(3, 880, 12))), L"UE3.L880.F12");
    EXPECT_EQ(Text(ErrorLocationText(MakeInternetError(5, 870, 9))), L"CE5.F0.L870.F9");
    const InternetException odd(0, 12029, 0xFFFFFFFF, 839, 11);
    EXPECT_EQ(Text(ErrorLocationText(odd)), L"CE12029.F-1.L839.F11");
    EXPECT_EQ(Text(ErrorLocationText(MakeInternetFailure(1, 853, 12))), L"UE1.L853.F12");
}
