// The large photo viewer: a borderless, layered, modal window exactly as
// large as the scaled picture. The wheel, the plus and minus keys, Home, End
// and Ctrl+click zoom in exact steps; each new zoom is scaled once on a
// worker thread and handed back by a posted message. Dragging and the arrow
// keys move the window; Escape, a right click and the program's close
// requests close it.
#pragma once

#include "adverts/OverlayAdverts.h"
#include "foundation/GdiOwners.h"
#include "foundation/Handle.h"
#include "foundation/PostOwned.h"
#include "foundation/StringEx.h"
#include "foundation/WindowPlacement.h"
#include "resources/languages/LanguageIds.h"
#include "standins/atl/AtlWindow.h"
#include "viewers/ContainerWindow.h"
#include "viewers/ExactZoom.h"
#include "viewers/ImageScaler.h"
#include "viewers/ViewerFade.h"
#include "viewers/ViewerSlot.h"

#include <objidl.h>

#include <gdiplus.h>

#include <memory>

// From the scaling worker: wParam the new scaled bitmap (the viewer owns it
// from the post on), or 0 with lParam 1 when the failed zoom came from the
// wheel or the plus and minus keys.
constexpr UINT WM_SCALED_IMAGE = WM_USER + 43;
inline bool PostScaledImage(HWND viewer, std::unique_ptr<Gdiplus::Bitmap> scaled)
{
    return PostOwnedInWParam(viewer, WM_SCALED_IMAGE, std::move(scaled), 0);
}
inline std::unique_ptr<Gdiplus::Bitmap> TakeScaledImage(WPARAM wParam)
{
    return TakeOwnedFromWParam<Gdiplus::Bitmap>(wParam);
}
// From the viewer's keyboard hook: wParam the virtual key.
constexpr UINT WM_VIEWER_KEY = WM_USER + 53;

// Holds the viewer mutex and owns the composed picture; built before the
// window exists.
class CShowLargePhotoDlg_Parent
{
public:
    // An advert is asked for when the view is not fixed, adverts are not off
    // and a source is given; a placed advert is announced to the controller.
    CShowLargePhotoDlg_Parent(POINT anchor, bool captionWanted, const MStringEx<wchar_t>& title,
                              const MStringEx<wchar_t>& description, Gdiplus::Bitmap* picture, bool fixedView,
                              bool advertsOff, Overlay_Adverts* advertSource, OverlayAdvertContext* advertContext,
                              HWND controller);
    CShowLargePhotoDlg_Parent(const CShowLargePhotoDlg_Parent&) = delete;
    CShowLargePhotoDlg_Parent& operator=(const CShowLargePhotoDlg_Parent&) = delete;
    // Tells the adverts when a viewer that showed one closed.
    ~CShowLargePhotoDlg_Parent();

    bool ShowsAdvert() const { return m_advertSource != nullptr; }

protected:
    MHandle m_viewerMutex;
    // Set only when an advert was placed on the card.
    Overlay_Adverts* m_advertSource = nullptr;
    std::unique_ptr<Gdiplus::Bitmap> m_composedPicture;
};

class CShowLargePhotoDlg : public ATL::CDialogImpl<CShowLargePhotoDlg>, public CShowLargePhotoDlg_Parent
{
public:
    enum
    {
        IDD = IDD_LARGE_PHOTO
    };

    CShowLargePhotoDlg(POINT anchor, bool captionWanted, MStringEx<wchar_t> title, MStringEx<wchar_t> description,
                       Gdiplus::Bitmap* picture, ViewerSlot ownerSlot, HWND owner, bool fixedView,
                       bool advertsOff, Overlay_Adverts* advertSource, OverlayAdvertContext* advertContext,
                       HWND controller);
    ~CShowLargePhotoDlg() override;

    static const ATL::MessageMap<CShowLargePhotoDlg>& GetMessageMap();

    // The scaling: waits for the busy lock, scales the composed picture to
    // the target size and posts the result; 0 on success, 1 on failure.
    static DWORD WINAPI ScaleImageThreadProc(void* viewer);

    // What tests and the opener may read.
    SIZE TargetSize() const { return m_targetSize; }
    SIZE ScaledPictureSize() const;
    SIZE PictureSize() const { return SIZE{static_cast<LONG>(m_pictureWidth), static_cast<LONG>(m_pictureHeight)}; }
    const ImageScaler& Scaler() const { return m_scaler; }
    // Tests make scaling run out of memory at chosen sizes; set before the run.
    void SetBitmapMaker(ImageScaler::BitmapMaker maker) { m_scaler = ImageScaler(std::move(maker)); }

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseWheel(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRButtonUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHelp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnActivate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOk(WORD, WORD, HWND, BOOL&) { return 0; }
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnCloseRequest(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnScaledImage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnViewerKey(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseDialogs(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnFadeInTimer(UINT_PTR, BOOL&);
    LRESULT OnFadeOutTimer(UINT_PTR, BOOL&);
    LRESULT OnWheelTimer(UINT_PTR, BOOL&);

    // Zoom requests: wheel steps (gathered by the wheel timer), and the
    // resets of Home, End and Ctrl+click.
    void RequestZoom(int wheelDelta, unsigned step, POINT anchor);
    void ResetZoom(bool actualSize, POINT anchor);
    // The fit zoom on the work area of the monitor nearest to the anchor.
    Rational FitZoomToWorkArea(RECT& work) const;
    // Called with the busy lock held: takes the pending steps and starts the
    // scaling worker for the new size.
    void ApplyZoom(bool reset);
    // The window rectangle for the scale; stores the target size.
    CRect Calculate_Container_Window_Size(bool centred, const Rational& scale, const RECT& work);
    void MoveByArrow(UINT key);

    void StartCloseFade();
    void CloseAtOnce(INT_PTR result);
    void WaitForHandOver();
    // Draws the scaled picture into the window at dx, dy from the picture's
    // sx, sy.
    void DrawScaled(HDC dc, int dx, int dy, int sx, int sy, int width, int height);
    // Scaling on the calling thread; false with the failure posted.
    bool Scale();

    MStringEx<wchar_t> m_caption;
    MIcon m_icon;
    MStringEx<wchar_t> m_windowTitle;
    UINT m_closeMessage;
    ViewerSlot m_ownerSlot;
    HWND m_owner;
    bool m_rightButtonDown = false;
    bool m_fixedView;
    ExactZoom m_zoom;
    CRect m_containerRect;
    SIZE m_targetSize = {0, 0};
    POINT m_anchor;
    POINT m_dragPoint = {0, 0};
    MHandle m_busyLock;
    MHandle m_handOver;
    bool m_zoomByWheel = false;
    DWORD m_pictureWidth;
    DWORD m_pictureHeight;
    ImageScaler m_scaler;
    Gdiplus::Bitmap* m_picture;
    std::unique_ptr<Gdiplus::Bitmap> m_scaledPicture;
    // The first step from transparent is smaller than the others.
    static constexpr ViewerFade::Steps FadeSteps{35, 110, 70};
    ViewerFade m_fade{m_hWnd, FadeSteps};
    UINT_PTR m_wheelTimer = 0;
    const ViewerDesktop* m_desktop;
};
