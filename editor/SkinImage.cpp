#include "editor/SkinImage.h"

#include <clocale>
#include <cstdlib>
#include <new>

#include "editor/GdiplusApi.h"
#include "editor/PaintLook.h"

using namespace Gdiplus::DllExports;

// The GDI+ bitmap read from a file. The object exists even when the file could not be read;
// then its status says so and it has no size and nothing to convert.
class CGdipImage {
public:
    explicit CGdipImage(const wchar_t* path)
    {
        Gdiplus::GpBitmap* bitmap = nullptr;
        m_status = GdipCreateBitmapFromFile(path, &bitmap);
        m_bitmap = m_status == Gdiplus::Ok ? bitmap : nullptr;
    }
    CGdipImage(const CGdipImage&) = delete;
    CGdipImage& operator=(const CGdipImage&) = delete;
    ~CGdipImage()
    {
        if (m_bitmap != nullptr)
            GdipDisposeImage(m_bitmap);
    }

    int32_t Width() const
    {
        UINT width = 0;
        if (m_bitmap == nullptr || GdipGetImageWidth(m_bitmap, &width) != Gdiplus::Ok)
            return 0;
        return static_cast<int32_t>(width);
    }
    int32_t Height() const
    {
        UINT height = 0;
        if (m_bitmap == nullptr || GdipGetImageHeight(m_bitmap, &height) != Gdiplus::Ok)
            return 0;
        return static_cast<int32_t>(height);
    }

    // A new GDI bitmap of the whole image; transparent parts of the file (none in a 24-bit
    // skin) show the button face colour. The caller deletes it.
    HBITMAP ToOpaqueBitmap() const
    {
        if (m_bitmap == nullptr)
            return nullptr;
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        const Gdiplus::ARGB background = 0xFF000000u | (GetRValue(face) << 16) | (GetGValue(face) << 8) |
                                         GetBValue(face);
        HBITMAP converted = nullptr;
        if (GdipCreateHBITMAPFromBitmap(m_bitmap, &converted, background) != Gdiplus::Ok)
            return nullptr;
        return converted;
    }

private:
    Gdiplus::GpBitmap* m_bitmap = nullptr;
    Gdiplus::GpStatus m_status = Gdiplus::GenericError;
};

CSkinImage::CSkinImage() = default;

CSkinImage::~CSkinImage()
{
    Release();
}

void CSkinImage::Release()
{
    m_opaque.Reset();
    m_maskCopy.Reset();
    m_inverse.Reset();
    m_mask.Reset();
    m_colour.Reset();
    m_loadedColour.Reset();
    m_image.reset();
}

bool CSkinImage::Load(const char* path)
{
    Release();
    ++m_loads;
    if (path == nullptr)
        return false;
    // Skin paths are Shift-JIS, whatever locale the host process runs in.
    setlocale(LC_ALL, "japanese");
    const size_t length = mbstowcs(nullptr, path, 0);
    if (length == static_cast<size_t>(-1) || length >= kSkinPathCapacity)
        return false;
    wchar_t widePath[kSkinPathCapacity] = {};
    size_t converted = 0;
    if (mbstowcs_s(&converted, widePath, kSkinPathCapacity, path, length) != 0)
        return false;

    m_image.reset(new (std::nothrow) CGdipImage(widePath));
    if (!m_image)
        return false;
    m_loadedColour.Reset(static_cast<HBITMAP>(LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
    return true;
}

int32_t CSkinImage::Width() const
{
    return m_image ? m_image->Width() : 0;
}

int32_t CSkinImage::Height() const
{
    return m_image ? m_image->Height() : 0;
}

void CSkinImage::BuildMasks(HDC reference)
{
    if (m_colour || !m_loadedColour)
        return;
    const int32_t width = Width();
    const int32_t height = Height();
    if (width <= 0 || height <= 0)
        return;

    // Colour image with the key colour as background: the blit into the monochrome mask
    // turns exactly the key-coloured pixels into 1 and every other pixel into 0.
    if (!m_colour.Create(reference, m_loadedColour.Detach()))
        return;
    const HDC colour = m_colour.Dc();
    const COLORREF oldBackground = SetBkColor(colour, kSkinKeyColour);
    bool built = m_mask.Create(colour, CreateBitmap(width, height, 1, 1, nullptr)) &&
                 BitBlt(m_mask.Dc(), 0, 0, width, height, colour, 0, 0, SRCCOPY);
    SetBkColor(colour, oldBackground);

    // Inverse: key pixels black, others white; ANDed into the colour image it blackens the
    // key pixels so that the colour image can be ORed over the destination.
    built = built && m_inverse.Create(colour, CreateCompatibleBitmap(colour, width, height)) &&
            BitBlt(m_inverse.Dc(), 0, 0, width, height, m_mask.Dc(), 0, 0, NOTSRCCOPY) &&
            BitBlt(colour, 0, 0, width, height, m_inverse.Dc(), 0, 0, SRCAND);
    // Mask copy in colour: key pixels white, others black; ANDed over the destination it
    // clears what the colour image will cover and keeps what lies under the key.
    built = built && m_maskCopy.Create(colour, CreateCompatibleBitmap(colour, width, height)) &&
            BitBlt(m_maskCopy.Dc(), 0, 0, width, height, m_mask.Dc(), 0, 0, SRCCOPY);
    if (!built) {
        m_maskCopy.Reset();
        m_inverse.Reset();
        m_mask.Reset();
        m_colour.Reset();
    }
}

bool CSkinImage::NotedOrHidden(int32_t way, HDC dest, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w,
                               int32_t h) const
{
    const RECT cell = {dx, dy, dx + w, dy + h};
    const uint64_t digest = CLookDigest()
                                .Add(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(this)))
                                .Add(static_cast<uint64_t>(m_loads))
                                .Add(way)
                                .Add(sx)
                                .Add(sy)
                                .Value();
    return PaintLook::Note(dest, cell, digest) || RectVisible(dest, &cell) == FALSE;
}

void CSkinImage::DrawKeyed(HDC dest, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h) const
{
    if (dest == nullptr || !m_colour || !m_maskCopy || NotedOrHidden(0, dest, dx, dy, sx, sy, w, h))
        return;
    BitBlt(dest, dx, dy, w, h, m_maskCopy.Dc(), sx, sy, SRCAND);
    BitBlt(dest, dx, dy, w, h, m_colour.Dc(), sx, sy, SRCPAINT);
}

void CSkinImage::DrawMask(HDC dest, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h) const
{
    if (dest != nullptr && m_maskCopy && !NotedOrHidden(1, dest, dx, dy, sx, sy, w, h))
        BitBlt(dest, dx, dy, w, h, m_maskCopy.Dc(), sx, sy, SRCAND);
}

void CSkinImage::DrawOpaque(HDC dest, HDC scratch, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w,
                            int32_t h) const
{
    // The scratch DC stays the condition for drawing even though the converted image is
    // kept: callers that hand none over rely on nothing being copied.
    if (dest == nullptr || scratch == nullptr || !m_image || NotedOrHidden(2, dest, dx, dy, sx, sy, w, h))
        return;
    if (!m_opaque)
        m_opaque.Create(dest, m_image->ToOpaqueBitmap());
    if (m_opaque) {
        BitBlt(dest, dx, dy, w, h, m_opaque.Dc(), sx, sy, SRCCOPY);
        return;
    }
    CBitmapHandle converted(m_image->ToOpaqueBitmap());
    if (!converted)
        return;
    SetBkMode(scratch, TRANSPARENT);
    // The selection ends before the converted bitmap is deleted: a bitmap still selected
    // into a DC can't be deleted and would leak on every frame.
    CScopedSelect select(scratch, converted.Get());
    if (select.Selected())
        BitBlt(dest, dx, dy, w, h, scratch, sx, sy, SRCCOPY);
}

bool SkinCellRect(int32_t column, int32_t row, int32_t columns, int32_t rows, int32_t cellWidth,
                  int32_t cellHeight, int32_t& sx, int32_t& sy)
{
    if (cellWidth <= 0 || cellHeight <= 0 || column < 0 || row < 0 || column >= columns || row >= rows)
        return false;
    sx = column * cellWidth;
    sy = row * cellHeight;
    return true;
}
