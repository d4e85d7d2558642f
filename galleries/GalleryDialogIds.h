// The gallery dialog's private messages, timer and list commands, shared by
// the dialog, its file list and its online pane.
#pragma once

#include "foundation/PostOwned.h"
#include "foundation/StringEx.h"

#include <windows.h>

#include <memory>

// Private messages of the dialog, posted to itself. Those that carry a heap
// MString have their post and take functions beside them.
constexpr UINT WM_SET_COLUMN_WIDTH = WM_USER + 16;
constexpr UINT WM_SHOW_SELECTED_GALLERY = WM_USER + 17;
// The list's label edit of item (wParam) opens again, with the hint why the
// name did not do.
constexpr UINT WM_RESTART_RENAME = WM_USER + 19;
inline bool PostRestartRename(HWND dialog, int item, std::unique_ptr<MString> hint)
{
    return PostOwned(dialog, WM_RESTART_RENAME, static_cast<WPARAM>(item), std::move(hint));
}
inline std::unique_ptr<MString> TakeRestartRename(LPARAM lParam)
{
    return TakeOwned<MString>(lParam);
}
// A message box with the flags in wParam.
constexpr UINT WM_SHOW_MESSAGE = WM_USER + 20;
inline bool PostShowMessage(HWND dialog, std::unique_ptr<MString> text, UINT flags)
{
    return PostOwned(dialog, WM_SHOW_MESSAGE, flags, std::move(text));
}
inline std::unique_ptr<MString> TakeShowMessage(LPARAM lParam)
{
    return TakeOwned<MString>(lParam);
}
// The first source handling has run; wParam 1 with the problem it met.
constexpr UINT WM_STARTUP_DONE = WM_USER + 31;
inline bool PostStartupDone(HWND dialog, std::unique_ptr<MString> problem)
{
    const WPARAM withProblem = problem ? 1 : 0;
    return PostOwned(dialog, WM_STARTUP_DONE, withProblem, std::move(problem));
}
inline std::unique_ptr<MString> TakeStartupDone(LPARAM lParam)
{
    return TakeOwned<MString>(lParam);
}
// The problem of the start, shown once the dialog is on screen.
constexpr UINT WM_SHOW_STARTUP_MESSAGE = WM_USER + 52;
inline bool PostStartupMessage(HWND dialog, std::unique_ptr<MString> text)
{
    return PostOwned(dialog, WM_SHOW_STARTUP_MESSAGE, 0, std::move(text));
}
inline std::unique_ptr<MString> TakeStartupMessage(LPARAM lParam)
{
    return TakeOwned<MString>(lParam);
}

// The timer that applies a new thumbnail size once the slider rests.
constexpr UINT_PTR SizeTimerId = 103;

// The list's commands (WM_COMMAND ids of its menus and keys).
enum FileListCommand : WORD
{
    CmdCopyFiles = 154,
    CmdPasteFiles = 155,
    CmdOpen = 156,
    CmdEdit = 157,
    CmdInvertSelection = 158,
    CmdRefresh = 159,
    CmdRename = 160,
    CmdAddFolder = 161,
    CmdProperties = 162,
    CmdRotate90 = 163,
    CmdRotate180 = 164,
    CmdRotate270 = 165,
    CmdShowInExplorer = 166,
    CmdRotationHelp = 167,
    CmdPlay = 168,
    CmdAddFiles = 169,
    CmdRemoveFiles = 170,
};
