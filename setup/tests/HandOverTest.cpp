#include "setup/HandOver.h"

#include <gtest/gtest.h>

namespace
{
struct ModeCase
{
    const wchar_t* commandLine;
    SetupMode mode;
    const wchar_t* switchText;
};

TEST(HandOver, ChoosesTheModeFromTheCommandLine)
{
    const ModeCase cases[] = {
        {L"", SetupMode::Plain, L""},
        {L"\"C:\\Setup\\Quillory Setup.exe\"", SetupMode::Plain, L""},
        {L"/upgrade***{A}***p***f***e***1033", SetupMode::Upgrade, L"/upgrade***{A}***p***f***e***1033"},
        // Any case; what precedes the switch (the program path) is dropped.
        {L"\"C:\\x\\{1}.Setup.exe\" /UPGRADE***{A}***p", SetupMode::Upgrade, L"/UPGRADE***{A}***p"},
        {L"  \"/UpGrAdE***{A}***p\"  ", SetupMode::Upgrade, L"/UpGrAdE***{A}***p"},
        // No brace after the switch: plain mode.
        {L"/upgrade***A***p***f***e***1033", SetupMode::Plain, L""},
        {L"/upgrade_uninstall_install***{A}***p***f", SetupMode::UninstallInstall,
         L"/upgrade_uninstall_install***{A}***p***f"},
        {L"x.exe /Upgrade_Uninstall_Install***{A}***p***f", SetupMode::UninstallInstall,
         L"/Upgrade_Uninstall_Install***{A}***p***f"},
        // The uninstall-install switch is found first, but without a brace
        // it selects nothing.
        {L"/upgrade_uninstall_install***A /upgrade***{B}", SetupMode::Plain, L"/upgrade_uninstall_install***A /upgrade***{B}"},
        {L"/clean_setup_file***x***1", SetupMode::Plain, L""},
    };
    for (const ModeCase& c : cases)
    {
        MString switchText(L"unchanged");
        EXPECT_EQ(ChooseSetupMode(c.commandLine, switchText), c.mode) << c.commandLine;
        EXPECT_STREQ(switchText.GetText(), c.switchText) << c.commandLine;
    }
}

TEST(HandOver, ReadsTheUpgradeCommandLine)
{
    UpgradeRequest request;
    ASSERT_TRUE(ParseUpgradeCommandLine(
        MString(L"/upgrade***{97095852-4142-479B-9DF3-A81B80B19229}***D:\\Downloads\\q.msi***C:\\Program "
                L"Files\\Velmora\\Quillory***event name***1026***extra"),
        request));
    EXPECT_STREQ(request.productCode.GetText(), L"{97095852-4142-479B-9DF3-A81B80B19229}");
    EXPECT_STREQ(request.packagePath.GetText(), L"D:\\Downloads\\q.msi");
    EXPECT_STREQ(request.installFolder.GetText(), L"C:\\Program Files\\Velmora\\Quillory");
    EXPECT_STREQ(request.exitEventName.GetText(), L"event name");
    EXPECT_EQ(request.language, 1026u);

    // Adjacent separators make no empty item: an empty folder leaves five.
    EXPECT_FALSE(ParseUpgradeCommandLine(MString(L"/upgrade***{A}***p******e***1033"), request));
    EXPECT_FALSE(ParseUpgradeCommandLine(MString(L"/upgrade***{A}***p***f***e"), request));
}

TEST(HandOver, LanguageItemReadsItsLeadingDigits)
{
    const struct
    {
        const wchar_t* item;
        unsigned value;
    } cases[] = {{L"1026", 1026}, {L"1033", 1033}, {L"1026x", 1026}, {L"x1026", 0}, {L" 1026", 0},
                 {L"99999999999", 0xFFFFFFFFu}};
    for (const auto& c : cases)
        EXPECT_EQ(LeadingNumber(MString(c.item)), c.value) << c.item;
}

TEST(HandOver, CommandLinesRoundTrip)
{
    UpgradeRequest upgrade;
    upgrade.productCode = HandOver::ProductCode;
    upgrade.packagePath = L"D:\\Downloads\\Quillory - Setup.msi";
    upgrade.installFolder = L"C:\\Program Files\\Velmora\\Quillory";
    upgrade.exitEventName = L"{97095852-4142-479B-9DF3-A81B80B19229}LV_exit";
    upgrade.language = 1033;
    const MString line = MakeUpgradeCommandLine(upgrade);
    EXPECT_STREQ(line.GetText(),
                 L"/upgrade***{97095852-4142-479B-9DF3-A81B80B19229}***D:\\Downloads\\Quillory - Setup.msi***C:\\"
                 L"Program Files\\Velmora\\Quillory***{97095852-4142-479B-9DF3-A81B80B19229}LV_exit***1033");
    MString switchText;
    ASSERT_EQ(ChooseSetupMode(line.GetText(), switchText), SetupMode::Upgrade);
    UpgradeRequest read;
    ASSERT_TRUE(ParseUpgradeCommandLine(switchText, read));
    EXPECT_STREQ(read.packagePath.GetText(), upgrade.packagePath.GetText());
    EXPECT_STREQ(read.exitEventName.GetText(), upgrade.exitEventName.GetText());

    InstallRequest install;
    install.productCode = upgrade.productCode;
    install.packagePath = upgrade.packagePath;
    install.installFolder = upgrade.installFolder;
    install.language = 1026;
    const MString installLine = MakeInstallCommandLine(install);
    ASSERT_EQ(ChooseSetupMode(installLine.GetText(), switchText), SetupMode::UninstallInstall);
    InstallRequest readInstall;
    ASSERT_TRUE(ParseInstallCommandLine(switchText, readInstall));
    EXPECT_STREQ(readInstall.installFolder.GetText(), install.installFolder.GetText());
    EXPECT_EQ(readInstall.language, 1026u);
    // The three items the Windows Installer step needs are enough.
    ASSERT_TRUE(ParseInstallCommandLine(MString(L"/upgrade_uninstall_install***{A}***p***f"), readInstall));
    EXPECT_EQ(readInstall.language, 1033u);
    EXPECT_FALSE(ParseInstallCommandLine(MString(L"/upgrade_uninstall_install***{A}***p"), readInstall));
}

TEST(HandOver, CleanSetupLineIsOneQuotedToken)
{
    EXPECT_STREQ(MakeCleanSetupCommandLine(L"C:\\Q\\{1}.Setup.exe", 4242).GetText(),
                 L"\"/clean_setup_file***C:\\Q\\{1}.Setup.exe***4242\"");
}

TEST(HandOver, ViewerPathHasOneBackslash)
{
    EXPECT_STREQ(ViewerPathIn(MString(L"C:\\Q")).GetText(), L"C:\\Q\\Quillory Window.exe");
    EXPECT_STREQ(ViewerPathIn(MString(L"C:\\Q\\\\")).GetText(), L"C:\\Q\\Quillory Window.exe");
}

TEST(HandOver, MsiExecParameters)
{
    EXPECT_STREQ(MsiUninstallParameters(MString(HandOver::ProductCode)).GetText(),
                 L"/x {97095852-4142-479B-9DF3-A81B80B19229} /passive");
    EXPECT_STREQ(MsiInstallParameters(MString(L"D:\\d\\q.msi"), MString(L"C:\\Program Files\\Q")).GetText(),
                 L"/i \"D:\\d\\q.msi\" /qb TARGETDIR=\"C:\\Program Files\\Q\"");
}
}
