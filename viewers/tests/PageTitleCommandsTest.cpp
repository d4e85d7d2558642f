#include "viewers/PageTitleCommands.h"

#include "foundation/DefaultBrowser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::wstring Text(const MString& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }

const std::wstring Volume = L"LV::Set-Volume-{FB47BB3A-C1CE-4C79-A4A2-E797E4F5B943}**";
const std::wstring Link = L"LV::Open-Link-{85FEE7EC-DA63-49C9-A2E3-7C0FE61017F4}**";
const std::wstring Enter = L"LV::Enter-Full-Screen-{FB47BB3A-C1CE-4C79-A4A2-E797E4F5B943}**";
const std::wstring Exit = L"LV::Exit-Full-Screen-{FB47BB3A-C1CE-4C79-A4A2-E797E4F5B943}**";
const std::wstring Close = L"LV::Close-Window-{FB47BB3A-C1CE-4C79-A4A2-E797E4F5B943}**";

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(towlower(c));
    return text;
}

std::wstring Parameter(const PageCommandParameters& parameters, PageCommandParameter which)
{
    const auto found = parameters.find(which);
    return found == parameters.end() ? L"(none)" : Text(found->second);
}

struct Launch
{
    std::wstring file;
    int show;
};
std::vector<Launch> launches;

// The file and parameters of every start: a registered browser gets the
// address as a parameter, the shell as the file.
HINSTANCE WINAPI RecordingLauncher(HWND, LPCWSTR, LPCWSTR file, LPCWSTR parameters, LPCWSTR, INT show)
{
    launches.push_back({std::wstring(file ? file : L"") + L" " + (parameters ? parameters : L""), show});
    return reinterpret_cast<HINSTANCE>(42);
}
} // namespace

TEST(PageTitleCommands, TitlesParseIntoCommandsAndParameters)
{
    const struct
    {
        std::wstring title;
        PageCommand command;
        const wchar_t* reqid;
        const wchar_t* href;
        const wchar_t* volume;
    } cases[] = {
        {Volume + L"volume=0.5<|>reqid=17", PageCommand::SetVolume, L"17", L"(none)", L"0.5"},
        {Enter + L"reqid=1", PageCommand::EnterFullScreen, L"1", L"(none)", L"(none)"},
        {Exit + L"reqid=2", PageCommand::ExitFullScreen, L"2", L"(none)", L"(none)"},
        // The prefix is compared without case.
        {Lower(Close) + L"reqid=3", PageCommand::CloseWindow, L"3", L"(none)", L"(none)"},
        // Further "=" belong to the value; names without case; values trimmed.
        {Link + L" HREF = https://a.example/?x=1&y=2 <|>reqid=4", PageCommand::OpenLink, L"4",
         L"https://a.example/?x=1&y=2", L"(none)"},
        // Empty pieces, pieces without "=", empty values and unknown names are skipped.
        {Close + L"<|><|>junk<|>colour=red<|>href=<|>=x<|>reqid=5", PageCommand::CloseWindow, L"5", L"(none)",
         L"(none)"},
        {Close, PageCommand::CloseWindow, L"(none)", L"(none)", L"(none)"},
        // Not commands.
        {L"An ordinary page", PageCommand::None, L"(none)", L"(none)", L"(none)"},
        {Close.substr(0, Close.size() - 1) + L"reqid=6", PageCommand::None, L"(none)", L"(none)", L"(none)"},
        {L"", PageCommand::None, L"(none)", L"(none)", L"(none)"},
        // A parameter named twice leaves open which value counts: no command.
        {Volume + L"volume=0.2<|>VOLUME=1<|>reqid=7", PageCommand::None, L"(none)", L"(none)", L"(none)"},
        {Link + L"href=https://a.example<|>reqid=8<|>reqid=9", PageCommand::None, L"(none)", L"(none)", L"(none)"},
    };
    for (const auto& c : cases)
    {
        PageCommandParameters parameters;
        parameters[PageCommandParameter::Volume] = L"stale";
        EXPECT_EQ(ParseTitleCommand(c.title.c_str(), parameters), c.command) << c.title;
        EXPECT_EQ(Parameter(parameters, PageCommandParameter::RequestId), c.reqid) << c.title;
        EXPECT_EQ(Parameter(parameters, PageCommandParameter::Link), c.href) << c.title;
        EXPECT_EQ(Parameter(parameters, PageCommandParameter::Volume), c.volume) << c.title;
    }
}

TEST(PageTitleCommands, TheGateWaitsForTheDocumentAndDropsRepeatedRequests)
{
    PageCommandGate gate(PageTrust::Full);
    PageCommandParameters parameters;
    const MString close = (Close + L"reqid=A1").c_str();

    // Before the document has completed nothing is obeyed.
    EXPECT_EQ(gate.Accept(close, parameters), PageCommand::None);
    gate.DocumentCompleted();
    EXPECT_EQ(gate.Accept((Close).c_str(), parameters), PageCommand::None) << "no request id";
    EXPECT_EQ(gate.Accept(close, parameters), PageCommand::CloseWindow);
    // The same request id again, in another case, is the same request.
    EXPECT_EQ(gate.Accept((Close + L"reqid=a1").c_str(), parameters), PageCommand::None);
    EXPECT_EQ(gate.Accept((Close + L"reqid=A2").c_str(), parameters), PageCommand::CloseWindow);
    // A reload clears the document: the old page's commands wait again.
    gate.DocumentRequested();
    EXPECT_EQ(gate.Accept((Close + L"reqid=A3").c_str(), parameters), PageCommand::None);
    gate.DocumentCompleted();
    EXPECT_EQ(gate.Accept((Close + L"reqid=A3").c_str(), parameters), PageCommand::CloseWindow);
}

TEST(PageTitleCommands, WhatEachKindOfViewerObeys)
{
    const struct
    {
        PageTrust trust;
        std::wstring title;
        PageCommand obeyed;
    } cases[] = {
        {PageTrust::Full, Volume + L"volume=1<|>reqid=1", PageCommand::SetVolume},
        {PageTrust::Full, Enter + L"reqid=1", PageCommand::EnterFullScreen},
        {PageTrust::Full, Link + L"href=http://a.example<|>reqid=1", PageCommand::OpenLink},
        {PageTrust::LinksOnly, Link + L"href=http://a.example<|>reqid=1", PageCommand::OpenLink},
        {PageTrust::LinksOnly, Close + L"reqid=1", PageCommand::None},
        {PageTrust::LinksOnly, Volume + L"volume=1<|>reqid=1", PageCommand::None},
        // A local file can neither close nor resize its viewer.
        {PageTrust::Nothing, Close + L"reqid=1", PageCommand::None},
        {PageTrust::Nothing, Enter + L"reqid=1", PageCommand::None},
        {PageTrust::Nothing, Link + L"href=http://a.example<|>reqid=1", PageCommand::None},
    };
    for (const auto& c : cases)
    {
        PageCommandGate gate(c.trust);
        gate.DocumentCompleted();
        PageCommandParameters parameters;
        EXPECT_EQ(gate.Accept(c.title.c_str(), parameters), c.obeyed) << c.title;
    }
}

TEST(PageTitleCommands, VolumesOutsideZeroToOneAreRefused)
{
    const struct
    {
        const wchar_t* text;
        bool accepted;
        double volume;
    } cases[] = {
        {L"0.5", true, 0.5}, {L"1", true, 1.0},     {L"0", true, 0.0},     {L"no digits", true, 0.0},
        {L"1.5", false, 0},  {L"-0.1", false, 0}, {L"nan", false, 0},    {L"0.25x", true, 0.25},
    };
    for (const auto& c : cases)
    {
        double volume = -1;
        EXPECT_EQ(ParsePageVolume(c.text, volume), c.accepted) << c.text;
        if (c.accepted)
        {
            EXPECT_DOUBLE_EQ(volume, c.volume) << c.text;
        }
    }
}

TEST(PageTitleCommands, OnlyWebLinksAreOpened)
{
    const ShellLauncherFunction saved = ShellLauncher;
    ShellLauncher = RecordingLauncher;
    launches.clear();
    const struct
    {
        const wchar_t* link;
        bool opened;
    } cases[] = {
        {L"https://gallery.example/work?id=1", true},
        {L"HTTP://gallery.example/", true},
        {L"javascript:alert(1)", false},
        {L"file:///C:/Windows/System32/calc.exe", false},
        {L"C:\\Windows\\System32\\calc.exe", false},
        {L"mailto:someone@example.com", false},
        {L"", false},
    };
    for (const auto& c : cases)
    {
        launches.clear();
        EXPECT_EQ(OpenPageLink(c.link), c.opened) << c.link;
        bool launched = false;
        for (const Launch& launch : launches)
            launched = launched || launch.file.find(c.link) != std::wstring::npos;
        EXPECT_EQ(launched, c.opened) << c.link;
        if (c.opened)
        {
            EXPECT_EQ(launches.back().show, SW_SHOWMAXIMIZED);
        }
    }
    ShellLauncher = saved;
}
