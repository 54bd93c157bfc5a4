#include "controls/TimeEditBox.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>

#include "controls/ButtonLayout.h"
#include "editor/GdiObjects.h"
#include "editor/PaintLook.h"
#include "editor/EditorClock.h"
#include "editor/PluginHost.h"

namespace TervaneControl {

namespace {

// Far beyond any movie, and within what the hour field can show.
constexpr double kMostSeconds = 1e12;
// 17.5 points at 96 dots an inch, the height of the box's text.
constexpr int kTextPixels = 23;
constexpr int kLeastTextPixels = 10;

} // namespace

std::wstring FormatMediaTime(double seconds)
{
    if (!(seconds >= 0.0))
        seconds = 0.0;
    if (seconds > kMostSeconds)
        seconds = kMostSeconds;
    const long long whole = static_cast<long long>(seconds);
    const long long tenths = static_cast<long long>(seconds * 10.0) % 10;
    wchar_t text[48];
    std::swprintf(text, sizeof text / sizeof text[0], L"%02lld:%02lld:%02lld.%lld", whole / 3600, (whole / 60) % 60,
                  whole % 60, tenths);
    return text;
}

EditBoxData CTimeEditBox::MakeData(const std::string& moduleDirectory)
{
    EditBoxData data;
    data.m_style = data.m_richStyle = WS_CHILD | WS_VISIBLE | ES_CENTER;
    data.m_normalX = data.m_miniX = 288;
    data.m_normalY = data.m_miniY = 324;
    data.m_wideX = 538;
    data.m_wideY = 473;
    data.m_normalWidth = data.m_wideWidth = data.m_miniWidth = 191;
    data.m_normalHeight = data.m_wideHeight = data.m_miniHeight = 35;
    data.m_paths[1] = moduleDirectory + "\\obj\\a006_000.bmp";
    data.m_paths[4] = moduleDirectory + "\\obj\\a006_000_alp.bmp";
    data.m_controlId = kIdTimeBox;
    return data;
}

bool CTimeEditBox::Create(const EditBoxData& data)
{
    m_data = data;
    m_textColour = kTextColour;
    m_brush.Reset(CreateSolidBrush(RGB(0, 0, 0)));
    m_font.SetHandle(CreateEditorFont(-kTextPixels, kGothicFace, FW_BOLD));
    m_text = FormatMediaTime(0.0);
    return m_font.GetHandle() != nullptr && m_brush.Get() != nullptr;
}

void CTimeEditBox::OnSizeMode(WPARAM request)
{
    SizeMode mode;
    if (SizeModeFromRequest(request, mode))
        m_sizeMode = mode;
}

void CTimeEditBox::SetRecording(bool recording)
{
    m_recording = recording;
    m_textColour = recording ? kRecordingColour : kTextColour;
}

void CTimeEditBox::ShowNote(const std::wstring& text, uint32_t milliseconds)
{
    m_note = text;
    m_noteUntil = EditorMilliseconds() + milliseconds;
}

HFONT CTimeEditBox::FontToFit(HDC dc, int width)
{
    // A note longer than the box is shown whole, smaller; a position always fits.
    if (m_note.empty())
        return m_font.GetHandle();
    SIZE extent = {};
    {
        CScopedSelect font(dc, m_font.GetHandle());
        if (!GetTextExtentPoint32W(dc, m_text.c_str(), static_cast<int>(m_text.size()), &extent) ||
            extent.cx <= width)
            return m_font.GetHandle();
    }
    const int pixels = std::max(kLeastTextPixels, static_cast<int>(kTextPixels * static_cast<long long>(width) / extent.cx));
    if (pixels != m_smallPixels) {
        m_smallFont.Reset(CreateEditorFont(-pixels, kGothicFace, FW_BOLD));
        m_smallPixels = pixels;
    }
    return m_smallFont.Get() != nullptr ? m_smallFont.Get() : m_font.GetHandle();
}

void CTimeEditBox::OnDraw(HDC dc)
{
    // Wrap-around safe: the note holds while its end lies ahead of the clock.
    if (!m_note.empty() && static_cast<int32_t>(m_noteUntil - EditorMilliseconds()) <= 0)
        m_note.clear();
    double position = 0.0;
    if (!m_note.empty())
        m_text = m_note;
    else if (m_host.Position(position))
        m_text = FormatMediaTime(position);
    if (dc == nullptr)
        return;
    const RECT place = Place();
    if (PaintLook::Note(dc, place,
                        CLookDigest().Add(m_text).Add(static_cast<int32_t>(m_textColour)).Add(static_cast<int32_t>(m_sizeMode)).Value()))
        return;
    const int width = place.right - place.left, height = place.bottom - place.top;
    // Selecting the box's font into the back buffer, and the graph's back after it, cost as
    // much as the rest of the box at every tick of playback: the face is drawn on a surface
    // of its own, which keeps the font, and copied.
    if (!m_surface || m_surfaceSize.cx != width || m_surfaceSize.cy != height) {
        m_surfaceSize = SIZE{0, 0};
        if (m_surface.Create(dc, width, height)) {
            KeepFonts(m_surface.Dc());
            m_surfaceSize = SIZE{width, height};
        }
    }
    if (!m_surface) {
        DrawFace(dc, place.left, place.top, width, height);
        return;
    }
    DrawFace(m_surface.Dc(), 0, 0, width, height);
    BitBlt(dc, place.left, place.top, width, height, m_surface.Dc(), 0, 0, SRCCOPY);
}

void CTimeEditBox::DrawFace(HDC dc, int left, int top, int width, int height)
{
    RECT face = {left, top, left + width, top + height};
    FillRect(dc, &face, m_brush.Get());
    const CScopedFont font(dc, FontToFit(dc, width));
    const COLORREF oldInk = SetTextColor(dc, m_textColour);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, m_text.c_str(), -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldInk);
}

} // namespace TervaneControl
