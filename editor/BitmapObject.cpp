#include "editor/BitmapObject.h"

#include "editor/ModulePath.h"

const BackgroundSkin kBackgroundSkins[kBackgroundSkinCount] = {
    {"\\obj\\a000_000.bmp", 0, 0, kSizeModeNormal},
    {"\\obj\\b000_000.bmp", 0, 0, kSizeModeWide},
    {"\\obj\\c000_000.bmp", 0, 0, kSizeModeMini},
    {"\\obj\\a001_000.bmp", 19, 117, kSizeModeNormal},
    {"\\obj\\b003_000.bmp", 0, 577, kSizeModeNormal},
    {"\\obj\\a008_000.bmp", 181, 417, kSizeModeNormal},
    {"\\obj\\a008_001.bmp", 146, 409, kSizeModeNormal},
    {"\\obj\\a000_004.bmp", 20, 37, kSizeModeNormal},
    {"\\obj\\a006_000.bmp", 288, 324, kSizeModeNormal},
    {"\\obj\\a007_000.bmp", 37, 385, kSizeModeNormal},
    {"\\obj\\a003_000.bmp", 53, 312, kSizeModeNormal},
    {"\\obj\\b001_000.bmp", 37, 117, kSizeModeWide},
    {"\\obj\\b003_000.bmp", 0, 727, kSizeModeWide},
    {"\\obj\\a008_000.bmp", 431, 566, kSizeModeWide},
    {"\\obj\\a008_001.bmp", 396, 558, kSizeModeWide},
    {"\\obj\\b000_001.bmp", 20, 37, kSizeModeWide},
    {"\\obj\\a006_000.bmp", 538, 473, kSizeModeWide},
    {"\\obj\\a007_000.bmp", 287, 534, kSizeModeWide},
    {"\\obj\\b002_000.bmp", 71, 456, kSizeModeWide},
    {"\\obj\\c000_001.bmp", 20, 37, kSizeModeMini},
};

CBitmapObject::~CBitmapObject() = default;

void CBitmapObject::Initialize(HWND child, HDC scratch, HDC backBuffer, HINSTANCE instance, CHtmlParser* parser)
{
    InitializeFrom(child, scratch, backBuffer, ModuleDirectory(instance), parser);
}

void CBitmapObject::InitializeFrom(HWND child, HDC scratch, HDC backBuffer, const std::string& moduleDirectory,
                                   CHtmlParser* parser)
{
    m_child = child;
    m_scratchDC = scratch;
    m_backBufferDC = backBuffer;
    m_parser = parser;
    m_arrowCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    m_handCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND));
    m_tickerFont.Reset(CreateFontW(10, 0, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE, SHIFTJIS_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                                   FIXED_PITCH | FF_MODERN, L"ＭＳ　ゴシック"));
    for (int i = 0; i < kBackgroundSkinCount; ++i) {
        m_textures[i].Load((moduleDirectory + kBackgroundSkins[i].file).c_str());
        m_textures[i].Place(backBuffer, kBackgroundSkins[i].x, kBackgroundSkins[i].y, 1, 1);
    }
}

void CBitmapObject::DrawOverlays(HDC dest, SizeMode mode)
{
    for (int i = 3; i < kBackgroundSkinCount; ++i) {
        if (kBackgroundSkins[i].mode == mode && m_textures[i].HasImage())
            m_textures[i].DrawKeyed(dest, 0, 0);
    }
}

void CBitmapObject::Paint(HDC dest)
{
    switch (m_sizeMode) {
    case kSizeModeNormal:
        m_textures[0].DrawWhole(dest, m_scratchDC);
        DrawOverlays(dest, kSizeModeNormal);
        break;
    case kSizeModeWide:
        m_textures[1].DrawWhole(dest, m_scratchDC);
        DrawOverlays(dest, kSizeModeWide);
        break;
    case kSizeModeMini:
        m_textures[2].DrawWhole(dest, m_scratchDC);
        m_textures[kBackgroundSkinCount - 1].DrawCell(dest, m_scratchDC, 0, 0);
        break;
    }
}

LRESULT CBitmapObject::HandleMessage(HWND /*window*/, UINT message, WPARAM wParam, LPARAM /*lParam*/)
{
    switch (message) {
    case WM_PAINT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PLUGIN_TICKER:
        m_tickerReady = true;
        return 1;
    case WM_PLUGIN_SIZEMODE: {
        SizeMode mode;
        if (SizeModeFromRequest(wParam, mode))
            m_sizeMode = mode;
        return 0;
    }
    default:
        return 0;
    }
}
