// Owners of icons, bitmaps, brushes, fonts and device contexts: each ties one
// handle to an object and frees it once. The shells hold without owning.
#pragma once

#include <windows.h>

#include <algorithm>

// The common base: one handle field (null means none).
class MGDI
{
public:
    MGDI(const MGDI&) = delete;
    MGDI& operator=(const MGDI&) = delete;
    virtual ~MGDI() = default;

    virtual HANDLE GetHandle() const = 0;
    virtual HGDIOBJ GetGdiObject() const = 0;
    virtual bool IsValid() const = 0;

protected:
    explicit MGDI(HANDLE handle) : m_handle(handle) {}

    HANDLE m_handle;
};

// The held handle in the owner's own type.
template <class H> class MGDITyped : public MGDI
{
public:
    HANDLE GetHandle() const override { return m_handle; }
    HGDIOBJ GetGdiObject() const override { return static_cast<HGDIOBJ>(m_handle); }
    bool IsValid() const override { return m_handle != nullptr; }

    virtual H Get() const { return static_cast<H>(m_handle); }
    operator H() const { return Get(); }

protected:
    explicit MGDITyped(H handle) : MGDI(handle) {}

    // For the creating calls that store a new handle straight into the owner.
    H* HandleAddress() { return reinterpret_cast<H*>(&m_handle); }
    // Frees the held object through the given call, once.
    template <class Free> void FreeWith(Free free)
    {
        if (m_handle)
            free(static_cast<H>(m_handle));
        m_handle = nullptr;
    }
};

class MIcon : public MGDITyped<HICON>
{
public:
    explicit MIcon(HICON icon = nullptr) : MGDITyped(icon) {}
    // The icon resource at the small-icon size; empty when loading fails.
    MIcon(HMODULE module, unsigned id)
        : MGDITyped(static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)))
    {
    }
    ~MIcon() override { FreeWith(DestroyIcon); }

    HICON* GetHandleAddress() { return HandleAddress(); }
};

class MBitmap : public MGDITyped<HBITMAP>
{
public:
    explicit MBitmap(HBITMAP bitmap = nullptr) : MGDITyped(bitmap) {}
    ~MBitmap() override { FreeWith(DeleteBitmap); }

    HBITMAP* GetHandleAddress() { return HandleAddress(); }
    // Deletes the held bitmap and answers the emptied field for the next one.
    HBITMAP* ReleaseForReuse()
    {
        FreeWith(DeleteBitmap);
        return HandleAddress();
    }
    // Hands the bitmap over to the caller; the owner is empty afterwards.
    HBITMAP Detach()
    {
        const HBITMAP bitmap = Get();
        m_handle = nullptr;
        return bitmap;
    }

private:
    static void DeleteBitmap(HBITMAP bitmap) { DeleteObject(bitmap); }
};

class MBrush : public MGDITyped<HBRUSH>
{
public:
    explicit MBrush(HBRUSH brush = nullptr) : MGDITyped(brush) {}
    ~MBrush() override { FreeWith([](HBRUSH brush) { DeleteObject(brush); }); }
};

class MPen : public MGDITyped<HPEN>
{
public:
    explicit MPen(HPEN pen = nullptr) : MGDITyped(pen) {}
    ~MPen() override { FreeWith([](HPEN pen) { DeleteObject(pen); }); }
};

class MSolidBrush : public MBrush
{
public:
    explicit MSolidBrush(COLORREF colour) : MBrush(CreateSolidBrush(colour)) {}
};

class MHFont : public MGDITyped<HFONT>
{
public:
    explicit MHFont(HFONT font = nullptr) : MGDITyped(font) {}
    ~MHFont() override { FreeWith([](HFONT font) { DeleteObject(font); }); }
};

// Holds a bitmap that belongs to someone else.
class MBitmapShell : public MGDITyped<HBITMAP>
{
public:
    explicit MBitmapShell(HBITMAP bitmap = nullptr) : MGDITyped(bitmap) {}
};

// Holds a font that belongs to someone else, and derives new fonts from it;
// a derived font belongs to the caller, who deletes it.
class MFontShell : public MGDITyped<HFONT>
{
public:
    explicit MFontShell(HFONT font = nullptr) : MGDITyped(font) {}

    // A non-zero weight is clamped to 0..1000; 0 keeps the font's weight.
    HFONT Derive(int weight, bool italic, bool underline) const
    {
        LOGFONTW font;
        if (!Read(font))
            return nullptr;
        SetWeight(font, weight);
        font.lfItalic = italic ? TRUE : FALSE;
        font.lfUnderline = underline ? TRUE : FALSE;
        return CreateFontIndirectW(&font);
    }
    HFONT Derive(int weight) const
    {
        LOGFONTW font;
        if (!Read(font))
            return nullptr;
        SetWeight(font, weight);
        return CreateFontIndirectW(&font);
    }
    // The character height made smaller by units (heights are kept in the
    // font's own sign convention).
    HFONT DeriveSmaller(int units) const
    {
        LOGFONTW font;
        if (!Read(font))
            return nullptr;
        font.lfHeight = font.lfHeight < 0 ? std::min(font.lfHeight + units, -1L) : std::max(font.lfHeight - units, 1L);
        return CreateFontIndirectW(&font);
    }

private:
    bool Read(LOGFONTW& font) const
    {
        ZeroMemory(&font, sizeof(font));
        return m_handle && GetObjectW(m_handle, sizeof(font), &font) == sizeof(font);
    }
    static void SetWeight(LOGFONTW& font, int weight)
    {
        if (weight != 0)
            font.lfWeight = std::min(std::max(weight, 0), 1000);
    }
};

// A memory device context with a bitmap and a font selected into it; the
// owners of the bitmap and the font decide whether they are deleted. On
// destruction the previous objects are selected back before the context and
// then the owned objects go.
template <class Bitmap, class Font> class MSelectingDC : public MGDITyped<HDC>
{
public:
    ~MSelectingDC() override
    {
        if (!m_handle)
            return;
        if (m_previousBitmap)
            SelectObject(Get(), m_previousBitmap);
        if (m_previousFont)
            SelectObject(Get(), m_previousFont);
        FreeWith(DeleteDC);
    }

    Bitmap& GetBitmap() { return m_bitmap; }
    Font& GetFont() { return m_font; }

protected:
    MSelectingDC(HDC source, HBITMAP bitmap, HFONT font)
        : MGDITyped(CreateCompatibleDC(source)), m_bitmap(bitmap), m_font(font)
    {
        if (!m_handle)
            return;
        if (m_bitmap.IsValid())
            m_previousBitmap = SelectObject(Get(), m_bitmap.Get());
        if (m_font.IsValid())
            m_previousFont = SelectObject(Get(), m_font.Get());
    }

private:
    Bitmap m_bitmap;
    Font m_font;
    HGDIOBJ m_previousBitmap = nullptr;
    HGDIOBJ m_previousFont = nullptr;
};

// A memory context of width x height compatible with the source, drawing
// into a new compatible bitmap with the source's current font.
template <class Bitmap, class Font> class MDC : public MSelectingDC<Bitmap, Font>
{
public:
    MDC(HDC source, int width, int height)
        : MSelectingDC<Bitmap, Font>(source, CreateCompatibleBitmap(source, width, height),
                                     static_cast<HFONT>(GetCurrentObject(source, OBJ_FONT)))
    {
    }
};

// A memory context compatible with the source, with the given font and
// (when given) bitmap selected.
template <class Bitmap, class Font> class MemoryDC : public MSelectingDC<Bitmap, Font>
{
public:
    MemoryDC(HDC source, HFONT font, HBITMAP bitmap = nullptr) : MSelectingDC<Bitmap, Font>(source, bitmap, font) {}
};
