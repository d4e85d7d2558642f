#include "setup/SetupDlg.h"

#include "resources/setup/SetupResourceIds.h"
#include "setup/SetupModule.h"
#include "setup/SetupText.h"
#include "setup/tests/RecordingSystem.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
TEST(SetupDlg, PackageFileNameByWindowsAndProcessor)
{
    const MString folder(L"D:");
    EXPECT_STREQ(MsiPackageFileName(folder, 10, PROCESSOR_ARCHITECTURE_AMD64).GetText(),
                 L"D:\\Quillory - Setup for Windows - 64 bit.msi");
    EXPECT_STREQ(MsiPackageFileName(folder, 5, PROCESSOR_ARCHITECTURE_INTEL).GetText(),
                 L"D:\\Quillory - Setup for Windows XP - 32 bit.msi");
    EXPECT_STREQ(MsiPackageFileName(folder, 0, PROCESSOR_ARCHITECTURE_AMD64).GetText(),
                 L"D:\\Quillory - Setup for Windows XP - 64 bit.msi");
    EXPECT_STREQ(MsiPackageFileName(folder, 10, 12 /* ARM64 */).GetText(),
                 L"D:\\Quillory - Setup for Windows - 32 bit.msi");
}

TEST(SetupDlg, LaunchFailureMessages)
{
    HMODULE module = GetModuleHandleW(nullptr);
    const MString package(L"E:\\Quillory - Setup for Windows - 64 bit.msi");
    {
        RecordingSystem system;
        system.driveType = DRIVE_CDROM;
        EXPECT_FALSE(LaunchInstallPackage(system, module, nullptr, L"T", MString(L"E:\\setup.exe"), package));
        ASSERT_EQ(system.opened.size(), 2u);
        EXPECT_EQ(system.opened[1], L"E:\\Read Me.htm");
        ASSERT_EQ(system.messages.size(), 2u);
        EXPECT_EQ(system.messages[0].text,
                  std::wstring(FormatSetupString(module, IDS_SETUP_PACKAGE_NOT_STARTED_CD, DefaultSetupLanguage(),
                                                 L"Quillory - Setup for Windows - 64 bit.msi")
                                   .GetText()));
        EXPECT_EQ(system.messages[1].text,
                  std::wstring(SetupString(module, IDS_SETUP_README_NOT_OPENED, DefaultSetupLanguage()).GetText()));
    }
    {
        // From a hard disk: string 112 and no read-me.
        RecordingSystem system;
        EXPECT_FALSE(LaunchInstallPackage(system, module, nullptr, L"T", MString(L"C:\\setup.exe"), package));
        EXPECT_EQ(system.opened.size(), 1u);
        ASSERT_EQ(system.messages.size(), 1u);
        EXPECT_EQ(system.messages[0].type, static_cast<UINT>(MB_ICONERROR));
    }
    {
        RecordingSystem system;
        system.openDocumentWorks = true;
        EXPECT_TRUE(LaunchInstallPackage(system, module, nullptr, L"T", MString(L"C:\\setup.exe"), package));
        EXPECT_TRUE(system.messages.empty());
    }
}

// The dialog on the test display: artwork at its own size, Enter and Escape
// ignored, the button opens the package beside the program, the close box
// ends it.
TEST(SetupDlg, RunsOnTheDisplay)
{
    CSetupModule gdiplus;
    ASSERT_TRUE(gdiplus.GdiplusRunning());
    RecordingSystem system;
    system.openDocumentWorks = true;
    const MString ownPath(L"C:\\Media\\Quillory Setup.exe");
    CSetupDlg dialog(system, GetModuleHandleW(nullptr), ownPath);
    INT_PTR result = -1;
    std::thread run([&] { result = dialog.DoModal(nullptr); });

    HWND window = nullptr;
    for (int i = 0; i < 600 && !window; ++i)
    {
        window = FindWindowW(nullptr, L"Quillory - Setup");
        if (!window)
            Sleep(50);
    }
    ASSERT_NE(window, nullptr);
    HWND picture = GetDlgItem(window, IDC_SETUP_PICTURE);
    HWND button = GetDlgItem(window, IDC_SETUP_INSTALL);
    ASSERT_NE(picture, nullptr);
    RECT pictureRect = {}, buttonRect = {}, dialogRect = {};
    GetWindowRect(picture, &pictureRect);
    GetWindowRect(button, &buttonRect);
    GetWindowRect(window, &dialogRect);
    EXPECT_EQ(pictureRect.right - pictureRect.left, 600);
    EXPECT_EQ(pictureRect.bottom - pictureRect.top, 540);
    EXPECT_EQ(dialogRect.bottom, buttonRect.bottom + (buttonRect.bottom - buttonRect.top) / 2 + 4);
    EXPECT_NE(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);

    SendMessageW(window, WM_COMMAND, IDOK, 0);
    SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindow(window));
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_SETUP_INSTALL, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    SendMessageW(window, WM_CLOSE, 0, 0);
    run.join();
    EXPECT_EQ(result, 0);
    ASSERT_EQ(system.opened.size(), 1u);
    EXPECT_EQ(system.opened[0], L"C:\\Media\\Quillory - Setup for Windows - 64 bit.msi");
}
}
