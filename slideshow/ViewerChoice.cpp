#include "slideshow/ViewerChoice.h"

SlideViewer ViewerForSlide(SlideKind kind)
{
    switch (kind)
    {
    case SlideStatusCard:
        return SlideViewer::Photo;
    case OnlinePicture:
    case FilePicture:
    case HeldFilePicture:
        return SlideViewer::PhotoWithAdverts;
    case OnlineMedia:
    case OnlineDocument:
        return SlideViewer::OnlineDocument;
    case FileMedia:
        return SlideViewer::Media;
    case FileRichText:
        return SlideViewer::RichText;
    case FileWebDocument:
        return SlideViewer::WebDocumentFile;
    default:
        return SlideViewer::None;
    }
}

bool CountsOnlineOpen(SlideKind kind) { return kind == OnlinePicture || kind == OnlineMedia || kind == OnlineDocument; }
