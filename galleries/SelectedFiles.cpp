#include "galleries/SelectedFiles.h"

CSelectedFiles::CSelectedFiles(POINT cursor, DialogWindowSlot* slot, HWND mainWindow, const MStringEx<wchar_t>& file)
    : CControllerDialog<CSelectedFiles>(L"CSelectedFiles", slot, cursor), m_mainWindow(mainWindow), m_file(file)
{
}
