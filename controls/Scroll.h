#pragma once
#include <cstdint>

#include "base/Win32.h"
#include "editor/WinMsgHook.h"

class IPluginHost;

namespace TervaneControl {

// The base of the two controls that move through the movie. Its dispatcher turns the
// messages of the control hook list into the operations below; the mouse arrives in editor
// pixels, signed: while a drag holds the mouse, the pointer may be left of or above the
// editor. Nothing is consumed: every control after it still sees each message.
class CScroll : public Quorvel::Base::AppFrame::IWinMsgHook {
public:
    explicit CScroll(IPluginHost& host) : m_host(host) {}
    CScroll(const CScroll&) = delete;
    CScroll& operator=(const CScroll&) = delete;
    ~CScroll() override = default;

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    virtual void Paint(HDC dest) = 0;
    virtual void OnSizeMode(WPARAM request) = 0;
    virtual void OnHScroll(HWND /*window*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {}
    virtual LRESULT OnCtlColor(HDC /*dc*/) { return 0; }
    virtual void OnTick() {}
    virtual void OnMouseMove(WPARAM keys, int32_t x, int32_t y) = 0;
    virtual void OnLButtonDown(HWND window, WPARAM wParam, LPARAM lParam) = 0;
    virtual void OnLButtonUp(HWND window, WPARAM wParam, LPARAM lParam) = 0;
    virtual void OnMediaOpened(HWND window, WPARAM wParam, LPARAM lParam) = 0;
    // The drag ended without its release reaching the control (the mouse was taken away, or
    // it moved with the button up).
    virtual void OnDragLost() {}

    void SetDrawContext(HDC backBuffer, HDC scratch)
    {
        m_backBufferDC = backBuffer;
        m_scratchDC = scratch;
    }
    // A movie with a length is open: until then there is nothing to show or to seek in.
    bool IsReady() const { return m_ready; }
    bool IsDragging() const { return m_dragging; }

protected:
    // Stopped, paused, playing or scanning, with a movie that has a length: the pointer can
    // move through it.
    bool CanSeekIn(LONG state) const;
    // Seeks the player and, when asked, moves the time line to the new position.
    void SeekTo(double seconds, bool moveTimeLine);
    // A drag holds the mouse, so that its release arrives wherever it happens: over another
    // control, or outside the editor.
    void BeginDrag();
    void EndDrag();
    // Ends a drag whose release will not come, through OnDragLost.
    void LoseDrag();

    IPluginHost& m_host;
    HDC m_backBufferDC = nullptr;
    HDC m_scratchDC = nullptr;
    bool m_dragging = false;
    bool m_ready = false;
};

} // namespace TervaneControl
