#pragma once
#include "base/Win32.h"
#include "editor/GdiObjects.h"
#include "editor/PaintLook.h"
#include "editor/WinMsgHook.h"

// The full-size STATIC child window that covers the editor window, and the 1000 x 750 back
// buffer that every control paints into. It publishes the back-buffer DC, the scratch DC
// and the replaced window procedure in the editor context. As a hook it forwards whatever
// it is handed to the control hook list.
class CParentStaticObject : public Quorvel::Base::AppFrame::IWinMsgHook {
public:
    CParentStaticObject() = default;
    CParentStaticObject(const CParentStaticObject&) = delete;
    CParentStaticObject& operator=(const CParentStaticObject&) = delete;
    ~CParentStaticObject() override;

    // False (and nothing published) when the child window or the back buffer can't be made.
    bool Create(HINSTANCE instance, HWND parent);
    // Has the controls whose look changed, and those over or under them, paint the changed
    // rectangles of the back buffer, in hook list order; Damage() tells which they were.
    void Render(HWND window);
    // The next Render paints everything (a size mode, a full redraw asked for).
    void RedrawAll() { m_looks.Forget(); }
    const CDamage& Damage() const { return m_damage; }
    HDC GetLookDC() const { return m_looks.Dc(); }
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND GetWindow() const { return m_window; }
    HDC GetBackBufferDC() const { return m_backBuffer.Dc(); }
    HDC GetScratchDC() const { return m_scratchDC; }

private:
    static LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT ChildProcGuarded(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Unpublish();

    HWND m_window = nullptr;
    CMemoryBitmapDC m_backBuffer;
    HWND m_parent = nullptr;
    HDC m_scratchDC = nullptr;
    CLookRecorder m_looks;
    CDamage m_damage;
};
