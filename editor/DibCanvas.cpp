#include "editor/DibCanvas.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <vector>

HBITMAP CreateTopDownDib(HDC reference, int width, int height, void*& bits)
{
    bits = nullptr;
    if (width <= 0 || height <= 0)
        return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const HBITMAP bitmap = CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr)
        bits = nullptr;
    return bitmap;
}

namespace {

std::mutex g_topDownLock;
std::vector<std::pair<HDC, void*>> g_topDown;

struct KnownClip {
    HDC dc = nullptr;
    DibPixels pixels;
    std::vector<RECT> clip;
};
thread_local KnownClip t_known;

} // namespace

CKnownClip::CKnownClip(HDC dc, HRGN region)
{
    t_known = KnownClip{};
    DibPixels pixels;
    if (dc == nullptr || region == nullptr || !SelectedDibPixels(dc, pixels))
        return;
    t_known.clip = RegionRects(region);
    t_known.pixels = pixels;
    // A region that cannot be read is asked for each time.
    t_known.dc = t_known.clip.empty() ? nullptr : dc;
}

CKnownClip::~CKnownClip()
{
    t_known = KnownClip{};
}

void NoteTopDownDc(HDC dc, void* bits)
{
    if (dc == nullptr)
        return;
    const std::lock_guard<std::mutex> lock(g_topDownLock);
    g_topDown.erase(std::remove_if(g_topDown.begin(), g_topDown.end(), [dc](const auto& n) { return n.first == dc; }),
                    g_topDown.end());
    if (bits != nullptr)
        g_topDown.emplace_back(dc, bits);
}

bool SelectedDibPixels(HDC dc, DibPixels& pixels)
{
    if (dc != nullptr && dc == t_known.dc) {
        pixels = t_known.pixels;
        return true;
    }
    pixels = DibPixels{};
    void* noted = nullptr;
    {
        const std::lock_guard<std::mutex> lock(g_topDownLock);
        for (const auto& n : g_topDown)
            if (n.first == dc)
                noted = n.second;
    }
    const HGDIOBJ bitmap = noted != nullptr ? GetCurrentObject(dc, OBJ_BITMAP) : nullptr;
    DIBSECTION section = {};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof section, &section) != sizeof section ||
        section.dsBm.bmBits != noted || section.dsBmih.biBitCount != 32 || section.dsBmih.biCompression != BI_RGB ||
        section.dsBm.bmWidthBytes != section.dsBm.bmWidth * 4)
        return false;
    POINT viewport = {}, window = {};
    if (!GetViewportOrgEx(dc, &viewport) || !GetWindowOrgEx(dc, &window) || viewport.x != 0 || viewport.y != 0 ||
        window.x != 0 || window.y != 0 || GetMapMode(dc) != MM_TEXT)
        return false;
    pixels.bits = static_cast<uint32_t*>(noted);
    pixels.width = section.dsBm.bmWidth;
    pixels.height = section.dsBm.bmHeight;
    return pixels.width > 0 && pixels.height > 0;
}

bool WriteVerticalLines(HDC dc, const int* xs, size_t count, int top, int bottom, COLORREF colour)
{
    DibPixels pixels;
    if (!SelectedDibPixels(dc, pixels))
        return false;
    const RECT bounds = {0, std::max(0, top), pixels.width, std::min(pixels.height, bottom)};
    if (bounds.top >= bounds.bottom)
        return true;
    const uint32_t pixel = DibPixel(colour);
    GdiFlush();
    for (const RECT& r : ClipRects(dc, bounds))
        for (size_t i = 0; i < count; ++i) {
            if (xs[i] < r.left || xs[i] >= r.right)
                continue;
            for (LONG y = r.top; y < r.bottom; ++y)
                pixels.bits[static_cast<ptrdiff_t>(y) * pixels.width + xs[i]] = pixel;
        }
    return true;
}

std::vector<RECT> RegionRects(HRGN region)
{
    std::vector<RECT> rects;
    const DWORD size = GetRegionData(region, 0, nullptr);
    if (size < sizeof(RGNDATAHEADER))
        return rects;
    std::vector<char> bytes(size);
    RGNDATA* data = reinterpret_cast<RGNDATA*>(bytes.data());
    if (GetRegionData(region, size, data) != size)
        return rects;
    const RECT* first = reinterpret_cast<const RECT*>(data->Buffer);
    rects.assign(first, first + data->rdh.nCount);
    return rects;
}

std::vector<RECT> ClipRects(HDC dc, const RECT& bounds)
{
    const auto cut = [&bounds](const std::vector<RECT>& clip) {
        std::vector<RECT> rects;
        for (const RECT& r : clip) {
            RECT part;
            if (IntersectRect(&part, &r, &bounds))
                rects.push_back(part);
        }
        return rects;
    };
    if (dc != nullptr && dc == t_known.dc)
        return cut(t_known.clip);
    const HRGN clip = CreateRectRgn(0, 0, 0, 0);
    if (clip == nullptr)
        return {};
    const int has = GetClipRgn(dc, clip);
    std::vector<RECT> rects;
    if (has == 0)
        rects.push_back(bounds);
    else if (has == 1)
        rects = cut(RegionRects(clip));
    DeleteObject(clip);
    return rects;
}

CDibCanvas::CDibCanvas(int width, int height, COLORREF fill) : m_width(width), m_height(height)
{
    if (width <= 0 || height <= 0)
        return;
    void* bits = nullptr;
    m_bitmap = CreateTopDownDib(nullptr, width, height, bits);
    m_dc = CreateCompatibleDC(nullptr);
    if (m_bitmap == nullptr || m_dc == nullptr)
        return;
    m_bits = static_cast<const DWORD*>(bits);
    m_original = SelectObject(m_dc, m_bitmap);
    NoteTopDownDc(m_dc, bits);
    Fill(fill);
}

CDibCanvas::~CDibCanvas()
{
    if (m_dc != nullptr) {
        NoteTopDownDc(m_dc, nullptr);
        if (m_original != nullptr)
            SelectObject(m_dc, m_original);
        DeleteDC(m_dc);
    }
    if (m_bitmap != nullptr)
        DeleteObject(m_bitmap);
}

void CDibCanvas::Fill(COLORREF colour)
{
    const HBRUSH brush = CreateSolidBrush(colour);
    const RECT all = {0, 0, m_width, m_height};
    FillRect(m_dc, &all, brush);
    DeleteObject(brush);
}

COLORREF CDibCanvas::RawPixel(int x, int y) const
{
    const DWORD value = m_bits[static_cast<size_t>(y) * m_width + x];
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

COLORREF CDibCanvas::Pixel(int x, int y) const
{
    if (m_bits == nullptr || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    GdiFlush();
    return RawPixel(x, y);
}

bool CDibCanvas::AreaIs(int left, int top, int right, int bottom, COLORREF colour) const
{
    if (m_bits == nullptr || left < 0 || top < 0 || right > m_width || bottom > m_height)
        return false;
    GdiFlush();
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (RawPixel(x, y) != colour)
                return false;
    return true;
}

int CDibCanvas::Count(int left, int top, int right, int bottom, COLORREF colour) const
{
    if (m_bits == nullptr)
        return 0;
    GdiFlush();
    int count = 0;
    for (int y = top < 0 ? 0 : top; y < bottom && y < m_height; ++y)
        for (int x = left < 0 ? 0 : left; x < right && x < m_width; ++x)
            count += RawPixel(x, y) == colour ? 1 : 0;
    return count;
}

bool CDibCanvas::SameRows(const CDibCanvas& other, int top, int bottom, POINT& difference) const
{
    if (m_bits == nullptr || other.m_bits == nullptr || m_width != other.m_width || m_height != other.m_height)
        return false;
    GdiFlush();
    for (int y = top < 0 ? 0 : top; y < bottom && y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            if (RawPixel(x, y) != other.RawPixel(x, y)) {
                difference = POINT{x, y};
                return false;
            }
    return true;
}

bool CDibCanvas::SaveBmp24(const std::string& path) const
{
    if (m_bits == nullptr)
        return false;
    GdiFlush();
    return WriteBmp24(path, m_width, m_height, [this](int x, int y) { return RawPixel(x, y); });
}

namespace {

void PutLE(std::vector<unsigned char>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

} // namespace

bool WriteBmp24(const std::string& path, int width, int height, const std::function<COLORREF(int, int)>& pixel)
{
    if (width <= 0 || height <= 0 || width > 0x4000 || height > 0x4000)
        return false;
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * static_cast<uint32_t>(height);
    std::vector<unsigned char> file;
    file.reserve(54 + imageSize);
    file.push_back('B');
    file.push_back('M');
    PutLE(file, 54 + imageSize, 4);
    PutLE(file, 0, 4);
    PutLE(file, 54, 4);    // pixels follow the two headers
    PutLE(file, 40, 4);    // BITMAPINFOHEADER
    PutLE(file, static_cast<uint32_t>(width), 4);
    PutLE(file, static_cast<uint32_t>(height), 4); // bottom-up
    PutLE(file, 1, 2);
    PutLE(file, 24, 2);
    PutLE(file, 0, 4);     // BI_RGB
    PutLE(file, imageSize, 4);
    PutLE(file, 2835, 4);  // 72 dpi
    PutLE(file, 2835, 4);
    PutLE(file, 0, 4);
    PutLE(file, 0, 4);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF c = pixel(x, y);
            file.push_back(GetBValue(c));
            file.push_back(GetGValue(c));
            file.push_back(GetRValue(c));
        }
        for (uint32_t pad = static_cast<uint32_t>(width) * 3; pad < stride; ++pad)
            file.push_back(0);
    }
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(handle, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    return CloseHandle(handle) && ok && written == file.size();
}

bool CDibSurface::Create(HDC reference, int width, int height)
{
    Reset();
    void* bits = nullptr;
    HBITMAP bitmap = CreateTopDownDib(reference, width, height, bits);
    if (!m_dc.Create(reference, bitmap) || bits == nullptr) {
        Reset();
        return false;
    }
    m_bits = static_cast<uint32_t*>(bits);
    m_width = width;
    return true;
}

void CDibSurface::Reset()
{
    m_dc.Reset();
    m_bits = nullptr;
    m_width = 0;
}
