// Where the local half's controls sit as the gallery dialog is resized: the
// place of each control in the template, measured once, and the size grip in
// the bottom-right corner. The file list and the filter notice grow with the
// dialog; the buttons below the list and the thumbnail slider move with its
// bottom and right edges.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

class LocalControlsLayout
{
public:
    LocalControlsLayout() = default;
    LocalControlsLayout(const LocalControlsLayout&) = delete;
    LocalControlsLayout& operator=(const LocalControlsLayout&) = delete;

    // Measures the dialog's controls in their template places and puts the
    // size grip in the corner, just after the control insertAfter in the
    // tab and drawing order.
    void Measure(HWND dialog, HWND insertAfter);
    bool IsMeasured() const { return !m_places.empty(); }
    // Moves every measured control and the grip for the dialog's client area
    // now (without redrawing them).
    void Apply(HWND dialog) const;

    void ShowGrip(bool show) const;
    bool IsGripVisible() const;
    // The grip goes while the dialog is being destroyed (a child window goes
    // with its parent anyway; this keeps no handle to a window that is gone).
    void DestroyGrip();

private:
    // The client area the places were measured in.
    RECT m_measuredClient = {};
    std::vector<std::pair<int, RECT>> m_places;
    HWND m_sizeGrip = nullptr;
};
