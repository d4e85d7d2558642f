// The user-interface language: its stored choice, the language resource
// module that goes with it, and the locales of the threads that show text.
// UiLanguage (foundation/SystemUtilities.h) and LanguageModule
// (foundation/AtomPersistence.h) are set by the module object at start-up.
#pragma once

#include "foundation/Registry.h"
#include "foundation/StringEx.h"

#include <windows.h>

constexpr LANGID LanguageBulgarian = 1026;
constexpr LANGID LanguageEnglish = 1033;

// Set by LoadLanguage when the stored language was missing or unusable: the
// start-up then asks with the language dialog.
extern bool AskForLanguage;

// The server base address that every server page address starts with;
// filled by the module object from the program's protected texts.
MStringEx<wchar_t>& ServerBaseAddress();

// The stored "Language" (REG_DWORD 1026 or 1033). Anything else is deleted
// and the keyboard layout of the calling thread decides (Bulgarian or
// English, English for any other layout), with AskForLanguage set. When the
// settings key cannot be opened the user is told and English is assumed.
LANGID LoadLanguage();
// Stores "Language"; a failed write deletes the value. True when written.
bool SaveLanguage(LANGID language);
// "Resources BG BG.dll" for Bulgarian, "Resources EN US.dll" otherwise.
MStringEx<wchar_t> GetResourceModuleFileName(LANGID language);
// Loads the language module at path. Null when it cannot be loaded, or when
// it loads but holds no language resources (no product caption): the start
// then shows the built-in message instead of failing at its first text.
HMODULE LoadLanguageModule(const wchar_t* path);
// The folder of the module's file joined with fileName by "\".
MStringEx<wchar_t> GetModuleFolder(HMODULE module, const wchar_t* fileName);
// The C runtime locale name of a language: English language name, "_" and
// English country name when there is one, "." and the ANSI (else OEM) code
// page when it can be read.
MStringEx<wchar_t> BuildCrtLocaleName(LANGID language);
// Sets the calling thread's locale and the C runtime locale for language.
void ApplyThreadLocale(LANGID language);

// Where LoadLanguage reads the keyboard layout; a test puts its own layout in
// place. Answers the previous source.
using KeyboardLayoutSource = HKL(WINAPI*)(DWORD threadId);
KeyboardLayoutSource SetKeyboardLayoutSource(KeyboardLayoutSource source);
