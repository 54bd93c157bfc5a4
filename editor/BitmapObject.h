#pragma once
#include <cstdint>
#include <string>

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
// Rows 0-2 are the whole backgrounds of the three size modes; the mini mode's overlay (the
// last row) is drawn opaque, every other overlay keyed.
extern const BackgroundSkin kBackgroundSkins[kBackgroundSkinCount];

// Paints the editor's background for the current size mode: the whole skin of the mode,
// then the frames and panels over it. It also hosts the news ticker line, whose fields stay
// idle until the ticker is built on them.
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

    SizeMode GetSizeMode() const { return m_sizeMode; }
    const CGdiTexture2& GetTexture(int index) const { return m_textures[index]; }

private:
    void Paint(HDC dest);
    void DrawOverlays(HDC dest, SizeMode mode);

    bool m_tickerReady = false;
    CHtmlParser* m_parser = nullptr;
    CGdiTexture2 m_textures[kBackgroundSkinCount];
    SizeMode m_sizeMode = kSizeModeNormal;
    HDC m_backBufferDC = nullptr;
    HDC m_scratchDC = nullptr;
    HWND m_child = nullptr;
    int32_t m_tickerIndex = 0;
    Quorvel::Base::Math::CLinearCounter m_slideCounter;
    Quorvel::Base::Math::CLinearCounter m_pauseCounter;
    HCURSOR m_arrowCursor = nullptr;
    HCURSOR m_handCursor = nullptr;
    CFontHandle m_tickerFont;
};
