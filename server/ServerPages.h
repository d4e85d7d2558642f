// The server's pages by number, and the quick test of whether the computer
// reaches the internet at all.
#pragma once

#include "foundation/StringEx.h"

#include <functional>

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
// The same test with the caller's three sites, tried in order, after
// hasRouteOut instead of the computer's own route check.
bool IsInternetReachable(const wchar_t* const (&sites)[3], const std::function<bool()>& hasRouteOut);

// The part of the test that sends nothing: the computer has a default route
// and Windows reports it online.
bool HasRouteOut();
