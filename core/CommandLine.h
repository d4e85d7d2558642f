// The command-line switches that the program looks at before it starts:
// the registration switches and the clean-up after an upgrade.
#pragma once

#include "foundation/StringEx.h"

// True when the argument (the text after the program name) begins, in any
// case, with "/RegServer", "/UnregServer" or "-Embedding": the program then
// ends at once.
bool IsRegistrationSwitch(const wchar_t* argument);

// The parts of a clean-up command line: "/clean_setup_file***" followed by
// the setup program's path, "***" and its process id, the whole possibly
// enclosed in double quotes.
struct CleanSetupRequest
{
    MString setupFile;
    DWORD processId = 0;
};

// True when the full command line is a well-formed clean-up request (the
// switch and exactly two further non-empty items).
bool ParseCleanSetupCommandLine(const wchar_t* commandLine, CleanSetupRequest& request);

// True when path names a setup file as the release dialog writes it: a GUID
// in braces followed by ".Setup.exe", lying directly in folder.
bool IsSetupFileOf(const wchar_t* folder, const wchar_t* path);

// Clean-up after an upgrade: waits (at most waitLimit ms) for the setup
// process to end, then deletes its file, trying again for a few seconds
// while it is still locked, but only a setup file in the program's folder;
// anything else the command line names is left alone.
// Answers whether the file was deleted; the start-up goes on either way.
bool CleanUpAfterUpgrade(const wchar_t* commandLine, const wchar_t* programFolder, DWORD waitLimit = 30000);

// The folder of the program file, without a trailing backslash.
MString ProgramFolder();
