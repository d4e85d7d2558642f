// The workers of the commands on the current file, run for real on files in
// the prefix: rotation by GDI+ (checked by pixels), secure deletion, and the
// e-mail thread through its Simple MAPI seam.
#include "shell/FileCommands.h"
#include "shell/WindowBase.h"

#include "foundation/ExifBlock.h"
#include "foundation/JpegExif.h"
#include "galleries/tests/GalleryTestFiles.h"
#include "core/Language.h"
#include "core/tests/UiTestSupport.h"
#include "core/ThreadCounter.h"

#include <gtest/gtest.h>

#include <mapi.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
using GalleryTest::TempTree;

std::vector<unsigned char> ReadBytes(const std::wstring& path)
{
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    if (!bytes.empty())
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::vector<unsigned char>& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

FILETIME LastWrite(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

void SetLastWrite(const std::wstring& path, const FILETIME& time)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

// 1 January 2020, a time no save would give the file.
const FILETIME KeptTime = {0x2D4F8000, 0x01D5C03C};

DWORD Rotate(const std::wstring& path, UINT rotateFlip)
{
    auto request = std::make_shared<RotateImageRequest>();
    request->path = MString(path.c_str());
    request->rotateFlip = rotateFlip;
    return RunWorkerAndWait(RotateImageThreadProc, request);
}

// The colour of the pixel in the middle of each half of the picture: the
// top and bottom halves when it is taller than wide, else left and right.
struct Halves
{
    UINT width = 0, height = 0;
    Gdiplus::Color first, second;
};

Halves ReadHalves(const std::wstring& path)
{
    Halves halves;
    Gdiplus::Bitmap bitmap(path.c_str());
    if (bitmap.GetLastStatus() != Gdiplus::Ok)
        return halves;
    halves.width = bitmap.GetWidth();
    halves.height = bitmap.GetHeight();
    if (halves.height > halves.width)
    {
        bitmap.GetPixel(halves.width / 2, halves.height / 4, &halves.first);
        bitmap.GetPixel(halves.width / 2, halves.height * 3 / 4, &halves.second);
    }
    else
    {
        bitmap.GetPixel(halves.width / 4, halves.height / 2, &halves.first);
        bitmap.GetPixel(halves.width * 3 / 4, halves.height / 2, &halves.second);
    }
    return halves;
}

bool IsRed(const Gdiplus::Color& c) { return c.GetR() > 200 && c.GetG() < 60 && c.GetB() < 60; }
bool IsBlue(const Gdiplus::Color& c) { return c.GetB() > 200 && c.GetR() < 60 && c.GetG() < 60; }

// An APP1 "Exif" segment whose IFD0 holds orientation 6 and the
// description "Title", put right after the JPEG's SOI.
std::vector<unsigned char> WithExif(const std::vector<unsigned char>& jpeg)
{
    std::string tiff("II*\0\x08\0\0\0", 8);
    tiff += std::string("\x02\0", 2);
    tiff += std::string("\x12\x01\x03\0\x01\0\0\0\x06\0\0\0", 12);
    tiff += std::string("\x0e\x01\x02\0\x06\0\0\0\x26\0\0\0", 12);
    tiff += std::string("\0\0\0\0", 4);
    tiff += std::string("Title\0", 6);
    const std::string payload = std::string("Exif\0\0", 6) + tiff;
    const size_t length = payload.size() + 2;
    std::vector<unsigned char> result(jpeg.begin(), jpeg.begin() + 2);
    result.insert(result.end(), {0xFF, 0xE1, static_cast<unsigned char>(length >> 8),
                                 static_cast<unsigned char>(length & 0xFF)});
    result.insert(result.end(), payload.begin(), payload.end());
    result.insert(result.end(), jpeg.begin() + 2, jpeg.end());
    return result;
}

class FileCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override { ThreadCounterHolder.Create(); }

    GalleryTest::GdiplusScope gdiplus;
    TempTree tree;
};
}

TEST_F(FileCommandsTest, RotationTurnsThePixelsAndKeepsTheLastWriteTime)
{
    struct Case
    {
        const wchar_t* name;
        const wchar_t* mime;
    } cases[] = {{L"picture.png", L"image/png"}, {L"picture.tif", L"image/tiff"}, {L"picture.jpg", L"image/jpeg"}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
        const std::wstring path = tree.At(c.name);
        // 64 x 32: red on the left, blue on the right.
        ASSERT_TRUE(GalleryTest::WritePicture(path, 64, 32, c.mime));
        SetLastWrite(path, KeptTime);

        ASSERT_EQ(RotateImageDone, Rotate(path, 1)); // 90 degrees clockwise: red on top
        Halves turned = ReadHalves(path);
        EXPECT_EQ(32u, turned.width);
        EXPECT_EQ(64u, turned.height);
        EXPECT_TRUE(IsRed(turned.first));
        EXPECT_TRUE(IsBlue(turned.second));
        const FILETIME after = LastWrite(path);
        EXPECT_EQ(0, CompareFileTime(&KeptTime, &after));

        ASSERT_EQ(RotateImageDone, Rotate(path, 2)); // a further half turn: blue on top
        turned = ReadHalves(path);
        EXPECT_TRUE(IsBlue(turned.first));
        EXPECT_TRUE(IsRed(turned.second));

        ASSERT_EQ(RotateImageDone, Rotate(path, 1)); // back where it started
        turned = ReadHalves(path);
        EXPECT_EQ(64u, turned.width);
        EXPECT_EQ(32u, turned.height);
        EXPECT_TRUE(IsRed(turned.first));
        EXPECT_TRUE(IsBlue(turned.second));
        // Nothing is left beside it.
        WIN32_FIND_DATAW found = {};
        HANDLE search = FindFirstFileW((tree.Path() + L"\\qrt*").c_str(), &found);
        EXPECT_EQ(INVALID_HANDLE_VALUE, search);
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
    }
}

TEST_F(FileCommandsTest, ARotatedJpegTurnsWhatWasShownAndKeepsItsExifUpright)
{
    const std::wstring path = tree.At(L"photo.jpg");
    ASSERT_TRUE(GalleryTest::WritePicture(path, 64, 32, L"image/jpeg"));
    WriteBytes(path, WithExif(ReadBytes(path)));

    ASSERT_EQ(RotateImageDone, Rotate(path, 3));
    const std::vector<unsigned char> rotated = ReadBytes(path);
    const ExifBlock exif(rotated.data(), rotated.size());
    ASSERT_TRUE(exif.IsValid());
    WORD orientation = 0;
    EXPECT_TRUE(exif.ReadShort(0x0112, orientation));
    EXPECT_EQ(1, orientation);
    EXPECT_STREQ(L"Title", exif.ReadText(0x010E).GetText());
    // Orientation 6 shows the picture turned 90 degrees clockwise; the
    // user's 270 turns what was shown, which is the stored picture again:
    // red on the left, blue on the right.
    const Halves turned = ReadHalves(path);
    EXPECT_EQ(64u, turned.width);
    EXPECT_EQ(32u, turned.height);
    EXPECT_TRUE(IsRed(turned.first));
    EXPECT_TRUE(IsBlue(turned.second));
}

TEST_F(FileCommandsTest, PicturesThatCannotBeRotatedAreLeftAsTheyWere)
{
    // Read-only; a picture cut short; no picture at all; no file.
    const std::wstring readOnly = tree.At(L"locked.png");
    ASSERT_TRUE(GalleryTest::WritePicture(readOnly, 16, 8));
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    // A PNG cut short after its header: GDI+ cannot decode it. (Wine's GDI+
    // gives an icon the raw format of a bitmap, so a format without an
    // encoder cannot be shown here.)
    const std::wstring picture = tree.At(L"whole.png");
    ASSERT_TRUE(GalleryTest::WritePicture(picture, 16, 8));
    std::vector<unsigned char> cut = ReadBytes(picture);
    cut.resize(40);
    const std::wstring truncated = tree.At(L"cut.png");
    WriteBytes(truncated, cut);
    const std::wstring text = tree.File(L"notes.png", "not a picture");

    struct Case
    {
        std::wstring path;
        DWORD expected;
    } cases[] = {{readOnly, RotateImageReadOnly}, {truncated, RotateImageFailed}, {text, RotateImageFailed},
                 {tree.At(L"missing.png"), RotateImageReadOnly}};
    for (const Case& c : cases)
    {
        const std::vector<unsigned char> before = ReadBytes(c.path);
        EXPECT_EQ(c.expected, Rotate(c.path, 1));
        EXPECT_EQ(before, ReadBytes(c.path));
    }
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileCommandsTest, SecureDeletionOverwritesAndRemovesTheFile)
{
    struct Case
    {
        const wchar_t* name;
        size_t size;
        bool readOnly;
    } cases[] = {{L"empty.txt", 0, false}, {L"two-blocks.bin", 8193, false}, {L"locked.txt", 100, true}};
    for (const Case& c : cases)
    {
        const MString path(tree.File(c.name, std::string(c.size, 'A')).c_str());
        if (c.readOnly)
            SetFileAttributesW(path.GetText(), FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(SecureDeleteDone, RunWorkerAndWait(SecureDeleteThreadProc, std::make_shared<MString>(path)));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.GetText()));
    }
    // Neither the files nor their GUID names are left in the folder.
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((tree.Path() + L"\\*").c_str(), &found);
    int entries = 0;
    if (search != INVALID_HANDLE_VALUE)
    {
        do
            ++entries;
        while (FindNextFileW(search, &found));
        FindClose(search);
    }
    EXPECT_EQ(2, entries); // "." and ".."

    const MString missing(tree.At(L"missing.txt").c_str());
    EXPECT_EQ(SecureDeleteNotOpened, RunWorkerAndWait(SecureDeleteThreadProc, std::make_shared<MString>(missing)));
}

// ---- E-mail through the Simple MAPI seam ------------------------------------

namespace
{
struct SentMail
{
    int calls = 0;
    bool wide = false;
    std::wstring path, fileName, note;
    std::string ansiPath;
    ULONG flags = 0;
    ULONG position = 0;
    ULONG fileCount = 0;
    ULONG result = SUCCESS_SUCCESS;
    bool hasWideEntry = true;
    bool loads = true;
} Sent;

// The wide records as the mail system reads them.
struct FileW
{
    ULONG reserved, flags, position;
    PWSTR pathName, fileName;
    void* fileType;
};
struct MessageW
{
    ULONG reserved;
    PWSTR subject, noteText, messageType, dateReceived, conversationId;
    ULONG flags;
    void* originator;
    ULONG recipientCount;
    void* recipients;
    ULONG fileCount;
    FileW* files;
};

ULONG WINAPI FakeSendMailW(ULONG_PTR, ULONG_PTR, MessageW* message, ULONG flags, ULONG)
{
    ++Sent.calls;
    Sent.wide = true;
    Sent.flags = flags;
    Sent.fileCount = message->fileCount;
    Sent.path = message->files[0].pathName;
    Sent.fileName = message->files[0].fileName;
    Sent.position = message->files[0].position;
    Sent.note = message->noteText;
    return Sent.result;
}

ULONG WINAPI FakeSendMailA(LHANDLE, ULONG_PTR, lpMapiMessage message, FLAGS flags, ULONG)
{
    ++Sent.calls;
    Sent.wide = false;
    Sent.flags = flags;
    Sent.fileCount = message->nFileCount;
    Sent.ansiPath = message->lpFiles[0].lpszPathName;
    return Sent.result;
}

HMODULE const FakeMailModule = reinterpret_cast<HMODULE>(0x7F00);

HMODULE WINAPI FakeLoad(LPCWSTR name) { return Sent.loads && lstrcmpiW(name, L"MAPI32.DLL") == 0 ? FakeMailModule : nullptr; }
FARPROC WINAPI FakeFind(HMODULE module, LPCSTR name)
{
    if (module != FakeMailModule)
        return nullptr;
    if (lstrcmpA(name, "MAPISendMailW") == 0)
        return Sent.hasWideEntry ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeSendMailW)) : nullptr;
    if (lstrcmpA(name, "MAPISendMail") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeSendMailA));
    return nullptr;
}
BOOL WINAPI FakeFree(HMODULE) { return TRUE; }

class SendMailTest : public FileCommandsTest
{
protected:
    void SetUp() override
    {
        FileCommandsTest::SetUp();
        m_saved = FileCommandSystem;
        FileCommandSystem.loadMailLibrary = FakeLoad;
        FileCommandSystem.findMailEntry = FakeFind;
        FileCommandSystem.freeMailLibrary = FakeFree;
        Sent = SentMail();
        m_window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(m_window);
        FileCommandSystem = m_saved;
    }

    void Send(const std::wstring& path)
    {
        SendMailThreadProc(new Pair<HWND__*, MString>(m_window, MString(path.c_str())));
    }

    // The text of the failure notice posted to the window, or empty.
    std::wstring TakeNotice()
    {
        MSG message;
        std::wstring text;
        while (PeekMessageW(&message, m_window, WM_NOTICE, WM_NOTICE, PM_REMOVE))
        {
            EXPECT_EQ(NoticeRecord, message.wParam);
            const std::unique_ptr<Pair<MString, MString>> texts = TakeNoticeRecord(message.wParam, message.lParam);
            if (texts)
                text = texts->second.GetText();
        }
        return text;
    }

    LanguageModuleScope m_language{LanguageEnglish};
    FileCommandCalls m_saved{};
    HWND m_window = nullptr;
};
}

TEST_F(SendMailTest, TheFileGoesAsAWideAttachmentWhereTheMailSystemTakesOne)
{
    const std::wstring path = tree.File(L"\u0421\u043d\u0438\u043c\u043a\u0430 \u00e9t\u00e9.png");
    Send(path);
    ASSERT_EQ(1, Sent.calls);
    EXPECT_TRUE(Sent.wide);
    EXPECT_EQ(1u, Sent.fileCount);
    EXPECT_EQ(path, Sent.path);
    EXPECT_EQ(path, Sent.fileName);
    EXPECT_EQ(0xFFFFFFFFu, Sent.position);
    EXPECT_EQ(static_cast<ULONG>(MAPI_LOGON_UI | MAPI_DIALOG), Sent.flags);
    EXPECT_EQ(L"Sent with Quillory.", Sent.note);
    EXPECT_EQ(L"", TakeNotice());
}

TEST_F(SendMailTest, WithoutTheWideEntryAPathThatDoesNotConvertGoesByItsShortName)
{
    Sent.hasWideEntry = false;
    const std::wstring plain = tree.File(L"plain.png");
    Send(plain);
    std::string expected(plain.begin(), plain.end());
    EXPECT_FALSE(Sent.wide);
    EXPECT_EQ(expected, Sent.ansiPath);

    const std::wstring foreign = tree.File(L"\u5199\u771f.png");
    Send(foreign);
    wchar_t shortPath[MAX_PATH] = {};
    ASSERT_NE(0u, GetShortPathNameW(foreign.c_str(), shortPath, MAX_PATH));
    std::string shortAnsi;
    for (const wchar_t* c = shortPath; *c; ++c)
        shortAnsi += static_cast<char>(*c);
    EXPECT_EQ(2, Sent.calls);
    EXPECT_EQ(shortAnsi, Sent.ansiPath);
    EXPECT_EQ(std::string::npos, Sent.ansiPath.find('?'));
}

TEST_F(SendMailTest, FailuresAreReportedAndTheUsersOwnAnswersAreNot)
{
    const std::wstring path = tree.File(L"a.png");
    struct Case
    {
        bool loads;
        ULONG result;
        const wchar_t* notice;
    } cases[] = {
        {false, SUCCESS_SUCCESS, L"The file could not be handed to your e-mail program (step 1, code 0)."},
        {true, MAPI_USER_ABORT, L""},
        {true, MAPI_E_LOGIN_FAILURE, L""},
        {true, MAPI_E_FAILURE, L"The file could not be handed to your e-mail program (step 3, code 2)."},
        {true, MAPI_E_ATTACHMENT_NOT_FOUND, L"The file could not be handed to your e-mail program (step 3, code 11)."},
    };
    for (const Case& c : cases)
    {
        Sent.loads = c.loads;
        Sent.result = c.result;
        Send(path);
        EXPECT_EQ(c.notice, TakeNotice()) << c.result;
    }
}
