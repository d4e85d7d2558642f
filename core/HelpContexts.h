// The help contexts of the program's windows, menus and controls: the help
// file's topics are keyed by these numbers.
#pragma once

#include <windows.h>

// The hidden top-level parent and the controller.
constexpr DWORD HiddenParentHelpContext = 131174;
constexpr DWORD ControllerHelpContext = 131175;
// A controller command's menu entry: this base plus the command id.
constexpr DWORD MenuEntryHelpBase = 65536;
constexpr DWORD MenuEntryHelpContext(DWORD commandId) { return MenuEntryHelpBase + commandId; }
// A dialog template or a control of one: this base plus its id.
constexpr DWORD DialogHelpBase = 0x20000;
constexpr DWORD DialogHelpContext(DWORD templateOrControlId) { return DialogHelpBase + templateOrControlId; }
// The help entry of the program's system menus (WM_SYSCOMMAND, whose low four
// bits the system uses itself).
constexpr WPARAM HelpSysCommand = 0x20;
inline bool IsHelpSysCommand(WPARAM wParam) { return (wParam & 0xFFF0) == HelpSysCommand; }
// The context menu of edit boxes.
constexpr DWORD EditMenuHelpContext = 16;
// The controls of the wait window.
constexpr DWORD WaitIconHelpContext = 131562;
constexpr DWORD WaitElapsedHelpContext = 131563;
constexpr DWORD WaitMessageHelpContext = 131564;
constexpr DWORD WaitCancelHelpContext = 131565;
