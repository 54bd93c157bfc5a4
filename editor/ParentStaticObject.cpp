#include "editor/ParentStaticObject.h"
#include "editor/NoThrow.h"

#include "editor/DibCanvas.h"
#include "editor/EditorContext.h"
#include "editor/PluginMessages.h"
#include "editor/PointerSample.h"

#include <vector>

CParentStaticObject::~CParentStaticObject()
{
    // The controls die with the editor; none may be offered a message from now on.
    ControlHookList().Clear();
    if (m_window != nullptr && IsWindow(m_window))
        DestroyWindow(m_window);
    Unpublish();
    if (m_scratchDC != nullptr)
        DeleteDC(m_scratchDC);
    NoteTopDownDc(m_backBuffer.Dc(), nullptr);
    m_backBuffer.Reset();
}

void CParentStaticObject::Unpublish()
{
    CEditorContext& context = EditorContext();
    if (context.backBufferDC == m_backBuffer.Dc()) {
        context.backBufferDC = nullptr;
        context.scratchDC = nullptr;
    }
    if (m_window != nullptr && context.parentStatic == m_window)
        context.parentStatic = nullptr;
}

bool CParentStaticObject::Create(HINSTANCE instance, HWND parent)
{
    if (m_window != nullptr)
        return false;
    m_parent = parent;
    m_window = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0, kBackBufferWidth,
                               kBackBufferHeight, parent, nullptr, instance, nullptr);
    if (m_window == nullptr)
        return false;

    // A 32-bit section, so that layers can be laid over it in one pass over its pixels
    // rather than in two blits.
    const HDC windowDC = GetDC(m_window);
    void* bits = nullptr;
    const bool made =
        m_backBuffer.Create(windowDC, CreateTopDownDib(windowDC, kBackBufferWidth, kBackBufferHeight, bits));
    ReleaseDC(m_window, windowDC);
    if (made)
        m_scratchDC = CreateCompatibleDC(m_backBuffer.Dc());
    if (!made || m_scratchDC == nullptr || !m_looks.Create(m_backBuffer.Dc())) {
        DestroyWindow(m_window);
        m_window = nullptr;
        m_backBuffer.Reset();
        return false;
    }
    NoteTopDownDc(m_backBuffer.Dc(), bits);
    KeepFonts(m_backBuffer.Dc());
    SetBkMode(m_backBuffer.Dc(), TRANSPARENT);
    PatBlt(m_backBuffer.Dc(), 0, 0, kBackBufferWidth, kBackBufferHeight, BLACKNESS);

    CEditorContext& context = EditorContext();
    context.instance = instance;
    context.parentStatic = m_window;
    context.backBufferDC = m_backBuffer.Dc();
    context.scratchDC = m_scratchDC;
    context.staticProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ChildProc)));
    return true;
}

void CParentStaticObject::Render(HWND window)
{
    const CPointerSample pointer;
    m_damage.Clear();
    if (m_backBuffer) {
        const std::vector<Quorvel::Base::AppFrame::IWinMsgHook*> hooks = ControlHookList().Hooks();
        m_looks.Record(window, hooks, m_damage);
        if (!m_damage.Empty()) {
            // Everything under a changed rectangle paints it again from the background up,
            // and nothing paints outside it.
            const HDC dc = m_backBuffer.Dc();
            const HRGN region = m_damage.MakeRegion();
            SelectClipRgn(dc, region);
            {
                const CKnownClip known(dc, region);
                for (size_t i = 0; i < hooks.size(); ++i)
                    if (m_looks.Touches(i, m_damage))
                        hooks[i]->HandleMessage(window, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
            }
            SelectClipRgn(dc, nullptr);
            if (region != nullptr)
                DeleteObject(region);
        }
    }
}

LRESULT CParentStaticObject::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ControlHookList().Dispatch(window, message, wParam, lParam, nullptr, true);
}

LRESULT CALLBACK CParentStaticObject::ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return NoThrow(0, [&] { return ChildProcGuarded(window, message, wParam, lParam); });
}

LRESULT CParentStaticObject::ChildProcGuarded(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CEditorContext& context = EditorContext();
    switch (message) {
    case WM_PAINT: {
        // Rectangle by rectangle: a copy clipped to several would move their whole span.
        const HRGN update = CreateRectRgn(0, 0, 0, 0);
        const bool partial = update != nullptr && GetUpdateRgn(window, update, FALSE) == COMPLEXREGION;
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        if (dc != nullptr && context.backBufferDC != nullptr) {
            std::vector<RECT> rects;
            if (partial)
                rects = RegionRects(update);
            if (rects.empty())
                rects.push_back(paint.rcPaint);
            for (const RECT& r : rects)
                BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, context.backBufferDC, r.left, r.top,
                       SRCCOPY);
        }
        EndPaint(window, &paint);
        if (update != nullptr)
            DeleteObject(update);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSCROLLBAR:
        return ControlHookList().Dispatch(window, message, wParam, lParam, nullptr, true);
    case WM_DESTROY:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_CLOSE:
    case WM_KEYDOWN:
    case WM_HSCROLL:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_DROPFILES:
    case WM_PLUGIN_HOVER:
    case WM_PLUGIN_OPENPATH:
    case WM_PLUGIN_PATTERN:
    case WM_PLUGIN_LEVEL:
    case WM_PLUGIN_FILENAME:
        ControlHookList().Dispatch(window, message, wParam, lParam, nullptr, true);
        return 0;
    case WM_PLUGIN_DELETEPOINT:
        if (context.deletePoint)
            context.deletePoint(reinterpret_cast<HWND>(wParam));
        return 1;
    case WM_NCDESTROY: {
        // The STATIC procedure gets its window back before it frees its own data.
        const WNDPROC original = context.staticProc;
        if (original != nullptr)
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        if (context.parentStatic == window)
            context.parentStatic = nullptr;
        return original != nullptr ? CallWindowProcW(original, window, message, wParam, lParam)
                                   : DefWindowProcW(window, message, wParam, lParam);
    }
    default:
        if (context.staticProc != nullptr)
            return CallWindowProcW(context.staticProc, window, message, wParam, lParam);
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
