#include "editor/GdiObjects.h"

namespace {

// The DCs whose fonts are kept on this thread, each with the font it had before the first of
// them (null until then). Plain data: a thread may outlive the module.
struct KeptFonts {
    HDC dc;
    HGDIOBJ original;
};
constexpr int kMostKept = 8;
thread_local KeptFonts t_kept[kMostKept];
thread_local int t_keptCount;

KeptFonts* KeptOf(HDC dc)
{
    for (int i = 0; i < t_keptCount; ++i)
        if (t_kept[i].dc == dc)
            return &t_kept[i];
    return nullptr;
}

void PutOriginalBack(KeptFonts& kept)
{
    if (kept.original != nullptr && kept.original != HGDI_ERROR)
        SelectObject(kept.dc, kept.original);
    kept.original = nullptr;
}

} // namespace

void KeepFonts(HDC dc)
{
    // Past the bound a DC just selects and puts back, as any other.
    if (dc != nullptr && KeptOf(dc) == nullptr && t_keptCount < kMostKept)
        t_kept[t_keptCount++] = KeptFonts{dc, nullptr};
}

void StopKeepingFonts(HDC dc)
{
    KeptFonts* kept = dc != nullptr ? KeptOf(dc) : nullptr;
    if (kept == nullptr)
        return;
    PutOriginalBack(*kept);
    *kept = t_kept[--t_keptCount];
}

void FontGoing(HFONT font)
{
    for (int i = 0; i < t_keptCount; ++i)
        if (t_kept[i].original != nullptr && GetCurrentObject(t_kept[i].dc, OBJ_FONT) == font)
            PutOriginalBack(t_kept[i]);
}

CScopedFont::CScopedFont(HDC dc, HFONT font) : m_dc(dc)
{
    if (dc == nullptr || font == nullptr)
        return;
    KeptFonts* kept = KeptOf(dc);
    if (kept == nullptr) {
        m_previous = SelectObject(dc, font);
        return;
    }
    // Asked of the DC rather than remembered: whatever else selected a font meanwhile.
    if (GetCurrentObject(dc, OBJ_FONT) == font)
        return;
    const HGDIOBJ previous = SelectObject(dc, font);
    if (kept->original == nullptr)
        kept->original = previous;
}

CScopedFont::~CScopedFont()
{
    if (m_previous != nullptr && m_previous != HGDI_ERROR)
        SelectObject(m_dc, m_previous);
}
