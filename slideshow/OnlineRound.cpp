#include "slideshow/OnlineRound.h"

#include "resources/languages/LanguageIds.h"

SlideKind FileSlideKind(int state)
{
    switch (state)
    {
    case FileSlidePicture:
        return FilePicture;
    case FileSlideMedia:
        return FileMedia;
    case FileSlideDocument:
        return FileWebDocument;
    case FileSlideRichText:
        return FileRichText;
    default:
        return SlideNone;
    }
}

void OnlineRound::TakeCard(unsigned __int64 hash)
{
    m_waitingForOnline = 1;
    m_restingCard = RestingCard::None;
    m_previousCardHash = m_cardHash;
    m_cardHash = hash;
}

void OnlineRound::TakeSlide()
{
    m_waitingForOnline = 0;
    m_cardHash = m_previousCardHash = 0;
}

bool OnlineRound::IsOnlineSlideDue(const OnlineSlideIncidence& incidence, int kind)
{
    return ::IsOnlineSlideDue(incidence, kind, m_localSlideCount);
}

void OnlineRound::AdjustLocalSlideCount(const OnlineSlideIncidence& incidence)
{
    ::AdjustLocalSlideCount(incidence, m_localSlideCount);
}

void OnlineRound::StatusText(MStringEx<wchar_t>& text) const
{
    const InternetSlideState& record = Record();
    OnlineFetchStatus fetch;
    fetch.state = record.state;
    fetch.status = static_cast<int>(record.status);
    fetch.errorDetail = record.errorDetail;
    fetch.hasServerMessage = !record.secondText.IsEmpty();
    const OnlineStatusText status = ::GetOnlineStatusText(fetch);
    switch (status.source)
    {
    case OnlineStatusText::None:
        text.Clear();
        break;
    case OnlineStatusText::String:
        text = MStringEx<wchar_t>(ResId(status.stringId));
        break;
    case OnlineStatusText::StringAndNumber:
        text = MStringEx<wchar_t>(sX::Format(), status.stringId, status.number);
        break;
    case OnlineStatusText::ServerMessage:
        text = record.secondText;
        break;
    case OnlineStatusText::FailureText:
        // The text of a server message thrown during the round.
        text = !record.errorText.IsEmpty() ? record.errorText : m_downloadErrorText;
        break;
    }
}

void OnlineRound::ReleaseShownCode()
{
    // The Clean Up runs on a thread of its own; the code is forgotten here.
    m_shownCode.Release(true);
    m_shownCode.Clear();
}
