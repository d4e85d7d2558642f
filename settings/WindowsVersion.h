// The Windows version as RtlGetVersion reports it (looked up at run time).
#pragma once

// Windows 8 or 8.1 (version 6.2 or 6.3); false when the version cannot be read.
bool IsWindows8Family();
