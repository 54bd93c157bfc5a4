#include "editor/PointerSample.h"

namespace {

int g_depth = 0;
bool g_known = false;
POINT g_at = {0, 0};

} // namespace

CPointerSample::CPointerSample()
{
    if (g_depth++ == 0)
        g_known = GetCursorPos(&g_at) != FALSE;
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
