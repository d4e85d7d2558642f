// The gallery dialog's private messages, timer and list commands, shared by
// the dialog, its file list and its online pane.
#pragma once

#include <windows.h>

// Private messages of the dialog.
constexpr UINT WM_SET_COLUMN_WIDTH = WM_USER + 16;
constexpr UINT WM_SHOW_SELECTED_GALLERY = WM_USER + 17;
constexpr UINT WM_RESTART_RENAME = WM_USER + 19;
constexpr UINT WM_SHOW_MESSAGE = WM_USER + 20;
constexpr UINT WM_STARTUP_DONE = WM_USER + 31;
constexpr UINT WM_SHOW_STARTUP_MESSAGE = WM_USER + 52;

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
