// The viewer that opens a slide of each kind.

#include "slideshow/ViewerChoice.h"

#include <gtest/gtest.h>

namespace
{
TEST(ViewerChoice, ViewerForEachSlideKind)
{
    struct Case
    {
        int kind;
        SlideViewer viewer;
        bool countsOpen;
    } cases[] = {
        {0, SlideViewer::Photo, false},
        {1, SlideViewer::PhotoWithAdverts, true},
        {2, SlideViewer::OnlineDocument, true},
        {4, SlideViewer::OnlineDocument, true},
        {static_cast<int>(0x80000001u), SlideViewer::PhotoWithAdverts, false},
        {static_cast<int>(0xC0000001u), SlideViewer::PhotoWithAdverts, false},
        {static_cast<int>(0x80000002u), SlideViewer::Media, false},
        {static_cast<int>(0x80000004u), SlideViewer::RichText, false},
        {static_cast<int>(0x80000008u), SlideViewer::WebDocumentFile, false},
        {3, SlideViewer::None, false},
        {5, SlideViewer::None, false},
        {-1, SlideViewer::None, false},
        {static_cast<int>(0x80000010u), SlideViewer::None, false},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(ViewerForSlide(static_cast<SlideKind>(c.kind)), c.viewer) << std::hex << c.kind;
        EXPECT_EQ(CountsOnlineOpen(static_cast<SlideKind>(c.kind)), c.countsOpen) << std::hex << c.kind;
    }
}

}
