#include "editor/GdiObjects.h"

namespace {

// The DC whose fonts are kept on this thread, and the font it had before the first of them.
struct KeptFonts {
    HDC dc = nullptr;
    HGDIOBJ original = nullptr;
};
thread_local KeptFonts t_kept;

} // namespace

CFontKeeping::CFontKeeping(HDC dc) : m_outerDc(t_kept.dc), m_outerFont(t_kept.original)
{
    t_kept = KeptFonts{dc, nullptr};
}

CFontKeeping::~CFontKeeping()
{
    // No font of ours stays selected once the scope is over: its owner may delete it.
    if (t_kept.dc != nullptr && t_kept.original != nullptr && t_kept.original != HGDI_ERROR)
        SelectObject(t_kept.dc, t_kept.original);
    t_kept = KeptFonts{m_outerDc, m_outerFont};
}

CScopedFont::CScopedFont(HDC dc, HFONT font) : m_dc(dc)
{
    if (dc == nullptr || font == nullptr)
        return;
    if (dc != t_kept.dc) {
        m_previous = SelectObject(dc, font);
        return;
    }
    // Asked of the DC rather than remembered: whatever else selected a font meanwhile.
    if (GetCurrentObject(dc, OBJ_FONT) == font)
        return;
    const HGDIOBJ previous = SelectObject(dc, font);
    if (t_kept.original == nullptr)
        t_kept.original = previous;
}

CScopedFont::~CScopedFont()
{
    if (m_previous != nullptr && m_previous != HGDI_ERROR)
        SelectObject(m_dc, m_previous);
}
