// Opening a web address in the browser the user registered for the Start
// menu, so that it opens in a browser window even where the address's own
// association would pick another program.
#pragma once

#include <windows.h>

#include <shellapi.h>

namespace sX
{
// Selects the Start-menu browser overload.
struct Browser
{
};
}

// The one way this library starts programs through the shell. Tests replace it
// with a recording fake so that no browser is started; the default is
// ShellExecuteW.
using ShellLauncherFunction = HINSTANCE(WINAPI*)(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                                  LPCWSTR folder, INT show);
extern ShellLauncherFunction ShellLauncher;

// Opens address with the registered Start-menu browser, or hands it to the
// shell when none is registered or starting it fails. Only http and https
// addresses are opened: anything else could name a local program or
// document. Answers the instance value of the last shell call (above 32 on
// success), or SE_ERR_ACCESSDENIED for a refused address.
HINSTANCE OpenUrlInDefaultBrowser(const sX::Browser&, HWND owner, const wchar_t* verb, const wchar_t* address,
                                  int show);

// True for an address that begins with "http://" or "https://", in any case.
bool IsWebAddress(const wchar_t* address);
