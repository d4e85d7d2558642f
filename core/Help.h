// Help through the HTML Help viewer on the help file of the user-interface
// language, beside the program.
#pragma once

#include "foundation/StringEx.h"

// The program folder followed by "Help.BG-BG.chm" for Bulgarian, by
// "Help.EN-US.chm" otherwise; empty when the program path cannot be read.
MStringEx<wchar_t> GetHelpFileName();
// Opens the help on a context id ("-mapid").
void ShowHelpContext(int contextId);
// Opens the help on a topic: a page of the help file, optionally "#anchor".
void ShowHelpTopic(const MStringEx<wchar_t>& topic);

// "hh.exe" of the Windows folder, by full path, so that no program of that
// name elsewhere (the current folder) is started instead.
MStringEx<wchar_t> HelpViewerPath();

// Starts the help viewer: application path and full command line. The
// default starts the process and waits up to 10 s for it to become idle;
// tests put a recorder in place so that no viewer starts. Answers the
// previous launcher.
using HelpLauncher = void (*)(const MStringEx<wchar_t>& application, const MStringEx<wchar_t>& commandLine);
HelpLauncher SetHelpLauncher(HelpLauncher launcher);
