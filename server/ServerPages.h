// The server's pages by number, and the quick test of whether the computer
// reaches the internet at all.
#pragma once

#include "foundation/StringEx.h"

enum ServerPage : unsigned
{
    PageGetSlide = 0,
    PageGetGalleries = 1,
    PageGetReleaseDocument = 2,
    PageGetInstaller = 3,
    PageAdvertsAndStatistics = 4,
    PagePropertiesStyleSheet = 5,
    PageCleanUp = 6,
    PageGetServerKey = 7,
};

// "<server base address>/<page>"; empty for an index outside the table.
MStringEx<wchar_t> GetServerPageUrl(unsigned index);

// True when the computer has a default route, Windows reports it online and
// one of three public HTTPS sites answers.
bool IsInternetReachable();
// The same test with the caller's three sites, tried in order.
bool IsInternetReachable(const wchar_t* const (&sites)[3]);
