// The commands on the file of the slide on screen: the workers that delete
// securely and rotate a picture, the shell's file operation, and the
// system calls that hand the file to other programs (shell verbs, the
// open-with dialog, Simple MAPI). Tests replace those calls through
// FileCommandSystem, so that no other program is started.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <shellapi.h>

#include <memory>

// The open-with dialog's request (the system's OPENASINFO).
struct OpenWithRequest
{
    LPCWSTR file;
    LPCWSTR fileClass;
    int flags;
};

struct FileCommandCalls
{
    BOOL(WINAPI* shellExecute)(SHELLEXECUTEINFOW* info);
    // SHOpenWithDialog of shell32, looked up when it is called.
    HRESULT(WINAPI* openWithDialog)(HWND owner, const OpenWithRequest* request);
    // How the mail thread reaches the Simple MAPI library.
    HMODULE(WINAPI* loadMailLibrary)(LPCWSTR name);
    FARPROC(WINAPI* findMailEntry)(HMODULE module, LPCSTR name);
    BOOL(WINAPI* freeMailLibrary)(HMODULE module);
};
extern FileCommandCalls FileCommandSystem;

// The workers of the commands that change the file; tests put slower ones
// in their place.
struct FileCommandWorkers
{
    LPTHREAD_START_ROUTINE secureDelete;
    LPTHREAD_START_ROUTINE rotateImage;
};
extern FileCommandWorkers FileWorkers;

// Runs a worker on a counted thread of its own, sharing the parameter with
// it, and waits for its end on the calling thread, whose messages go on
// meanwhile: its exit code, or WorkerStillRunning when a WM_QUIT came first
// (posted again for the caller's loop; the worker runs on and the exit waits
// for it), or -1 when it could not start.
constexpr DWORD WorkerStillRunning = STILL_ACTIVE;
DWORD RunWorkerAndWait(LPTHREAD_START_ROUTINE worker, std::shared_ptr<void> parameter);

// Exit codes of SecureDeleteThreadProc.
enum SecureDeleteResult : DWORD
{
    SecureDeleteDone = 0,
    // Not opened for writing, or its size not read.
    SecureDeleteNotOpened = 1,
    SecureDeleteWriteFailed = 2,
    // Overwritten, but neither moved to a GUID name and deleted nor deleted.
    SecureDeleteNameKept = 3,
};
// Overwrites the file (parameter: an MString path that outlives the thread)
// with random bytes in blocks of SecureDeleteBlock, sets its times to now,
// moves it to a GUID name in its folder and deletes it.
constexpr DWORD SecureDeleteBlock = 8192;
DWORD WINAPI SecureDeleteThreadProc(LPVOID parameter);

// The parameter of RotateImageThreadProc; rotateFlip is GDI+'s
// RotateFlipType (1, 2, 3: 90, 180, 270 degrees clockwise).
struct RotateImageRequest
{
    unsigned __int64 reserved = 0;
    MString path;
    UINT rotateFlip = 0;
};
enum RotateImageResult : DWORD
{
    RotateImageDone = 0,
    RotateImageReadOnly = 1,
    RotateImageFailed = 2,
};
// Rotates the picture in its own format and keeps its last-write time; a
// JPEG keeps its EXIF block with the orientation upright. The file is
// replaced only by a complete new copy: any failure leaves it untouched.
DWORD WINAPI RotateImageThreadProc(LPVOID parameter);

// SHFileOperationW: true when it returned 0 and nothing was aborted.
bool ShellFileOperation(SHFILEOPSTRUCTW& operation);
