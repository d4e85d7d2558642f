// Files between the gallery dialog and the shell: the file-list block of
// CF_HDROP (and the private format with the same layout), read from hostile
// data and written for drags and the clipboard, and the OLE objects of drag
// and drop.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <ole2.h>

#include <vector>

class CSelectedFiles;
class FileDropTarget;

// The file-list block: a 20-byte header (offset of the names 20, drop
// point, non-client flag, wide flag 1), then each path with its NUL, then
// one more NUL.
std::vector<unsigned char> BuildFileList(const std::vector<MString>& paths);

// The paths of a file-list block of size bytes. The whole block is checked:
// the names' offset must lie inside it, the names must be wide and every name
// must end with a NUL inside the block; a block that fails adds nothing.
// Paths of MAX_PATH units or more are never cut: they go to tooLong instead.
bool ReadFileList(const void* data, size_t size, std::vector<MString>& paths, std::vector<MString>& tooLong);

// The number of entries of a file-descriptor block (FileGroupDescriptorW) of
// size bytes: the count at its start must fit the block whole with all its
// descriptors; false when it does not.
bool CountFileDescriptors(const void* data, size_t size, UINT& count);

// The clipboard formats of the list.
UINT PrivateFileListFormat();
UINT FileDescriptorFormat();
UINT FileContentsFormat();
UINT PreferredDropEffectFormat();
UINT OwnListFormat(HWND list);

// The paths that data offers (the private format first, then CF_HDROP);
// false when it offers neither or cannot be read.
bool ReadDataObjectPaths(IDataObject* data, std::vector<MString>& paths, std::vector<MString>& tooLong);
bool OffersFileList(IDataObject* data);

// A data object over the given blocks (global memory of GMEM_MOVEABLE),
// which it frees when it goes. A format may repeat: the file-contents form
// keeps one descriptor block and then one contents block per described file,
// which GetData finds by the asked index.
IDataObject* NewFileDataObject(const std::vector<std::pair<UINT, std::vector<unsigned char>>>& blocks);
IDropSource* NewFileDropSource();

FileDropTarget* RegisterFileDropTarget(HWND list, CSelectedFiles* owner);
void RevokeFileDropTarget(HWND list, FileDropTarget* target);
