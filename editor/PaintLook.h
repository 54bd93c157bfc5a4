#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Win32.h"
#include "editor/GdiObjects.h"
#include "editor/WinMsgHook.h"

constexpr int kBackBufferWidth = 1000;
constexpr int kBackBufferHeight = 750;

// A digest of whatever decides a control's pixels (FNV-1a over the values added).
class CLookDigest {
public:
    CLookDigest& Add(uint64_t value);
    CLookDigest& Add(int32_t value) { return Add(static_cast<uint64_t>(static_cast<uint32_t>(value))); }
    CLookDigest& Add(bool value) { return Add(static_cast<uint64_t>(value ? 1 : 0)); }
    CLookDigest& Add(double value);
    CLookDigest& Add(const RECT& rect);
    CLookDigest& Add(const void* bytes, size_t size);
    CLookDigest& Add(const std::wstring& text) { return Add(text.data(), text.size() * sizeof(wchar_t)); }
    CLookDigest& Add(const std::string& text) { return Add(text.data(), text.size()); }
    uint64_t Value() const { return m_value; }

private:
    uint64_t m_value = 14695981039346656037ull;
};

// One thing a control shows: the rectangle it may paint and the digest of how it looks.
struct LookItem {
    RECT bounds;
    uint64_t digest;
};

// The rectangles of the back buffer that changed in one tick.
class CDamage {
public:
    void Add(const RECT& rect);
    void AddAll();
    void Clear() { m_rects.clear(); }
    bool Empty() const { return m_rects.empty(); }
    bool Intersects(const RECT& rect) const;
    const std::vector<RECT>& Rects() const { return m_rects; }
    // A region of every rectangle; the caller deletes it.
    HRGN MakeRegion() const;

private:
    std::vector<RECT> m_rects;
};

namespace PaintLook {

// True when dc is the look DC of the tick being recorded: the item is noted and the caller
// paints nothing. Skin cells note themselves; a control that paints by other means notes
// each part it paints, the same parts in every tick.
bool Note(HDC dc, const RECT& bounds, uint64_t digest);
bool Recording(HDC dc);

// While it lives, painting into dc notes items instead (into items).
class CRecording {
public:
    CRecording(HDC dc, std::vector<LookItem>* items);
    CRecording(const CRecording&) = delete;
    CRecording& operator=(const CRecording&) = delete;
    ~CRecording();
    void Into(std::vector<LookItem>* items);
};

} // namespace PaintLook

// Records, without painting, what every control of the hook list shows: each control paints
// into a look DC where nothing is drawn and every part of it is noted instead. Against the
// last recording it tells the damage: the old and new rectangles of every part that changed.
class CLookRecorder {
public:
    CLookRecorder() = default;
    CLookRecorder(const CLookRecorder&) = delete;
    CLookRecorder& operator=(const CLookRecorder&) = delete;
    ~CLookRecorder();

    bool Create(HDC reference);
    // Everything counts as changed at the next recording (the first one, a size mode, a
    // full redraw asked for).
    void Forget() { m_forgotten = true; }
    void Record(HWND window, const std::vector<Quorvel::Base::AppFrame::IWinMsgHook*>& hooks, CDamage& damage);
    HDC Dc() const { return m_look.Dc(); }
    // Whether the hook at index has a part in the damage (one that notes nothing always has).
    bool Touches(size_t index, const CDamage& damage) const;

private:
    static void Compare(const std::vector<LookItem>& before, const std::vector<LookItem>& now, CDamage& damage);

    CMemoryBitmapDC m_look;
    bool m_forgotten = true;
    std::vector<Quorvel::Base::AppFrame::IWinMsgHook*> m_hooks;
    std::vector<std::vector<LookItem>> m_items;
    // The last tick but one's, kept for their memory: some forty lists a tick.
    std::vector<std::vector<LookItem>> m_spare;
};
