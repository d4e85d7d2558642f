// Names of the program's named kernel objects and registered window
// messages. Each begins with the installer product code and "LV_"; the
// existence of an object is the signal. The setup program opens some of them
// by name, so the texts must not change.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <atomic>

// The installer product code.
extern const wchar_t ProductCode[];

// Exists while a copy of the program runs; never set.
extern const wchar_t RunningEventName[];
// Created and waited on by the release check; nothing in the program sets it.
extern const wchar_t ReleaseCheckEventName[];
// Per-user single-instance mutex; %s is the user name.
extern const wchar_t InstanceMutexNameFormat[];
// Registered message: another copy asks the running one to quit and restart.
extern const wchar_t QuitRunningInstanceMessageName[];
// Registers that message and answers its number.
UINT QuitRunningInstanceMessage();
// Registered message: at quit every dialog of this process ends itself.
extern const wchar_t CloseDialogsMessageName[];

// The per-run name of the upgrade-exit event: a new GUID each run, so that a
// setup program started by one run cannot end another.
MString NewUpgradeExitEventName();

// The mutex a dialog or viewer holds while it is open ("CSettingsDlg",
// "VIEWER_CBrowserDlg", ...); spaces are removed from the name.
MString DialogMutexName(const wchar_t* key);

// The two values that the quit sequence broadcasts with CloseDialogsMessage.
// They are zero until drawn; dialogs of another running copy see other values
// and stay open.
struct DialogCloseTokens
{
    std::atomic<DWORD> wParamToken{0};
    std::atomic<DWORD> lParamToken{0};

    // Draws both anew from the CryptoAPI generator; MCryptException when
    // the generator cannot be reached.
    void Draw();
    // Whether a CloseDialogsMessage carries this process's tokens.
    bool Matches(WPARAM wParam, LPARAM lParam) const;
};

extern DialogCloseTokens DialogCloseToken;
