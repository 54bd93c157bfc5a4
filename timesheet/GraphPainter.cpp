#include "timesheet/GraphPainter.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "controls/ButtonFace.h"
#include "editor/DibCanvas.h"
#include "editor/Font.h"

namespace {

constexpr COLORREF kGraphInk = RGB(200, 212, 255);
constexpr COLORREF kPlaybackInk = RGB(255, 51, 0);
constexpr int32_t kPatternColumns = 10;

void Label(HDC dc, const CTimeLineGeometry& g, int x, long long seconds)
{
    wchar_t text[32];
    const int length = std::swprintf(text, 32, L"%ds", static_cast<int>(seconds));
    if (length > 0)
        DrawTextAt(dc, x - 5, g.gridTop - kLabelAbove, text, static_cast<size_t>(length));
}

} // namespace

std::wstring FormatClock(double seconds, int32_t tenthsDigit)
{
    const int s = static_cast<int>(std::trunc(seconds));
    wchar_t text[40];
    std::swprintf(text, 40, L"%02d:%02d:%02d.%d", s / 3600, s / 60 % 60, s % 60, static_cast<int>(tenthsDigit));
    return text;
}

COLORREF PatternColour(int32_t pattern)
{
    static const COLORREF kColours[10] = {
        RGB(160, 170, 192), RGB(255, 107, 107), RGB(255, 159, 67), RGB(250, 210, 80),  RGB(120, 214, 140),
        RGB(72, 205, 240),  RGB(90, 150, 255),  RGB(160, 124, 255), RGB(236, 110, 214), RGB(240, 240, 248),
    };
    return kColours[pattern < 0 ? 0 : pattern > 9 ? 9 : pattern];
}

void CGraphPainter::MakeDrawingObjects()
{
    if (m_playbackPen)
        return;
    m_plainPen.Reset(CreatePen(PS_SOLID, 0, RGB(0, 0, 0)));
    m_playbackPen.Reset(CreatePen(PS_SOLID, 1, kPlaybackInk));
    m_majorPen.Reset(CreatePen(PS_SOLID, 0, kGraphInk));
    m_font10.Reset(CreateEditorFont(10, kGothicFace));
    m_font12.Reset(CreateEditorFont(12, kGothicFace));
    m_popFont10.Reset(CreateEditorFont(10, kPopFace));
    m_handCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND));
    m_arrowCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
}

void CGraphPainter::LoadStrip(const std::string& skinFolder, HDC reference)
{
    m_strip.Load((skinFolder + "\\obj\\a002_000.bmp").c_str());
    StateCell cells[kButtonStateCount];
    for (int32_t row = 0; row < kButtonStateCount; ++row)
        cells[row] = StateCell{0, row};
    m_strip.Place(reference, 0, 0, kPatternColumns, kButtonStateCount, cells);
    m_stripColumn = 0;
}

bool CGraphPainter::SelectFace(int x, int y, int32_t pattern, int32_t state)
{
    if (!m_strip.HasImage())
        return false;
    const int32_t column = std::max<int32_t>(0, std::min<int32_t>(kPatternColumns - 1, pattern));
    if (column != m_stripColumn) {
        StateCell cells[kButtonStateCount];
        for (int32_t row = 0; row < kButtonStateCount; ++row)
            cells[row] = StateCell{column, row};
        m_strip.SetStateCells(cells);
        m_stripColumn = column;
    }
    m_strip.SetState(state);
    m_strip.SetPosition(x, y);
    return true;
}

void CGraphPainter::PaintPoint(HDC dc, int x, int y, int32_t pattern, int32_t state)
{
    if (SelectFace(x, y, pattern, state))
        m_strip.DrawKeyed(dc);
}

void CGraphPainter::PaintPointInto(HDC colour, HDC mask, int x, int y, int32_t pattern, int32_t state)
{
    if (!SelectFace(x, y, pattern, state))
        return;
    m_strip.DrawKeyed(colour);
    m_strip.DrawMask(mask);
}

void CGraphPainter::AddLines(HDC dc, const CTimeLineGeometry& g, float base, float off, long long firstLabel,
                             Labels labels, GridLines& lines) const
{
    const float step = 100.0f * g.pixelsPerTenth;
    for (int i = 0; i < 12; ++i) {
        const int x = static_cast<int>(std::trunc(base - static_cast<float>(i) * step - off + 0.5f));
        if (g.gridLeft < x && x <= g.gridRight)
            lines.Add(x);
        if (labels != Labels::kNone && g.gridLeft <= x && x <= g.gridRight) {
            const long long seconds = firstLabel - 10 * i;
            Label(dc, g, x, labels == Labels::kNotBelowZero ? std::max(0LL, seconds) : seconds);
        }
    }
}

void CGraphPainter::DrawLines(HDC dc, const CTimeLineGeometry& g, const GridLines& lines, HPEN pen, COLORREF ink)
{
    if (lines.count == 0 || WriteVerticalLines(dc, lines.xs, lines.count, g.gridTop, g.gridBottom, ink))
        return;
    // Each as its own two-point line, as MoveToEx and LineTo draw it, in one call.
    POINT ends[2 * GridLines::kMost];
    DWORD counts[GridLines::kMost];
    for (size_t i = 0; i < lines.count; ++i) {
        ends[2 * i] = POINT{lines.xs[i], g.gridTop};
        ends[2 * i + 1] = POINT{lines.xs[i], g.gridBottom};
        counts[i] = 2;
    }
    CScopedSelect select(dc, pen);
    PolyPolyline(dc, ends, counts, static_cast<DWORD>(lines.count));
}

void CGraphPainter::PaintGrid(HDC dc, const CTimeLineGeometry& g, int zoomMode, double now, const POINT* cursor) const
{
    if (dc == nullptr)
        return;
    if (!(now >= 0.0))
        now = 0.0;
    SetBkMode(dc, TRANSPARENT);
    const COLORREF oldInk = SetTextColor(dc, kGraphInk);
    const CScopedFont font(dc, m_font10.Get());
    const long long s = static_cast<long long>(std::trunc(now));
    const long long k = static_cast<long long>(std::trunc(now * 10.0));
    const float ppt = g.pixelsPerTenth;
    const long long tens = 10 * static_cast<long long>(std::trunc(now / 10.0));
    const float step = 100.0f * ppt;
    const float off = static_cast<float>(k % 100) * ppt;
    // The lines and the labels never meet (the labels stand above the grid), so each kind
    // goes in one piece; the lines of both kinds are of one colour.
    GridLines lines;
    // Multiples of 10 s.
    if (zoomMode == 0) {
        const int x = s % 10 <= 4 ? static_cast<int>(std::trunc(g.origin - static_cast<float>(k % 100) * ppt))
                                  : static_cast<int>(std::trunc(g.gridRight - static_cast<float>(k % 50) * ppt));
        lines.Add(x);
        Label(dc, g, x, now <= 5.0 ? 0 : 10 * static_cast<long long>(std::trunc((now + 5.0) / 10.0)));
    } else {
        AddLines(dc, g, g.origin + 10.0f * step, off, tens + 100, Labels::kAll, lines);
    }
    // Multiples of 10 s plus 5 s; zoom mode 1 labels them, a negative time as 0.
    if (zoomMode == 0) {
        const int x = static_cast<int>(std::trunc(g.gridRight - static_cast<float>(k % 100) * ppt));
        lines.Add(x);
        Label(dc, g, x, now <= 5.0 ? 5 : tens + 5);
    } else {
        AddLines(dc, g, g.origin - 50.0f * ppt + 10.0f * step, off, tens + 95,
                 zoomMode == 1 ? Labels::kNotBelowZero : Labels::kNone, lines);
    }
    DrawLines(dc, g, lines, m_majorPen.Get(), kGraphInk);
    GridLines playback;
    playback.Add(static_cast<int>(std::trunc(g.origin)));
    DrawLines(dc, g, playback, m_playbackPen.Get(), kPlaybackInk);
    if (cursor != nullptr && IsOverGraph(g, *cursor)) {
        const double t = TimeAtX(g, now, cursor->x);
        const std::wstring text =
            FormatClock(t, static_cast<int32_t>(static_cast<long long>(std::trunc(t * 10.0)) % 10));
        DrawTextAt(dc, cursor->x - 25, g.gridTop - kPointerTimeAbove, text.c_str(), text.size());
    }
    SetTextColor(dc, oldInk);
}
