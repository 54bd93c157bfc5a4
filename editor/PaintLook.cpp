#include "editor/PaintLook.h"

#include <algorithm>
#include <cstring>


namespace {

// The look DC of the recording in progress and the parts noted into it.
HDC g_lookDc = nullptr;
std::vector<LookItem>* g_noted = nullptr;

bool Overlap(const RECT& a, const RECT& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool SameItem(const LookItem& a, const LookItem& b)
{
    return a.digest == b.digest && EqualRect(&a.bounds, &b.bounds) != FALSE;
}

} // namespace

CLookDigest& CLookDigest::Add(uint64_t value)
{
    for (int i = 0; i < 8; ++i) {
        m_value ^= (value >> (8 * i)) & 0xFF;
        m_value *= 1099511628211ull;
    }
    return *this;
}

CLookDigest& CLookDigest::Add(double value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return Add(bits);
}

CLookDigest& CLookDigest::Add(const RECT& rect)
{
    return Add(static_cast<int32_t>(rect.left)).Add(static_cast<int32_t>(rect.top))
        .Add(static_cast<int32_t>(rect.right)).Add(static_cast<int32_t>(rect.bottom));
}

CLookDigest& CLookDigest::Add(const void* bytes, size_t size)
{
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < size; ++i) {
        m_value ^= p[i];
        m_value *= 1099511628211ull;
    }
    return Add(static_cast<uint64_t>(size));
}

void CDamage::Add(const RECT& rect)
{
    RECT clipped;
    const RECT all = {0, 0, kBackBufferWidth, kBackBufferHeight};
    if (IntersectRect(&clipped, &rect, &all) == FALSE)
        return;
    // A rectangle inside one already there adds nothing; one that holds others replaces them.
    for (const RECT& r : m_rects)
        if (r.left <= clipped.left && r.top <= clipped.top && clipped.right <= r.right && clipped.bottom <= r.bottom)
            return;
    m_rects.erase(std::remove_if(m_rects.begin(), m_rects.end(),
                                 [&](const RECT& r) {
                                     return clipped.left <= r.left && clipped.top <= r.top && r.right <= clipped.right &&
                                            r.bottom <= clipped.bottom;
                                 }),
                  m_rects.end());
    m_rects.push_back(clipped);
}

void CDamage::AddAll()
{
    m_rects.assign(1, RECT{0, 0, kBackBufferWidth, kBackBufferHeight});
}

bool CDamage::Intersects(const RECT& rect) const
{
    for (const RECT& r : m_rects)
        if (Overlap(r, rect))
            return true;
    return false;
}

HRGN CDamage::MakeRegion() const
{
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (const RECT& r : m_rects) {
        HRGN part = CreateRectRgnIndirect(&r);
        if (region != nullptr && part != nullptr)
            CombineRgn(region, region, part, RGN_OR);
        if (part != nullptr)
            DeleteObject(part);
    }
    return region;
}

bool PaintLook::Recording(HDC dc)
{
    return dc != nullptr && dc == g_lookDc;
}

bool PaintLook::Note(HDC dc, const RECT& bounds, uint64_t digest)
{
    if (!Recording(dc))
        return false;
    if (g_noted != nullptr)
        g_noted->push_back(LookItem{bounds, digest});
    return true;
}

PaintLook::CRecording::CRecording(HDC dc, std::vector<LookItem>* items)
{
    g_lookDc = dc;
    g_noted = items;
}

PaintLook::CRecording::~CRecording()
{
    g_lookDc = nullptr;
    g_noted = nullptr;
}

void PaintLook::CRecording::Into(std::vector<LookItem>* items)
{
    g_noted = items;
}

CLookRecorder::~CLookRecorder()
{
    if (g_lookDc == m_look.Dc())
        g_lookDc = nullptr;
}

bool CLookRecorder::Create(HDC reference)
{
    return m_look.Create(reference, CreateCompatibleBitmap(reference, 1, 1));
}

void CLookRecorder::Compare(const std::vector<LookItem>& before, const std::vector<LookItem>& now, CDamage& damage)
{
    if (before.size() == now.size()) {
        for (size_t i = 0; i < now.size(); ++i) {
            if (!SameItem(before[i], now[i])) {
                damage.Add(before[i].bounds);
                damage.Add(now[i].bounds);
            }
        }
        return;
    }
    // Parts came or went: each one without its equal on the other side changed.
    std::vector<bool> matched(before.size(), false);
    for (const LookItem& item : now) {
        bool found = false;
        for (size_t i = 0; i < before.size() && !found; ++i)
            if (!matched[i] && SameItem(before[i], item))
                matched[i] = found = true;
        if (!found)
            damage.Add(item.bounds);
    }
    for (size_t i = 0; i < before.size(); ++i)
        if (!matched[i])
            damage.Add(before[i].bounds);
}

void CLookRecorder::Record(HWND window, const std::vector<Quorvel::Base::AppFrame::IWinMsgHook*>& hooks,
                           CDamage& damage)
{
    std::vector<std::vector<LookItem>>& items = m_spare;
    items.resize(hooks.size());
    for (std::vector<LookItem>& list : items)
        list.clear();
    {
        PaintLook::CRecording recording(m_look.Dc(), nullptr);
        for (size_t i = 0; i < hooks.size(); ++i) {
            recording.Into(&items[i]);
            hooks[i]->HandleMessage(window, WM_PAINT, reinterpret_cast<WPARAM>(m_look.Dc()), 0);
        }
    }

    if (m_forgotten || hooks != m_hooks) {
        damage.AddAll();
    } else {
        for (size_t i = 0; i < hooks.size(); ++i)
            Compare(m_items[i], items[i], damage);
    }
    m_forgotten = false;
    m_hooks = hooks;
    m_items.swap(items);
}

bool CLookRecorder::Touches(size_t index, const CDamage& damage) const
{
    if (index >= m_items.size() || m_items[index].empty())
        return !damage.Empty();
    for (const LookItem& item : m_items[index])
        if (damage.Intersects(item.bounds))
            return true;
    return false;
}
