#include "controls/TimeEditBox.h"

#include <cmath>
#include <cstring>
#include <cwchar>
#include <richedit.h>

#include "controls/ButtonLayout.h"
#include "editor/EditorClock.h"
#include "editor/PluginHost.h"

namespace TervaneControl {

namespace {

// Far beyond any movie, and within what the hour field can show.
constexpr double kMostSeconds = 1e12;
// 17.5 points, the height of the box's text.
constexpr LONG kTextTwips = 350;

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

CTimeEditBox::~CTimeEditBox()
{
    if (m_library == nullptr)
        return;
    // A window of the library's class outliving it would call into freed code.
    if (m_edit != nullptr && IsWindow(m_edit))
        DestroyWindow(m_edit);
    m_edit = nullptr;
    FreeLibrary(m_library);
}

bool CTimeEditBox::Create(const EditBoxData& data, HWND parent, HWND editor)
{
    m_data = data;
    m_textColour = kTextColour;
    m_library = LoadLibraryA("RICHED32.DLL");
    if (m_library != nullptr && CreateEdit(L"RICHEDIT", m_data.m_richStyle, parent, editor)) {
        m_richEdit = true;
        CHARFORMATA format = {};
        format.cbSize = sizeof format;
        format.dwMask = CFM_BOLD | CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_CHARSET;
        format.dwEffects = CFE_BOLD;
        format.yHeight = kTextTwips;
        format.crTextColor = kTextColour;
        format.bCharSet = SHIFTJIS_CHARSET;
        std::strncpy(format.szFaceName, "ＭＳ ゴシック", sizeof format.szFaceName - 1);
        // The default format too, so that the text set on every pass keeps it.
        SendMessageW(m_edit, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
        if (SendMessageW(m_edit, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format)) != 0)
            SendMessageW(m_edit, EM_SETBKGNDCOLOR, 0, RGB(0, 0, 0));
    } else if (!CreateEdit(L"EDIT", m_data.m_style, parent, editor)) {
        return false;
    }
    SetWindowTextW(m_edit, FormatMediaTime(0.0).c_str());
    return true;
}

void CTimeEditBox::SetRecording(bool recording)
{
    if (recording == m_recording)
        return;
    m_recording = recording;
    m_textColour = recording ? kRecordingColour : kTextColour;
    if (m_edit == nullptr)
        return;
    if (m_richEdit) {
        CHARFORMATA format = {};
        format.cbSize = sizeof format;
        format.dwMask = CFM_COLOR;
        format.crTextColor = m_textColour;
        SendMessageW(m_edit, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
        SendMessageW(m_edit, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    }
    InvalidateRect(m_edit, nullptr, TRUE);
    m_changed = true;
}

void CTimeEditBox::ShowNote(const std::wstring& text, uint32_t milliseconds)
{
    m_note = text;
    m_noteUntil = EditorMilliseconds() + milliseconds;
}

void CTimeEditBox::OnDraw(HDC dc)
{
    // Wrap-around safe: the note holds while its end lies ahead of the clock.
    if (!m_note.empty() && static_cast<int32_t>(m_noteUntil - EditorMilliseconds()) <= 0)
        m_note.clear();
    double position = 0.0;
    if (m_edit != nullptr && (!m_note.empty() || m_host.Position(position))) {
        const std::wstring text = m_note.empty() ? FormatMediaTime(position) : m_note;
        // Set only when it changed (typing changes it too): a rich edit repaints on every set.
        wchar_t shown[48] = {};
        GetWindowTextW(m_edit, shown, sizeof shown / sizeof shown[0]);
        if (text != shown) {
            SetWindowTextW(m_edit, text.c_str());
            m_changed = true;
        }
    }
    CEditBox::OnDraw(dc);
}

} // namespace TervaneControl
