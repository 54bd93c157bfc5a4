#include "editor/BitmapObject.h"
#include "editor/Font.h"
#include "editor/PaintLook.h"

#include <algorithm>
#include <windowsx.h>

#include "editor/ModulePath.h"
#include "editor/ShellSeam.h"
#include "editor/SiteAddress.h"
#include "ticker/HtmlParser.h"

namespace {

// The ticker line: its y in the normal and mini size modes and in the wide one; a shown
// headline's strip sits this much lower, and the strip is this high.
const int32_t kTickerLineNormal = 580;
const int32_t kTickerLineWide = 730;
const int32_t kTickerShownOffset = 5;
const int32_t kTickerStripHeight = 20;
const int32_t kTickerPixelsPerByte = 6;
const int32_t kTickerSlideTicks = 5;
const int32_t kTickerPauseTicks = 60;
// Keeps a title's strip width within int32_t, far beyond anything drawn.
const size_t kTickerMaxStripBytes = 0x1000000;

int32_t TickerLineY(SizeMode mode)
{
    return mode == kSizeModeWide ? kTickerLineWide : kTickerLineNormal;
}

} // namespace

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
    m_tickerFont.Reset(CreateEditorFont(10, kGothicFace, FW_NORMAL, true));
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

void CBitmapObject::PaintLayers(HDC dest, SizeMode mode)
{
    switch (mode) {
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

void CBitmapObject::PaintFixed(HDC dest)
{
    PaintLayers(dest, m_sizeMode);
    if (m_fixedPainter)
        m_fixedPainter(dest, m_sizeMode);
}

bool CBitmapObject::Compose(HDC dest)
{
    // The background and its panels never change within a size mode: laid over each other
    // once, they are painted again with one copy instead of three passes under the graph.
    if (m_composed && m_composedMode == m_sizeMode)
        return true;
    m_composed.Reset();
    if (!m_composed.Create(dest, CreateCompatibleBitmap(dest, kBackBufferWidth, kBackBufferHeight)))
        return false;
    PatBlt(m_composed.Dc(), 0, 0, kBackBufferWidth, kBackBufferHeight, BLACKNESS);
    PaintFixed(m_composed.Dc());
    m_composedMode = m_sizeMode;
    return true;
}

void CBitmapObject::Paint(HDC dest)
{
    if (PaintLook::Recording(dest)) {
        PaintLayers(dest, m_sizeMode);
    } else if (Compose(dest)) {
        BitBlt(dest, 0, 0, kBackBufferWidth, kBackBufferHeight, m_composed.Dc(), 0, 0, SRCCOPY);
    } else {
        PaintFixed(dest);
    }
    // The mini window is too low for the ticker line.
    if (m_sizeMode != kSizeModeMini)
        DrawTicker(dest);
}

LRESULT CBitmapObject::HandleMessage(HWND /*window*/, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE:
        PointTicker(lParam);
        return 0;
    case WM_LBUTTONDOWN:
        if (m_tickerReady)
            ClickTicker(lParam);
        return 0;
    case WM_PLUGIN_TICKER:
        BuildTickerEntries();
        return 1;
    case WM_PLUGIN_SIZEMODE: {
        SizeMode mode;
        if (SizeModeFromRequest(wParam, mode)) {
            m_sizeMode = mode;
            ResetTicker();
        }
        return 0;
    }
    default:
        return 0;
    }
}

void CBitmapObject::PlaceTickerEntry(TickerEntry& entry) const
{
    entry.x = 0;
    entry.y = TickerLineY(m_sizeMode);
    entry.left = 0;
    entry.top = entry.y;
    entry.right = static_cast<int32_t>(std::min(entry.title.size(), kTickerMaxStripBytes)) * kTickerPixelsPerByte;
    entry.bottom = entry.y + kTickerStripHeight;
}

void CBitmapObject::BuildTickerEntries()
{
    // Entries already present stay: a second message shows the headlines twice.
    if (m_parser != nullptr) {
        std::vector<std::string> links, titles;
        m_parser->GetLinks(links);
        m_parser->GetTitles(titles);
        for (size_t i = 0; i < links.size() && i < titles.size(); ++i) {
            TickerEntry entry;
            entry.title = titles[i];
            entry.link = links[i];
            PlaceTickerEntry(entry);
            m_tickerEntries.push_back(std::move(entry));
        }
    }
    m_tickerReady = true;
    ++m_tickerBuilds;
}

void CBitmapObject::ResetTicker()
{
    // One step from 0 to 0: neither counter has ended, so the current headline rises again
    // two ticks later.
    m_slideCounter.Start(0, 0, 0);
    m_pauseCounter.Start(0, 0, 0);
    for (TickerEntry& entry : m_tickerEntries) {
        entry.state = kTickerWaiting;
        PlaceTickerEntry(entry);
    }
}

void CBitmapObject::TickTicker()
{
    if (!m_tickerReady || m_tickerEntries.empty())
        return;
    TickerEntry& entry = m_tickerEntries[static_cast<size_t>(m_tickerIndex)];
    const int32_t shownTop = TickerLineY(m_sizeMode) + kTickerShownOffset;
    // A counter never started counts as ended, so the first headline rises at once.
    if (m_pauseCounter.IsEnd()) {
        if (entry.state == kTickerWaiting) {
            entry.state = kTickerSlidingIn;
            m_slideCounter.Start(entry.bottom, shownTop, kTickerSlideTicks);
        } else if (entry.state == kTickerShown) {
            entry.state = kTickerSlidingOut;
            m_slideCounter.Start(shownTop, entry.bottom, kTickerSlideTicks);
        }
        m_pauseCounter.Start(0, 1, kTickerPauseTicks);
    }
    if (entry.state != kTickerSlidingIn && entry.state != kTickerSlidingOut) {
        m_pauseCounter.Next();
        return;
    }
    m_slideCounter.Next();
    if (!m_slideCounter.IsEnd())
        return;
    if (entry.state == kTickerSlidingIn) {
        entry.state = kTickerShown;
    } else {
        entry.state = kTickerWaiting;
        m_tickerIndex = static_cast<size_t>(m_tickerIndex) + 1 < m_tickerEntries.size() ? m_tickerIndex + 1 : 0;
    }
    m_pauseCounter.Start(0, 1, kTickerPauseTicks);
}

void CBitmapObject::DrawTicker(HDC dest)
{
    const bool shown = m_tickerReady && !m_tickerEntries.empty() && dest != nullptr &&
                       m_tickerEntries[static_cast<size_t>(m_tickerIndex)].state != kTickerWaiting;
    // Noted in every tick, shown or not, so that the line it leaves is painted away.
    if (!shown) {
        PaintLook::Note(dest, RECT{0, 0, 0, 0}, 0);
        return;
    }
    const TickerEntry& entry = m_tickerEntries[static_cast<size_t>(m_tickerIndex)];
    const int32_t top = m_slideCounter.GetValue();
    RECT strip = {0, top, entry.right, top + kTickerStripHeight};
    // The entries are made again only with new news: which one it is, and where, tells all.
    const uint64_t look = CLookDigest()
                              .Add(static_cast<uint64_t>(m_tickerBuilds))
                              .Add(static_cast<uint64_t>(m_tickerIndex))
                              .Add(strip)
                              .Value();
    if (PaintLook::Note(dest, strip, look))
        return;
    const CScopedSelect font(dest, m_tickerFont.Get());
    const COLORREF previousColour = SetTextColor(dest, kTickerColour);
    const int previousMode = SetBkMode(dest, TRANSPARENT);
    DrawTextA(dest, entry.title.data(), static_cast<int>(std::min(entry.title.size(), kTickerMaxStripBytes)), &strip,
              DT_SINGLELINE);
    SetBkMode(dest, previousMode);
    SetTextColor(dest, previousColour);
}

const TickerEntry* CBitmapObject::RisingOrShownEntry() const
{
    if (m_tickerEntries.empty())
        return nullptr;
    const TickerEntry& entry = m_tickerEntries[static_cast<size_t>(m_tickerIndex)];
    return entry.state == kTickerSlidingIn || entry.state == kTickerShown ? &entry : nullptr;
}

bool CBitmapObject::InTickerStrip(const TickerEntry& entry, LPARAM position) const
{
    const int x = GET_X_LPARAM(position);
    const int y = GET_Y_LPARAM(position);
    const int32_t top = m_slideCounter.GetValue();
    return entry.left <= x && x < entry.right && top <= y && y < top + kTickerStripHeight;
}

void CBitmapObject::PointTicker(LPARAM position)
{
    const TickerEntry* entry = RisingOrShownEntry();
    if (entry == nullptr)
        return;
    // A headline whose link is not a web page is shown but offers no click.
    SetCursor(InTickerStrip(*entry, position) && IsWebAddress(entry->link) ? m_handCursor : m_arrowCursor);
}

void CBitmapObject::ClickTicker(LPARAM position)
{
    const TickerEntry* entry = RisingOrShownEntry();
    if (entry != nullptr && InTickerStrip(*entry, position) && IsWebAddress(entry->link))
        BoundShell().ShellExecuteA(m_child, nullptr, entry->link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
