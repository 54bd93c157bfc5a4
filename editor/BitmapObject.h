#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Win32.h"
#include "base/math/Counter.h"
#include "editor/GdiObjects.h"
#include "editor/GdiTexture2.h"
#include "editor/PluginMessages.h"
#include "editor/WinMsgHook.h"

class CHtmlParser;

// One background image or overlay of the editor: its skin file below the module folder,
// where it goes, and in which size mode.
struct BackgroundSkin {
    const char* file;
    int32_t x;
    int32_t y;
    SizeMode mode;
};

constexpr int kBackgroundSkinCount = 20;

enum TickerState : int32_t { kTickerWaiting = 0, kTickerSlidingIn = 1, kTickerShown = 2, kTickerSlidingOut = 3 };

// One headline of the news ticker: where its line sits in the current size mode, its text
// (Shift-JIS) and link, the strip it is drawn in and answers the pointer in, and where it is
// in its cycle.
struct TickerEntry {
    int32_t x = 0;
    int32_t y = 0;
    std::string title;
    std::string link;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t state = kTickerWaiting;
};

// The ticker's text colour.
constexpr COLORREF kTickerColour = RGB(248, 165, 5);
// Rows 0-2 are the whole backgrounds of the three size modes; the mini mode's overlay (the
// last row) is drawn opaque, every other overlay keyed.
extern const BackgroundSkin kBackgroundSkins[kBackgroundSkinCount];

// Paints the editor's background for the current size mode: the whole skin of the mode,
// then the frames and panels over it, then the news ticker line. The ticker shows the news
// parser's headlines one at a time, from the first WM_PLUGIN_TICKER on: each slides up,
// stays, slides down, and after a pause the next follows; a click on a headline that is
// rising or shown opens its link in the browser, when it is a web address.
class CBitmapObject : public Quorvel::Base::AppFrame::IWinMsgHook {
public:
    CBitmapObject() = default;
    CBitmapObject(const CBitmapObject&) = delete;
    CBitmapObject& operator=(const CBitmapObject&) = delete;
    ~CBitmapObject() override;

    // Loads the skins from the "obj" folder beside the module.
    void Initialize(HWND child, HDC scratch, HDC backBuffer, HINSTANCE instance, CHtmlParser* parser);
    // The same with the folder that holds "obj" given directly.
    void InitializeFrom(HWND child, HDC scratch, HDC backBuffer, const std::string& moduleDirectory,
                        CHtmlParser* parser);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    // Moves the ticker one step; the editor window calls it on every 100 ms timer tick,
    // before painting.
    void TickTicker();
    // What another control draws over the background that never changes within a size mode:
    // laid into the background once with it.
    void SetFixedPainter(std::function<void(HDC, SizeMode)> paint) { m_fixedPainter = std::move(paint); }

    SizeMode GetSizeMode() const { return m_sizeMode; }
    const CGdiTexture2& GetTexture(int index) const { return m_textures[index]; }
    bool IsTickerReady() const { return m_tickerReady; }
    const std::vector<TickerEntry>& GetTickerEntries() const { return m_tickerEntries; }
    int32_t GetTickerIndex() const { return m_tickerIndex; }
    // The top of the current headline's strip while it slides or is shown.
    int32_t GetTickerTop() const { return m_slideCounter.GetValue(); }

private:
    void Paint(HDC dest);
    void PaintLayers(HDC dest, SizeMode mode);
    // The layers and what the fixed painter adds: all that stays the same within a size mode.
    void PaintFixed(HDC dest);
    bool Compose(HDC dest);
    void DrawOverlays(HDC dest, SizeMode mode);
    void BuildTickerEntries();
    void ResetTicker();
    void PlaceTickerEntry(TickerEntry& entry) const;
    void DrawTicker(HDC dest);
    // The current headline while it rises or is shown: only then does it answer the pointer.
    const TickerEntry* RisingOrShownEntry() const;
    // Whether the pointer (x in the low word, y in the high word) lies in the entry's strip.
    bool InTickerStrip(const TickerEntry& entry, LPARAM position) const;
    void PointTicker(LPARAM position);
    void ClickTicker(LPARAM position);

    bool m_tickerReady = false;
    CHtmlParser* m_parser = nullptr;
    CGdiTexture2 m_textures[kBackgroundSkinCount];
    SizeMode m_sizeMode = kSizeModeNormal;
    HDC m_backBufferDC = nullptr;
    HDC m_scratchDC = nullptr;
    HWND m_child = nullptr;
    std::vector<TickerEntry> m_tickerEntries;
    int32_t m_tickerIndex = 0;
    uint32_t m_tickerBuilds = 0;
    Quorvel::Base::Math::CLinearCounter m_slideCounter;
    Quorvel::Base::Math::CLinearCounter m_pauseCounter;
    HCURSOR m_arrowCursor = nullptr;
    HCURSOR m_handCursor = nullptr;
    CFontHandle m_tickerFont;
    std::function<void(HDC, SizeMode)> m_fixedPainter;
    CMemoryBitmapDC m_composed;
    SizeMode m_composedMode = kSizeModeNormal;
};
