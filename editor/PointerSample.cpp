#include "editor/PointerSample.h"

namespace {

int g_depth = 0;
bool g_known = false;
POINT g_at = {0, 0};
// The sample in the client coordinates of the last window asked, null when none was.
HWND g_client = nullptr;
POINT g_atClient = {0, 0};

int g_watches = 0;
// Where the thread's messages last saw the pointer, and the editor window told to report it
// leaving. Unseen, the next sample asks the system.
bool g_seen = false;
POINT g_seenAt = {0, 0};
HWND g_tracked = nullptr;
unsigned g_queries = 0;

bool IsMouseMessage(UINT message)
{
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

} // namespace

CPointerSample::CPointerSample()
{
    if (g_depth++ != 0)
        return;
    g_client = nullptr;
    if (g_watches > 0 && g_seen) {
        g_at = g_seenAt;
        g_known = true;
        return;
    }
    g_known = GetCursorPos(&g_at) != FALSE;
    ++g_queries;
    // Asked once after it left the editor: until the editor's windows hear of it again it
    // is somewhere none of them can see, and no face or point depends on where.
    if (g_watches > 0 && g_known) {
        g_seen = true;
        g_seenAt = g_at;
    }
}

CPointerSample::~CPointerSample()
{
    --g_depth;
}

bool PointerPosition(POINT& at)
{
    if (g_depth == 0)
        return GetCursorPos(&at) != FALSE;
    at = g_at;
    return g_known;
}

bool PointerInClient(HWND window, POINT& at)
{
    if (g_depth == 0)
        return GetCursorPos(&at) && ScreenToClient(window, &at);
    if (!g_known)
        return false;
    if (window != g_client || window == nullptr) {
        POINT client = g_at;
        if (!ScreenToClient(window, &client))
            return false;
        g_client = window;
        g_atClient = client;
    }
    at = g_atClient;
    return true;
}

void WatchPointer(bool on)
{
    g_watches += on ? 1 : -1;
    if (g_watches <= 0) {
        g_watches = 0;
        g_seen = false;
        g_tracked = nullptr;
    }
}

void NotePointerMessage(const MSG& message, bool (*ours)(HWND))
{
    if (g_watches == 0)
        return;
    if (message.message == WM_MOUSELEAVE || message.message == WM_NCMOUSELEAVE) {
        g_seen = false;
        if (message.hwnd == g_tracked)
            g_tracked = nullptr;
        return;
    }
    if (!IsMouseMessage(message.message))
        return;
    g_seenAt = message.pt;
    g_seen = true;
    if (message.hwnd == g_tracked || ours == nullptr || !ours(message.hwnd))
        return;
    // The border of an editor window is left without a message of its own: ask the system
    // to tell. Over anything else of ours but a client area, ask on every tick instead.
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, message.hwnd, 0};
    if (message.message <= WM_MOUSELAST && TrackMouseEvent(&track))
        g_tracked = message.hwnd;
    else
        g_seen = false;
}

unsigned PointerQueries()
{
    return g_queries;
}
