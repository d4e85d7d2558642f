// The online half of the gallery dialog: the online gallery choice from the
// server's list, the property list exchange behind the wait dialog, the five
// search lines with their joining combos and the problem box, and what OK
// stores. The pane lives on the dialog's own controls; the dialog shows it
// when the online source is chosen.
#pragma once

#include "filter/MediaSource.h"
#include "filter/OnlineFilter.h"
#include "filter/PropertyList.h"
#include "filter/SearchLineWnd.h"
#include "foundation/GdiOwners.h"
#include "foundation/Handle.h"
#include "foundation/StringEx.h"
#include "foundation/WindowPlacement.h"
#include "standins/atl/AtlWindow.h"

#include <windows.h>

#include <memory>

class OnlineGalleryPane
{
public:
    // layoutGuard: the dialog's, held while either half lays its controls out.
    explicit OnlineGalleryPane(MHandle& layoutGuard);
    OnlineGalleryPane(const OnlineGalleryPane&) = delete;
    OnlineGalleryPane& operator=(const OnlineGalleryPane&) = delete;

    // Takes the dialog and fills the joining combos; messages show with the
    // dialog's caption.
    void Attach(HWND dialog, const MString& caption);
    // The search lines keep the template's width (minimumSize: the
    // template's window size).
    void PrepareSearchLines(SIZE minimumSize);
    // The controls' fonts given back while they still live.
    void RestoreFonts() { m_dialogFont.Restore(); }

    // Shows the online side; the first time the property list is loaded.
    // The text of a problem to show, if any.
    MString PrepareOnlineSide(bool initialising);
    bool HasExchanged() const { return m_request != nullptr; }
    bool IsOnlineChoiceUnchanged() const;
    void SelectGalleryPlaceholder();
    void HideSearchLines();
    void LoadSearchProperties(bool initialising);
    bool StoreOnlineFilter(bool& changed, bool showMessages);

    // ---- The pane's messages, passed on by the dialog ----
    void OnOnlineGalleryChange(HWND combo);
    void OnFilterSwitch();
    void OnConjunctionCommand(WORD code, WORD id, HWND control);
    // Escape on an open joining list closes only the list: true when the
    // Escape went there.
    bool TakeEscape();
    // The problem box's colours; handled is FALSE for any other control.
    LRESULT OnCtlColorStatic(WPARAM wParam, LPARAM lParam, BOOL& handled);

private:
    class Create_filters_while_waiting;

    HWND Item(int id) const { return ::GetDlgItem(m_dialog, id); }
    void ShowMessage(const MString& text, UINT flags) const;
    // Builds the next missing search line; true while more are missing.
    bool CreateNextSearchLine();
    void CreateSearchLines();
    bool UpdateFilterSwitch(MString& error, bool afterLoad);
    bool FillOnlineGalleryCombo(MString& error);
    void ShowSearchLines(bool on);
    void LoadSearchLine(const Property_Manager::search_line_data& record, DWORD line, FilterProblemList& problems);
    void ResetSearchLine(DWORD line);
    void ResetSearchLinesFrom(DWORD line);
    void LayoutSearchLines();
    void ShowFilterProblems(const FilterProblemList& problems);
    bool WriteSelectedOnlineGallery(bool showMessages);

    ATL::CWindow m_dialog;
    MString m_caption;
    MHandle& m_layoutGuard;
    SelectedOnlineGallery m_onlineChoice;
    DropDownTracking m_dropDowns;
    // The last property list exchange, the five search lines and what they
    // share, the dialog's width at start.
    std::unique_ptr<PropertyListRequest> m_request;
    SearchLineLists m_lineLists;
    // The font of the lines' operator combos, given back when the dialog
    // goes: faces that hold the comparison signs.
    DialogFont m_dialogFont;
    std::unique_ptr<CPropertySearchLineWnd> m_lines[MaximumSearchLines];
    LONG m_startWidth = 0;
    // The problem box's background, made again when the system colour changes.
    COLORREF m_faceColour = GetSysColor(COLOR_BTNFACE);
    std::unique_ptr<MSolidBrush> m_faceBrush = std::make_unique<MSolidBrush>(m_faceColour);
};
