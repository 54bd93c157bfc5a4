#include "timesheet/TimeLineObject.h"
#include "editor/Font.h"

#include <algorithm>
#include <cwchar>

#include "editor/PaintLook.h"
#include "editor/PluginMessages.h"
#include "timesheet/TimeLineButtonManager.h"

namespace {

constexpr COLORREF kFrameInk = RGB(200, 212, 255);

// Text is laid out glyph by glyph even where nothing of it will show: a tick that paints the
// graph again leaves the captions beside it alone.
void Caption(HDC dc, int x, int y, const wchar_t* text)
{
    // The captions are a few narrow characters: "Time", "Level", "10".
    const RECT reach = {x, y, x + 40, y + 16};
    if (!RectVisible(dc, &reach))
        return;
    DrawTextAt(dc, x, y, text, std::wcslen(text));
}

void NameLine(HDC dc, int left, int top, int right, const std::wstring& text)
{
    RECT rect = {left, top, right, top + 15};
    if (RectVisible(dc, &rect))
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_SINGLELINE);
}

} // namespace

CTimeLineObject::~CTimeLineObject() = default;

void CTimeLineObject::Create(ITimeLineHost* host, CTervaneManager* device, CTimeLineButtonManager* manager,
                             HWND window)
{
    m_host = host;
    m_device = device;
    m_manager = manager;
    m_window = window;
    m_gothic10.Reset(CreateEditorFont(10, kGothicFace));
    m_pop14.Reset(CreateEditorFont(14, kPopFace));
    m_pop16.Reset(CreateEditorFont(16, kPopFace));
    m_pop10.Reset(CreateEditorFont(10, kPopFace));
    m_gothic10Underlined.Reset(CreateEditorFont(10, kGothicFace, FW_NORMAL, true));
    m_gothic14.Reset(CreateEditorFont(14, kGothicFace));
}

LRESULT CTimeLineObject::HandleMessage(HWND, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_PAINT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PLUGIN_SIZEMODE: {
        SizeMode mode;
        if (SizeModeFromRequest(wParam, mode))
            m_sizeMode = mode;
        return 0;
    }
    default:
        return 0;
    }
}

void CTimeLineObject::NoteLook(HDC dc, double now, int right) const
{
    const bool wide = m_sizeMode == kSizeModeWide;
    const std::wstring media = m_host != nullptr ? m_host->MediaName() : L"not filename";
    const std::wstring sheet = m_host != nullptr ? m_host->TimeSheetName() : L"not filename";
    PaintLook::Note(dc, RECT{wide ? 120 : 115, 4, wide ? right : 330, 34},
                    CLookDigest().Add(static_cast<int32_t>(m_sizeMode)).Add(right).Add(media).Add(sheet).Value());
    if (m_sizeMode == kSizeModeMini || m_manager == nullptr)
        return;
    // The captions lie beside the grid, within what the points may reach; below it, "Level"
    // is painted with the graph only where it follows the window's right edge.
    RECT bounds = m_manager->LookBounds();
    if (!m_fixedCaptionsElsewhere)
        bounds.top = std::min<LONG>(bounds.top, 110);
    if (wide || !m_fixedCaptionsElsewhere)
        bounds.bottom = std::max<LONG>(bounds.bottom, (wide ? 441 : 295) + 16);
    PaintLook::Note(dc, bounds,
                    CLookDigest().Add(static_cast<int32_t>(m_sizeMode)).Add(right).Add(m_manager->GraphLook(now)).Value());
}

void CTimeLineObject::PaintFixedCaptions(HDC dc, SizeMode mode) const
{
    if (dc == nullptr || mode == kSizeModeMini)
        return;
    SetBkMode(dc, TRANSPARENT);
    const COLORREF oldInk = SetTextColor(dc, kFrameInk);
    const CScopedFont font(dc, m_gothic10.Get());
    const bool wide = mode == kSizeModeWide;
    Caption(dc, wide ? 10 : 2, 117, L"Time");
    if (!wide)
        Caption(dc, 473, 295, L"Level");
    wchar_t number[8];
    for (int level = 10; level >= 0; --level) {
        std::swprintf(number, 8, L"%d", level);
        Caption(dc, wide ? 974 : 474, (wide ? 144 : 130) + (10 - level) * (wide ? 27 : 15), number);
    }
    SetTextColor(dc, oldInk);
}

void CTimeLineObject::Paint(HDC dc)
{
    if (dc == nullptr)
        return;
    double now = 0.0;
    if (m_host == nullptr || !m_host->ReadPosition(now))
        now = 0.0;
    SetBkMode(dc, TRANSPARENT);
    const COLORREF oldInk = SetTextColor(dc, kFrameInk);
    int right = 1000;
    RECT client;
    if (m_window != nullptr && GetClientRect(m_window, &client) && client.right > 0)
        right = client.right;
    if (PaintLook::Recording(dc)) {
        NoteLook(dc, now, right);
        SetTextColor(dc, oldInk);
        return;
    }

    if (m_sizeMode != kSizeModeMini) {
        if (!m_fixedCaptionsElsewhere)
            PaintFixedCaptions(dc, static_cast<SizeMode>(m_sizeMode));
        if (m_sizeMode == kSizeModeWide) {
            const CScopedFont font(dc, m_gothic10.Get());
            Caption(dc, right - 30, 441, L"Level");
        }
    }
    const bool wide = m_sizeMode == kSizeModeWide;
    const RECT names = {wide ? 120 : 115, 4, wide ? right : 330, 34};
    if (RectVisible(dc, &names)) {
        const CScopedFont font(dc, m_gothic14.Get());
        const std::wstring media = m_host != nullptr ? m_host->MediaName() : L"not filename";
        const std::wstring sheet = m_host != nullptr ? m_host->TimeSheetName() : L"not filename";
        NameLine(dc, names.left, 4, names.right, media);
        NameLine(dc, names.left, 19, names.right, sheet);
    }
    SetTextColor(dc, oldInk);
    if (m_sizeMode != kSizeModeMini && m_manager != nullptr)
        m_manager->PaintGraph(dc, now);
}
