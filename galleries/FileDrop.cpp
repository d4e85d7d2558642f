#include "galleries/FileDrop.h"

#include "galleries/SelectedFiles.h"
#include "resources/window/ProgramResourceIds.h"
#include "core/CrashReport.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cstddef>
#include <cstring>
#include <optional>

namespace
{
constexpr DWORD NamesOffset = 20;
const wchar_t PrivateFormatName[] =
    L"{CE19DD7B-FBD0-4C08-8DDC-1C91D02AE379}LV HDROP clipboard format.{54BFC7AC-5417-4559-AA75-6FDA6CF67D94}";
const wchar_t OwnFormatSuffix[] =
    L"{DA39A1A9-EF6B-4F0C-9132-109F1A9E525D}LV clipboard format.{0CFBE282-6B6B-45AB-B8E7-C9BF5CF9E6F3}";

FORMATETC FormatOf(UINT format)
{
    return FORMATETC{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

// The reference count and IUnknown of the small COM objects below.
template <class Interface> class ComObject : public Interface
{
public:
    virtual ~ComObject() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == __uuidof(Interface))
        {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

private:
    LONG m_references = 1;
};

class FileDataObject : public ComObject<IDataObject>
{
public:
    ~FileDataObject() override
    {
        for (auto& stored : m_stored)
            GlobalFree(stored.second);
    }
    bool Add(UINT format, const std::vector<unsigned char>& bytes)
    {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, bytes.size());
        if (!block)
            return false;
        std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        m_stored.emplace_back(FormatOf(format), block);
        UINT count = 0;
        if (format == FileDescriptorFormat() && !m_descriptors && CountFileDescriptors(bytes.data(), bytes.size(), count))
            m_descriptors = count;
        return true;
    }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (!format || !medium)
            return E_INVALIDARG;
        for (size_t at = 0; at < m_stored.size(); ++at)
            if (Matches(m_stored[at].first, *format))
            {
                if (format->cfFormat == FileContentsFormat() && !FindContents(format->lindex, at))
                    return DV_E_LINDEX;
                const auto& stored = m_stored[at];
                medium->tymed = TYMED_HGLOBAL;
                medium->hGlobal = static_cast<HGLOBAL>(OleDuplicateData(stored.second, stored.first.cfFormat, 0));
                medium->pUnkForRelease = nullptr;
                return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
            }
        return DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override
    {
        if (!format)
            return E_INVALIDARG;
        if (format->lindex != -1)
            return DV_E_LINDEX;
        if (!(format->dwAspect & DVASPECT_CONTENT))
            return DV_E_DVASPECT;
        for (const auto& stored : m_stored)
            if (Matches(stored.first, *format))
                return S_OK;
        return DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override
    {
        if (!out)
            return E_INVALIDARG;
        out->ptd = nullptr;
        return DATA_S_SAMEFORMATETC;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override
    {
        if (direction != DATADIR_GET)
            return E_NOTIMPL;
        std::vector<FORMATETC> list;
        for (const auto& stored : m_stored)
            list.push_back(stored.first);
        return SHCreateStdEnumFmtEtc(static_cast<UINT>(list.size()), list.data(), formats);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    // The contents block of file index of the descriptor block, counted from
    // the first contents block at: the index must be one that the stored
    // descriptor block describes, and the block there must be contents too.
    bool FindContents(LONG index, size_t& at) const
    {
        if (index < 0 || !m_descriptors)
            return false;
        const size_t wanted = at + static_cast<size_t>(index);
        if (static_cast<ULONG>(index) >= *m_descriptors || wanted >= m_stored.size() ||
            m_stored[wanted].first.cfFormat != m_stored[at].first.cfFormat)
            return false;
        at = wanted;
        return true;
    }
    static bool Matches(const FORMATETC& stored, const FORMATETC& asked)
    {
        return stored.cfFormat == asked.cfFormat && (stored.dwAspect & asked.dwAspect) && (stored.tymed & asked.tymed);
    }
    std::vector<std::pair<FORMATETC, HGLOBAL>> m_stored;
    // The count of the first descriptor block, when that block is sound.
    std::optional<UINT> m_descriptors;
};

class FileDropSource : public ComObject<IDropSource>
{
public:
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override
    {
        if (escape)
            return DRAGDROP_S_CANCEL;
        if (keys & MK_LBUTTON)
            return S_OK;
        return m_effect != DROPEFFECT_NONE ? DRAGDROP_S_DROP : DRAGDROP_S_CANCEL;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override
    {
        m_effect = effect;
        const HMODULE art = GetModuleHandleW(nullptr);
        const int cursor = effect == DROPEFFECT_NONE ? IDC_DRAG_NONE
                           : effect == DROPEFFECT_COPY ? IDC_DRAG_COPY
                           : effect == DROPEFFECT_MOVE ? IDC_DRAG_MOVE
                                                       : 0;
        if (!cursor)
            return DRAGDROP_S_USEDEFAULTCURSORS;
        SetCursor(LoadCursorW(art, MAKEINTRESOURCEW(cursor)));
        return S_OK;
    }

private:
    DWORD m_effect = DROPEFFECT_NONE;
};
}

class FileDropTarget : public ComObject<IDropTarget>
{
public:
    FileDropTarget(HWND list, CSelectedFiles* owner) : m_list(list), m_owner(owner)
    {
        CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&m_helper));
    }
    ~FileDropTarget() override
    {
        if (m_helper)
            m_helper->Release();
    }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL point, DWORD* effect) override
    {
        if (!data || !effect)
            return E_INVALIDARG;
        FORMATETC own = FormatOf(OwnListFormat(m_list));
        m_own = data->QueryGetData(&own) == S_OK;
        m_acceptable = !m_own && OffersFileList(data);
        const DWORD allowed = *effect;
        *effect = m_acceptable && (allowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        if (m_helper)
        {
            POINT at = {point.x, point.y};
            m_helper->DragEnter(m_list, data, &at, *effect);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL point, DWORD* effect) override
    {
        if (!effect)
            return E_INVALIDARG;
        *effect = !m_own && m_acceptable && (*effect & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        if (m_helper)
        {
            POINT at = {point.x, point.y};
            m_helper->DragOver(&at, *effect);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override
    {
        m_own = false;
        if (m_helper)
            m_helper->DragLeave();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL point, DWORD* effect) override
    {
        // Called by OLE's drag loop: nothing may be thrown back into it.
        return NoThrow<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
            if (m_helper)
            {
                POINT at = {point.x, point.y};
                m_helper->Drop(data, &at, effect ? *effect : DROPEFFECT_NONE);
            }
            if (!data || !effect)
                return E_INVALIDARG;
            // The source never deletes what it dropped here.
            *effect = DROPEFFECT_LINK;
            const bool own = m_own;
            m_own = false;
            std::vector<MString> paths;
            std::vector<MString> tooLong;
            if (own || !ReadDataObjectPaths(data, paths, tooLong))
                return S_OK;
            m_owner->TakeDroppedPaths(paths, tooLong);
            return S_OK;
        });
    }

private:
    HWND m_list;
    CSelectedFiles* m_owner;
    IDropTargetHelper* m_helper = nullptr;
    bool m_own = false;
    bool m_acceptable = false;
};

std::vector<unsigned char> BuildFileList(const std::vector<MString>& paths)
{
    size_t units = 1;
    for (const MString& path : paths)
        units += static_cast<size_t>(path.GetLength()) + 1;
    std::vector<unsigned char> bytes(NamesOffset + units * sizeof(wchar_t));
    const DWORD header[5] = {NamesOffset, 0, 0, 0, 1};
    std::memcpy(bytes.data(), header, sizeof(header));
    unsigned char* at = bytes.data() + NamesOffset;
    for (const MString& path : paths)
    {
        const size_t size = (static_cast<size_t>(path.GetLength()) + 1) * sizeof(wchar_t);
        std::memcpy(at, path.GetText(), size);
        at += size;
    }
    return bytes;
}

bool ReadFileList(const void* data, size_t size, std::vector<MString>& paths, std::vector<MString>& tooLong)
{
    if (!data || size < NamesOffset)
        return false;
    DWORD header[5];
    std::memcpy(header, data, sizeof(header));
    const DWORD offset = header[0];
    if (header[4] == 0 || offset < NamesOffset || offset > size)
        return false;
    const size_t units = (size - offset) / sizeof(wchar_t);
    std::vector<wchar_t> names(units);
    std::memcpy(names.data(), static_cast<const unsigned char*>(data) + offset, units * sizeof(wchar_t));
    std::vector<MString> found, longOnes;
    size_t i = 0;
    for (;;)
    {
        if (i >= units)
            return false; // no closing NUL inside the block
        if (names[i] == 0)
            break;
        size_t end = i;
        while (end < units && names[end] != 0)
            ++end;
        if (end >= units)
            return false;
        (end - i >= MAX_PATH ? longOnes : found).emplace_back(MString(names.data() + i));
        i = end + 1;
    }
    paths.insert(paths.end(), found.begin(), found.end());
    tooLong.insert(tooLong.end(), longOnes.begin(), longOnes.end());
    return true;
}

bool CountFileDescriptors(const void* data, size_t size, UINT& count)
{
    const size_t head = offsetof(FILEGROUPDESCRIPTORW, fgd);
    if (!data || size < head)
        return false;
    UINT declared = 0;
    std::memcpy(&declared, data, sizeof(declared));
    if (declared > (size - head) / sizeof(FILEDESCRIPTORW))
        return false;
    count = declared;
    return true;
}

UINT PrivateFileListFormat() { return RegisterClipboardFormatW(PrivateFormatName); }
UINT FileDescriptorFormat() { return RegisterClipboardFormatW(CFSTR_FILEDESCRIPTORW); }
UINT FileContentsFormat() { return RegisterClipboardFormatW(CFSTR_FILECONTENTS); }
UINT PreferredDropEffectFormat() { return RegisterClipboardFormatW(CFSTR_PREFERREDDROPEFFECT); }

UINT OwnListFormat(HWND list)
{
    const MString name(sX::Format(), L"%I64u%s", static_cast<unsigned __int64>(reinterpret_cast<UINT_PTR>(list)),
                       OwnFormatSuffix);
    return RegisterClipboardFormatW(name.GetText());
}

bool OffersFileList(IDataObject* data)
{
    FORMATETC privateFormat = FormatOf(PrivateFileListFormat()), drop = FormatOf(CF_HDROP);
    return data && (data->QueryGetData(&privateFormat) == S_OK || data->QueryGetData(&drop) == S_OK);
}

bool ReadDataObjectPaths(IDataObject* data, std::vector<MString>& paths, std::vector<MString>& tooLong)
{
    FORMATETC format = FormatOf(PrivateFileListFormat());
    if (data->QueryGetData(&format) != S_OK)
        format = FormatOf(CF_HDROP);
    STGMEDIUM medium = {};
    if (data->GetData(&format, &medium) != S_OK)
        return false;
    bool read = false;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal)
    {
        const void* block = GlobalLock(medium.hGlobal);
        if (block)
        {
            read = ReadFileList(block, GlobalSize(medium.hGlobal), paths, tooLong);
            GlobalUnlock(medium.hGlobal);
        }
    }
    ReleaseStgMedium(&medium);
    return read;
}

IDataObject* NewFileDataObject(const std::vector<std::pair<UINT, std::vector<unsigned char>>>& blocks)
{
    auto* object = new FileDataObject();
    for (const auto& block : blocks)
        if (!object->Add(block.first, block.second))
        {
            object->Release();
            return nullptr;
        }
    return object;
}

IDropSource* NewFileDropSource() { return new FileDropSource(); }

FileDropTarget* RegisterFileDropTarget(HWND list, CSelectedFiles* owner)
{
    auto* target = new FileDropTarget(list, owner);
    if (FAILED(RegisterDragDrop(list, target)))
    {
        target->Release();
        return nullptr;
    }
    return target;
}

void RevokeFileDropTarget(HWND list, FileDropTarget* target)
{
    if (!target)
        return;
    RevokeDragDrop(list);
    target->Release();
}
