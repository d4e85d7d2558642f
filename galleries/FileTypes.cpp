#include "galleries/FileTypes.h"

#include "foundation/FolderPath.h"

const wchar_t SupportedTypePattern[] =
    L"*.bmp;*.dib;*.emf;*.exif;*.gif;*.ico;*.jpeg;*.jpg;*.jpe;*.jfif;*.png;*.tiff;*.tif;*.wmf;*.asf;*.wma;*.wmv;"
    L"*.wm;*.asx;*.wax;*.wvx;*.wmx;*.wpl;*.dvr-ms;*.wmd;*.avi;*.mpg;*.mpeg;*.m1v;*.mp2;*.mp3;*.mpa;*.mpe;*.m3u;"
    L"*.mid;*.midi;*.rmi;*.aif;*.aifc;*.aiff;*.au;*.snd;*.wav;*.cda;*.ivf;*.wmz;*.wms;*.mov;*.m4a;*.mp4;*.m4v;"
    L"*.mp4v;*.3g2;*.3gp2;*.3gp;*.3gpp;*.aac;*.adt;*.adts;*.m2ts;*.rtf;*.txt;*.htm;*.html;*.mht";
const wchar_t WebDocumentPattern[] = L"*.htm;*.html;*.mht";
const wchar_t TextDocumentPattern[] = L"*.rtf;*.txt";

namespace
{
const wchar_t ImagePattern[] = L"*.bmp;*.dib;*.emf;*.exif;*.gif;*.ico;*.jpeg;*.jpg;*.jpe;*.jfif;*.png;*.tiff;*.tif;*.wmf";
const wchar_t VideoPattern[] =
    L"*.asf;*.wma;*.wmv;*.wm;*.asx;*.wax;*.wvx;*.wmx;*.wpl;*.dvr-ms;*.wmd;*.avi;*.mpg;*.mpeg;*.m1v;*.mp2;*.mp3;*.mpa;"
    L"*.mpe;*.m3u;*.mid;*.midi;*.rmi;*.aif;*.aifc;*.aiff;*.au;*.snd;*.wav;*.cda;*.ivf;*.wmz;*.wms;*.mov;*.m4a;*.mp4;"
    L"*.m4v;*.mp4v;*.3g2;*.3gp2;*.3gp;*.3gpp;*.aac;*.adt;*.adts;*.m2ts";

struct FilterRow
{
    const wchar_t* english;
    const wchar_t* bulgarian; // null: the same in both
    const wchar_t* pattern;
};

const FilterRow Rows[] = {
    {L"All Known Formats", L"Всички познати формати", SupportedTypePattern},
    {L"All Image Formats", L"Всички формати за изображения", ImagePattern},
    {L"   Bitmap image", nullptr, L"*.bmp;*.dib"},
    {L"   Enhanced Windows metafile", nullptr, L"*.emf"},
    {L"   Exchangeable image file", nullptr, L"*.exif"},
    {L"   Graphics interchange", nullptr, L"*.gif"},
    {L"   Windows icon image", nullptr, L"*.ico"},
    {L"   Joint photographic experts group", nullptr, L"*.jpeg;*.jpg;*.jpe;*.jfif"},
    {L"   W3C portable network graphics", nullptr, L"*.png"},
    {L"   Tag image file format", nullptr, L"*.tiff;*.tif"},
    {L"   Windows metafile image", nullptr, L"*.wmf"},
    {L"All Video Formats", L"Всички видео формати", VideoPattern},
    {L"   Windows Media formats", nullptr, L"*.asf;*.wma;*.wmv;*.wm"},
    {L"   Windows Media Metafiles", nullptr, L"*.asx;*.wax;*.wvx;*.wmx"},
    {L"   Windows Media Metafiles", nullptr, L"*.wpl"},
    {L"   Microsoft Digital Video Recording", nullptr, L"*.dvr-ms"},
    {L"   Windows Media Download Package", nullptr, L"*.wmd"},
    {L"   Audio Visual Interleave", nullptr, L"*.avi"},
    {L"   Moving Pictures Experts Group", nullptr, L"*.mpg;*.mpeg;*.m1v;*.mp2;*.mp3;*.mpa;*.mpe;*.m3u"},
    {L"   Musical Instrument Digital Interface", nullptr, L"*.mid;*.midi;*.rmi"},
    {L"   Audio Interchange File Format", nullptr, L"*.aif;*.aifc;*.aiff"},
    {L"   Sun Microsystems and NeXT", nullptr, L"*.au;*.snd"},
    {L"   Audio for Windows", nullptr, L"*.wav"},
    {L"   CD Audio Track", nullptr, L"*.cda"},
    {L"   Indeo Video Technology", nullptr, L"*.ivf"},
    {L"   Windows Media Player Skins", nullptr, L"*.wmz;*.wms"},
    {L"   QuickTime Movie file", nullptr, L"*.mov"},
    {L"   MP4 Audio file", nullptr, L"*.m4a"},
    {L"   MP4 Video file", nullptr, L"*.mp4;*.m4v;*.mp4v;*.3g2;*.3gp2;*.3gp;*.3gpp"},
    {L"   Windows audio file", nullptr, L"*.aac;*.adt;*.adts"},
    {L"   MPEG-2 TS Video file", nullptr, L"*.m2ts"},
    {L"All Webpage Formats", L"Всички формати на уебстраници", WebDocumentPattern},
    {L"   Webpage formats", nullptr, L"*.htm;*.html"},
    {L"   Web Archive", nullptr, L"*.mht"},
    {L"All Text Formats", L"Всички текстови формати", TextDocumentPattern},
    {L"   Rich Text Format", nullptr, L"*.rtf"},
    {L"   Plain text", nullptr, L"*.txt"},
    {L"All Files", L"Всички файлове", L"*.*"},
};
}

std::vector<MString> ExtensionsOfPattern(const wchar_t* pattern)
{
    return SplitAtSeparator(MString(pattern).Trim(L'*').Trim(L'.'), MString(L";*."));
}

const std::vector<MString>& SupportedExtensions()
{
    static const std::vector<MString> extensions = ExtensionsOfPattern(SupportedTypePattern);
    return extensions;
}

bool HasExtensionOf(const MString& path, const std::vector<MString>& extensions)
{
    const MString extension = ExtensionOf(FileNameOf(path));
    if (extension.IsEmpty())
        return false;
    for (const MString& known : extensions)
        if (EqualsIgnoringCase(known, extension))
            return true;
    return false;
}

std::vector<FileTypeFilter> FileTypeFilters(LANGID language, bool withExtensions)
{
    std::vector<FileTypeFilter> filters;
    for (const FilterRow& row : Rows)
    {
        MString name(language == 1026 && row.bulgarian ? row.bulgarian : row.english);
        // Member rows are indented; they carry their extensions in the older dialog.
        if (withExtensions && row.english[0] == L' ')
        {
            MString list(row.pattern);
            list.Replace(MString(L";"), MString(L", "), true);
            name = MString(sX::Format(), L"%s (%s)", name.GetText(), list.GetText());
        }
        filters.push_back({name, MString(row.pattern)});
    }
    return filters;
}
