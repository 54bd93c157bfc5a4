#pragma once
#include <cstdint>
#include <string>

#include "controls/EditBox.h"

namespace TervaneControl {

// "%02d:%02d:%02d.%d": hours (as many digits as they take), minutes, seconds and tenths of
// the position, each truncated. A position below 0 or not a number reads as 0.
std::wstring FormatMediaTime(double seconds);

// The time box: the playback position, refreshed on every render pass, in bold orange on
// black. Whatever is typed into it is overwritten on the next pass.
class CTimeEditBox : public CEditBox {
public:
    static constexpr COLORREF kTextColour = 0x0005A5F8;
    static constexpr COLORREF kRecordingColour = RGB(255, 64, 64);

    static EditBoxData MakeData(const std::string& moduleDirectory);

    explicit CTimeEditBox(IPluginHost& host) : m_host(host) {}
    // Frees the rich edit library once its window is gone.
    ~CTimeEditBox() override;

    // A rich edit window when the library loads, else a plain edit window.
    bool Create(const EditBoxData& data, HWND parent, HWND editor);
    void OnDraw(HDC dc) override;
    bool IsRichEdit() const { return m_richEdit; }
    // The box shows text instead of the position for this many milliseconds of the editor's
    // clock (a setting just changed).
    void ShowNote(const std::wstring& text, uint32_t milliseconds);
    // While the editor records, the box's text is red.
    void SetRecording(bool recording);
    bool IsRecording() const { return m_recording; }

private:
    IPluginHost& m_host;
    std::wstring m_note;
    uint32_t m_noteUntil = 0;
    HMODULE m_library = nullptr;
    bool m_richEdit = false;
    bool m_recording = false;
};

} // namespace TervaneControl
