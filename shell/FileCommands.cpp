// The workers of the file commands (secure deletion, the rotation of a
// picture) and the system calls the commands make; the commands themselves
// are CWindowBase's (shell/WindowBaseFileCommands.cpp).
#include "shell/FileCommands.h"

#include "crypto/CryptBase.h"
#include "foundation/Containers.h"
#include "foundation/StringVariants.h"
#include "foundation/SystemUtilities.h"
#include "galleries/LocalGalleryStore.h"
#include "galleries/PictureRotation.h"
#include "core/MessageWait.h"
#include "core/ThreadCounter.h"

#include <objidl.h>
#include <shlwapi.h>

#include <gdiplus.h>

#include <functional>
#include <memory>
#include <vector>

namespace
{
HRESULT WINAPI SystemOpenWithDialog(HWND owner, const OpenWithRequest* request)
{
    using Function = HRESULT(WINAPI*)(HWND, const OpenWithRequest*);
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    auto function = shell ? reinterpret_cast<Function>(
                                reinterpret_cast<void*>(GetProcAddress(shell, "SHOpenWithDialog")))
                          : nullptr;
    return function ? function(owner, request) : E_NOTIMPL;
}

// ---- Files ----------------------------------------------------------------

// The folder of a path: up to its last backslash (the whole path without one).
MString FolderOf(const MString& path)
{
    const wchar_t* text = path.GetText();
    const wchar_t* last = wcsrchr(text, L'\\');
    if (!last)
        return path;
    return path.Left(static_cast<unsigned __int64>(last - text));
}
}

FileCommandCalls FileCommandSystem = {ShellExecuteExW, SystemOpenWithDialog, LoadLibraryW, GetProcAddress,
                                      FreeLibrary};
FileCommandWorkers FileWorkers = {SecureDeleteThreadProc, RotateImageThreadProc};

// ---- Workers --------------------------------------------------------------

DWORD RunWorkerAndWait(LPTHREAD_START_ROUTINE worker, std::shared_ptr<void> parameter)
{
    // The worker shares its parameter: a wait cut short by the program's end
    // leaves it nothing freed to read, and the exit waits for it.
    const MHandle thread(StartCountedThread(worker, std::move(parameter)));
    if (!thread.IsValid())
        return static_cast<DWORD>(-1);
    // The overwrite of a large file takes long: this thread's windows keep
    // answering meanwhile (the tray icon, the hot keys, other threads'
    // sent messages).
    if (WaitWithMessages(thread, INFINITE) == MessageWaitEnd::Quit)
        return WorkerStillRunning;
    DWORD code = WorkerStillRunning;
    GetExitCodeThread(thread, &code);
    return code;
}

DWORD WINAPI SecureDeleteThreadProc(LPVOID parameter)
{
    DWORD step = SecureDeleteNotOpened;
    try
    {
        const MString& path = *static_cast<const MString*>(parameter);
        const DWORD attributes = GetFileAttributesW(path.GetText());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            SetFileAttributesW(path.GetText(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
        {
            MHandle file(CreateFileW(path.GetText(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            LARGE_INTEGER size = {};
            if (!file.IsValid() || !GetFileSizeEx(file, &size))
                return SecureDeleteNotOpened;

            step = SecureDeleteWriteFailed;
            if (size.QuadPart > 0)
            {
                // Every byte of every block is drawn anew from the system's generator.
                MCryptBase random(PROV_RSA_FULL, EnhancedRsaFullProviderName, CryptContextFlags);
                std::vector<BYTE> block(SecureDeleteBlock);
                LONGLONG offset = 0;
                while (offset < size.QuadPart)
                {
                    DWORD written = 0;
                    if (!CryptGenRandom(random.GetProvider(), SecureDeleteBlock, block.data()) ||
                        !WriteFile(file, block.data(), SecureDeleteBlock, &written, nullptr) || written == 0)
                        return SecureDeleteWriteFailed;
                    offset += written;
                }
                // The new bytes reach the disk before the name goes.
                if (!FlushFileBuffers(file))
                    return SecureDeleteWriteFailed;
            }
            FILETIME now = {};
            GetSystemTimeAsFileTime(&now);
            SetFileTime(file, &now, &now, &now);
        }

        step = SecureDeleteNameKept;
        const MString folder = FolderOf(path);
        while (true)
        {
            const MString renamed(sX::Format(), L"%s\\%s", folder.GetText(), NewGuidString().GetText());
            if (MoveFileW(path.GetText(), renamed.GetText()))
                return DeleteFileW(renamed.GetText()) ? SecureDeleteDone : SecureDeleteNameKept;
            if (GetLastError() != ERROR_ALREADY_EXISTS)
                return DeleteFileW(path.GetText()) ? SecureDeleteDone : SecureDeleteNameKept;
        }
    }
    catch (...)
    {
        return step;
    }
}

DWORD WINAPI RotateImageThreadProc(LPVOID parameter)
{
    try
    {
        const auto& request = *static_cast<const RotateImageRequest*>(parameter);
        const DWORD attributes = GetFileAttributesW(request.path.GetText());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY))
            return RotateImageReadOnly;
        // The gallery dialog turns its pictures the same way: upright by
        // their orientation, then the user's turn, never over the open file.
        return RotatePictureFile(request.path, static_cast<Gdiplus::RotateFlipType>(request.rotateFlip), 0,
                                 nullptr) == RotationResult::Rotated
                   ? RotateImageDone
                   : RotateImageFailed;
    }
    catch (...)
    {
        return RotateImageFailed;
    }
}

bool ShellFileOperation(SHFILEOPSTRUCTW& operation)
{
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}
