#include "controls/Button.h"

#include "editor/PluginMessages.h"

namespace TervaneControl {

LRESULT CButton::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Client coordinates arrive unsigned in the low and high words.
    const uint32_t x = LOWORD(lParam);
    const uint32_t y = HIWORD(lParam);
    switch (message) {
    case WM_LBUTTONDOWN:
        return OnLButtonDown(window, wParam, x, y);
    case WM_LBUTTONUP:
        return OnLButtonUp(window, wParam, x, y);
    case WM_RBUTTONDOWN:
        return OnRButtonDown(window, wParam, x, y);
    case WM_RBUTTONUP:
        OnRButtonUp(window, wParam, x, y);
        break;
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_PAINT:
        OnDraw(reinterpret_cast<HDC>(wParam));
        break;
    case WM_CLOSE:
        OnClose();
        break;
    case WM_DRAWITEM:
        OnDrawItem(window, wParam, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        break;
    case WM_COMMAND:
        OnCommand(window, wParam, lParam);
        break;
    case WM_MOUSEWHEEL:
        OnMouseWheel(window, wParam, lParam);
        break;
    case WM_DROPFILES:
        OnDropFiles(window, reinterpret_cast<HDROP>(wParam), lParam);
        break;
    case WM_PLUGIN_SIZEMODE:
        OnSizeMode(wParam);
        break;
    case WM_PLUGIN_PATTERN:
        OnPattern(wParam, lParam);
        break;
    case WM_PLUGIN_LEVEL:
        OnLevel(wParam);
        break;
    case WM_PLUGIN_PAUSED:
        OnPaused();
        break;
    case WM_PLUGIN_STOPPED:
        OnStopped();
        break;
    case WM_PLUGIN_PLAYING:
        OnPlaying();
        break;
    case WM_PLUGIN_READY:
        OnReady();
        break;
    case WM_PLUGIN_MEDIAOPEN:
        OnMediaOpen();
        break;
    case WM_PLUGIN_HOVER:
        OnHover(wParam, x, y);
        break;
    case WM_PLUGIN_OPENPATH:
        OnOpenPath(window, wParam, lParam);
        break;
    default:
        // WM_MOUSEMOVE among them: hover is found by polling the cursor while drawing.
        break;
    }
    return 0;
}

} // namespace TervaneControl
