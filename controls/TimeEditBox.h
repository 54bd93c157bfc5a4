#pragma once
#include <cstdint>
#include <string>

#include "controls/EditBox.h"
#include "editor/DibCanvas.h"

namespace TervaneControl {

// "%02d:%02d:%02d.%d": hours (as many digits as they take), minutes, seconds and tenths of
// the position, each truncated. A position below 0 or not a number reads as 0.
std::wstring FormatMediaTime(double seconds);

// The time box: the playback position in bold orange on black, or a short note. It changes
// on every tick of playback, so it is painted into the back buffer with the other controls
// rather than kept in an edit window of its own: a window's text set and painted again ten
// times a second cost more than all the rest of the editor's tick together.
class CTimeEditBox : public CEditBox {
public:
    static constexpr COLORREF kTextColour = 0x0005A5F8;
    static constexpr COLORREF kRecordingColour = RGB(255, 64, 64);

    static EditBoxData MakeData(const std::string& moduleDirectory);

    explicit CTimeEditBox(IPluginHost& host) : m_host(host) {}

    bool Create(const EditBoxData& data);
    void OnDraw(HDC dc) override;
    void OnSizeMode(WPARAM request) override;
    // What the box shows now.
    const std::wstring& Text() const { return m_text; }
    // The box shows text instead of the position for this many milliseconds of the editor's
    // clock (a setting just changed).
    void ShowNote(const std::wstring& text, uint32_t milliseconds);
    // While the editor records, the box's text is red.
    void SetRecording(bool recording);
    bool IsRecording() const { return m_recording; }

private:
    HFONT FontToFit(HDC dc, int width);
    // The box's face, its top-left corner at (left, top) of dc.
    void DrawFace(HDC dc, int left, int top, int width, int height);

    IPluginHost& m_host;
    std::wstring m_note;
    uint32_t m_noteUntil = 0;
    std::wstring m_text;
    CFontHandle m_smallFont;
    int m_smallPixels = 0;
    // The face is drawn here and copied: this DC keeps its font selected from tick to tick.
    CDibSurface m_surface;
    SIZE m_surfaceSize = {0, 0};
    bool m_recording = false;
};

} // namespace TervaneControl
