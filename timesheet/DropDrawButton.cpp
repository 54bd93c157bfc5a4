#include "timesheet/DropDrawButton.h"

#include "controls/ButtonLayout.h"
#include "editor/EditorContext.h"
#include "editor/PluginMessages.h"
#include "timesheet/TimeLineGeometry.h"

namespace {

constexpr int32_t kPatternColumns = 10;
constexpr int32_t kMaxPattern = 9;

} // namespace

CDropDrawButton::CDropDrawButton(IDropHost& host) : m_host(host) {}

CDropDrawButton::~CDropDrawButton()
{
    Destroy();
}

TervaneControl::ButtonData CDropDrawButton::MakeData(const std::string& skinFolder)
{
    TervaneControl::ButtonData data;
    data.m_style = WS_CHILD | BS_OWNERDRAW; // hidden: only its image is ever seen
    data.m_width = kPointSize;
    data.m_height = kPointSize;
    data.m_skinPath = skinFolder + "\\obj\\a002_000.bmp";
    data.m_maskPath = skinFolder + "\\obj\\a002_000_alp.bmp";
    data.m_controlId = kControlId;
    data.m_columns = kPatternColumns;
    data.m_rows = TervaneControl::kButtonSkinRows;
    data.m_extra1 = 10;
    data.m_extra2 = 5;
    return data;
}

bool CDropDrawButton::Create(const TervaneControl::ButtonData& data, HWND parent, HWND editor)
{
    Destroy();
    m_data = data;
    m_editor = editor;
    m_hotX = m_data.m_width / 2;
    m_hotY = m_data.m_height / 2;
    m_window = CreateWindowExW(0, L"BUTTON", L"", m_data.m_style & ~WS_VISIBLE, 0, 0, m_data.m_width,
                               m_data.m_height, parent,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(m_data.m_controlId)),
                               EditorContext().instance, nullptr);
    if (m_window != nullptr)
        EnableWindow(m_window, FALSE);
    SetColumn(m_pattern);
    return m_window != nullptr;
}

void CDropDrawButton::Destroy()
{
    if (m_window != nullptr && IsWindow(m_window))
        DestroyWindow(m_window);
    m_window = nullptr;
}

void CDropDrawButton::SetColumn(int32_t column)
{
    m_pattern = column;
}

void CDropDrawButton::OnDraw(HDC dc)
{
    if (m_window == nullptr || !m_shown)
        return;
    POINT cursor;
    if (!m_host.CursorInParent(cursor))
        return;
    OnPointerMoved(m_window, cursor.x, cursor.y);
    m_host.PaintDropImage(dc, m_imageX, m_imageY, m_pattern);
}

void CDropDrawButton::OnPointerMoved(HWND, int32_t x, int32_t y)
{
    m_imageX = x - m_hotX;
    m_imageY = y - m_hotY;
}

void CDropDrawButton::OnPattern(WPARAM wParam, LPARAM lParam)
{
    if (wParam <= static_cast<WPARAM>(kMaxPattern))
        SetColumn(static_cast<int32_t>(wParam));
    // Clearing the pattern selection is no choice of a pattern: selected points keep theirs.
    if (lParam != 100 && wParam <= static_cast<WPARAM>(kMaxPattern))
        m_host.RepatternSelected(static_cast<int32_t>(wParam));
}

LRESULT CDropDrawButton::OnLButtonDown(HWND, WPARAM, uint32_t, uint32_t)
{
    POINT cursor;
    // The image follows the pointer only once a tick; the click itself decides, so that
    // a click right after the pointer came over a free spot is not lost.
    const bool free = m_window != nullptr && m_host.CursorInParent(cursor) && m_host.IsOverFreeSpot(cursor);
    if (m_editor != nullptr)
        SetFocus(m_editor);
    // Shift and a press start a selection band instead.
    if (!free || GetKeyState(VK_SHIFT) < 0)
        return 0;
    m_host.AddPointAt(cursor, m_pattern);
    m_dropped = true;
    return 1;
}

void CDropDrawButton::OnMouseWheel(HWND, WPARAM wParam, LPARAM)
{
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
    int32_t pattern = m_pattern + delta;
    if (pattern < 0)
        pattern = 0;
    if (pattern > kMaxPattern)
        pattern = kMaxPattern;
    SetColumn(pattern);
    if (m_editor != nullptr)
        SendMessageW(m_editor, WM_PLUGIN_PATTERN, static_cast<WPARAM>(pattern), 0);
}
