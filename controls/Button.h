#pragma once
#include <cstdint>

#include "base/Win32.h"
#include <shellapi.h>

#include "editor/WinMsgHook.h"

namespace TervaneControl {

// The base of every skinned button. Its dispatcher turns the messages of the control hook
// list into calls of the operations below; a derived button fills in what it needs. Only
// the three mouse-button operations can consume a message (non-zero result).
class CButton : public Quorvel::Base::AppFrame::IWinMsgHook {
public:
    CButton() = default;
    CButton(const CButton&) = delete;
    CButton& operator=(const CButton&) = delete;

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    ~CButton() override = default;

    // wParam of WM_PLUGIN_SIZEMODE: 0 normal, 1 wide, -1 mini.
    virtual void OnSizeMode(WPARAM request) = 0;
    // The render pass: paint into the back buffer.
    virtual void OnDraw(HDC dc) = 0;
    virtual void OnPattern(WPARAM /*wParam*/, LPARAM /*lParam*/) {}
    virtual void OnLevel(WPARAM /*wParam*/) {}
    virtual void OnCommand(HWND /*window*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {}
    virtual LRESULT OnLButtonDown(HWND /*window*/, WPARAM /*wParam*/, uint32_t /*x*/, uint32_t /*y*/) { return 0; }
    virtual LRESULT OnLButtonUp(HWND /*window*/, WPARAM /*wParam*/, uint32_t /*x*/, uint32_t /*y*/) { return 0; }
    virtual LRESULT OnRButtonDown(HWND /*window*/, WPARAM /*wParam*/, uint32_t /*x*/, uint32_t /*y*/) { return 0; }
    virtual void OnRButtonUp(HWND /*window*/, WPARAM /*wParam*/, uint32_t /*x*/, uint32_t /*y*/) {}
    // Never called by the dispatcher; the pattern drop button is driven through it directly.
    virtual void OnPointerMoved(HWND /*window*/, int32_t /*x*/, int32_t /*y*/) {}
    virtual void OnMouseWheel(HWND /*window*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {}
    virtual void OnDrawItem(HWND /*window*/, WPARAM /*wParam*/, const DRAWITEMSTRUCT* /*item*/) {}
    virtual void OnPaused() {}
    virtual void OnStopped() {}
    virtual void OnPlaying() {}
    virtual void OnReady() {}
    virtual void OnMediaOpen() {}
    virtual void OnDropFiles(HWND /*window*/, HDROP /*drop*/, LPARAM /*lParam*/) {}
    virtual void OnHover(WPARAM /*wParam*/, uint32_t /*x*/, uint32_t /*y*/) {}
    virtual void OnOpenPath(HWND /*window*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {}
    virtual void OnClose() {}
    virtual void OnDestroy() {}

    // The parent static object's back-buffer DC and scratch DC, set after creation.
    void SetDrawContext(HDC backBuffer, HDC scratch)
    {
        m_backBufferDC = backBuffer;
        m_scratchDC = scratch;
    }

protected:
    HDC m_backBufferDC = nullptr;
    HDC m_scratchDC = nullptr;
};

} // namespace TervaneControl
