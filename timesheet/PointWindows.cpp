#include "timesheet/PointWindows.h"

#include <algorithm>

#include "editor/EditorContext.h"
#include "editor/PluginMessages.h"
#include "timesheet/TimeLineGeometry.h"

namespace {

constexpr UINT kPlaceFlags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOREDRAW |
                             SWP_NOCOPYBITS | SWP_NOSENDCHANGING;

// Window moves go into one batch when there is one; a batch that could not grow is given up
// and the rest move one by one.
void Position(HDWP& batch, HWND window, int x, int y, UINT flags)
{
    if (batch != nullptr) {
        batch = DeferWindowPos(batch, window, nullptr, x, y, 0, 0, flags);
        if (batch != nullptr)
            return;
    }
    SetWindowPos(window, nullptr, x, y, 0, 0, flags);
}

} // namespace

CPointWindows::CPointWindows(IPointWindowsOwner& owner, IPointHost& host) : m_owner(owner), m_host(host) {}

CPointWindows::~CPointWindows()
{
    Detach();
}

void CPointWindows::Attach(HWND parent, HWND tooltip)
{
    m_parent = parent;
    m_tooltip = tooltip;
    if (m_tooltip != nullptr)
        SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
}

void CPointWindows::Detach()
{
    for (auto& point : m_points)
        GiveFocusBack(point.second);
    for (auto& point : m_points)
        point.second.button->DestroyWindowNow(m_tooltip);
    for (std::vector<Slot>* slots : {&m_spare, &m_retired})
        for (Slot& slot : *slots)
            slot.button->DestroyWindowNow(m_tooltip);
    m_points.clear();
    m_spare.clear();
    m_retired.clear();
    m_parent = nullptr;
    m_tooltip = nullptr;
    m_nextId = kFirstId;
}

void CPointWindows::WriteTooltip(Slot& slot, bool add)
{
    slot.tooltipCurrent = true;
    const HWND window = slot.button->GetWindow();
    if (m_tooltip == nullptr || window == nullptr)
        return;
    const std::wstring text = m_owner.TooltipOf(slot.button->Key());
    TOOLINFOW info = {};
    info.cbSize = sizeof(info);
    // The window relays the pointer to the tooltip itself: the tooltip's own subclassing made
    // every message to the window cost some 70 microseconds under Wine, and a window is handed
    // to another point at nearly every tick of a dense sheet under a resting pointer.
    info.uFlags = 0;
    info.uId = 1;
    info.hwnd = window;
    info.hinst = EditorContext().instance;
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    if (!add) {
        SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
        return;
    }
    GetClientRect(window, &info.rect);
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageW(m_tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(100, 0));
    SendMessageW(m_tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(30000, 0));
    SendMessageW(window, WM_TOOLTIP_ATTACH, reinterpret_cast<WPARAM>(m_tooltip), 0);
}

CPointWindows::Slot* CPointWindows::Make(int32_t key, const RECT& face)
{
    Slot slot;
    slot.button.reset(new CTimeSheetButton(m_host, key));
    const uint32_t id = static_cast<uint32_t>(m_nextId);
    // Identifiers stay within the 16 bits a command message carries.
    m_nextId = m_nextId >= 0xFFFF ? kFirstId : m_nextId + 1;
    if (!slot.button->Create(m_parent, face.left, face.top, id))
        return nullptr;
    slot.x = face.left;
    slot.y = face.top;
    slot.shown = true;
    WriteTooltip(slot, true);
    Slot& stored = m_points[key];
    stored = std::move(slot);
    return &stored;
}

void CPointWindows::Move(Slot& slot, const RECT& face, HDWP& batch)
{
    if (!slot.tooltipCurrent)
        WriteTooltip(slot, false);
    if (slot.shown && slot.x == face.left && slot.y == face.top)
        return;
    Position(batch, slot.button->GetWindow(), face.left, face.top, kPlaceFlags | SWP_SHOWWINDOW);
    slot.x = face.left;
    slot.y = face.top;
    slot.shown = true;
}

void CPointWindows::GiveFocusBack(const Slot& slot) const
{
    const HWND window = slot.button->GetWindow();
    const HWND editor = m_host.EditorWindow();
    if (window != nullptr && GetFocus() == window && editor != nullptr && IsWindow(editor))
        SetFocus(editor);
}

void CPointWindows::HideAway(Slot& slot, HDWP& batch)
{
    GiveFocusBack(slot);
    if (!slot.shown)
        return;
    Position(batch, slot.button->GetWindow(), 0, 0, kPlaceFlags | SWP_NOMOVE | SWP_HIDEWINDOW);
    slot.shown = false;
}

void CPointWindows::Retire(Slot&& slot)
{
    HDWP none = nullptr;
    HideAway(slot, none);
    m_retired.push_back(std::move(slot));
}

CTimeSheetButton* CPointWindows::Give(int32_t key)
{
    RECT face;
    if (m_parent == nullptr || !m_owner.FaceOf(key, face))
        return nullptr;
    HDWP none = nullptr;
    const auto found = m_points.find(key);
    if (found != m_points.end()) {
        Move(found->second, face, none);
        return found->second.button.get();
    }
    // Past the bound, the first window that nobody presses makes room.
    if (m_points.size() >= kMostWindows) {
        for (auto it = m_points.begin(); it != m_points.end(); ++it) {
            if (!it->second.button->IsArmed()) {
                HideAway(it->second, none);
                m_spare.push_back(std::move(it->second));
                m_points.erase(it);
                break;
            }
        }
    }
    if (m_spare.empty())
        return Make(key, face) != nullptr ? m_points[key].button.get() : nullptr;
    Slot slot = std::move(m_spare.back());
    m_spare.pop_back();
    slot.button->Rekey(key);
    slot.tooltipCurrent = false;
    Move(slot, face, none);
    Slot& stored = m_points[key];
    stored = std::move(slot);
    return stored.button.get();
}

void CPointWindows::ForgetAll()
{
    for (auto& point : m_points)
        Retire(std::move(point.second));
    m_points.clear();
    for (Slot& slot : m_spare)
        m_retired.push_back(std::move(slot));
    m_spare.clear();
    m_nextId = kFirstId;
}

void CPointWindows::Follow(const std::function<bool(int32_t)>& changed)
{
    for (auto it = m_points.begin(); it != m_points.end();) {
        if (!changed(it->first)) {
            ++it;
        } else if (!m_owner.HasPoint(it->first)) {
            Retire(std::move(it->second));
            it = m_points.erase(it);
        } else {
            WriteTooltip(it->second, false);
            ++it;
        }
    }
}

void CPointWindows::Refresh()
{
    for (Slot& slot : m_retired)
        slot.button->DestroyWindowNow(m_tooltip);
    m_retired.clear();
    // A window whose point scrolled out of view is set aside where it is, not hidden: keyed to
    // no point, it lets the pointer through, and hiding cost a window move at nearly every
    // tick of a sheet with a point in every tenth.
    for (auto it = m_points.begin(); it != m_points.end();) {
        if (it->second.button->IsArmed() || m_owner.IsKeyShown(it->first)) {
            ++it;
            continue;
        }
        GiveFocusBack(it->second);
        it->second.button->Rekey(INT32_MIN);
        m_spare.push_back(std::move(it->second));
        it = m_points.erase(it);
    }
}

void CPointWindows::SpareAllBut(const std::vector<int32_t>& keep, HDWP& batch)
{
    for (auto it = m_points.begin(); it != m_points.end();) {
        if (it->second.button->IsArmed() || std::find(keep.begin(), keep.end(), it->first) != keep.end()) {
            ++it;
            continue;
        }
        HideAway(it->second, batch);
        if (m_spare.size() < kMostWindows)
            m_spare.push_back(std::move(it->second));
        else
            m_retired.push_back(std::move(it->second));
        it = m_points.erase(it);
    }
}

void CPointWindows::Sync(POINT at)
{
    if (m_parent == nullptr || !m_owner.IsNearGraph(at))
        return;
    std::vector<int32_t> keys;
    m_owner.KeysNear(at, kReach, kMostWindows, keys);
    HDWP batch = BeginDeferWindowPos(static_cast<int>(keys.size() + m_points.size()));
    SpareAllBut(keys, batch);
    for (int32_t key : keys) {
        RECT face;
        if (!m_owner.FaceOf(key, face))
            continue;
        const auto found = m_points.find(key);
        if (found != m_points.end()) {
            Move(found->second, face, batch);
        } else if (!m_spare.empty()) {
            Slot slot = std::move(m_spare.back());
            m_spare.pop_back();
            slot.button->Rekey(key);
            slot.tooltipCurrent = false;
            Move(slot, face, batch);
            m_points[key] = std::move(slot);
        } else {
            Make(key, face);
        }
    }
    if (batch != nullptr)
        EndDeferWindowPos(batch);
    // Where points overlap, the window of the one drawn on top takes the pointer.
    int32_t top = 0;
    const HWND window = m_owner.TopmostKeyAt(at, top) ? WindowOf(top) : nullptr;
    if (window != nullptr && GetWindow(m_parent, GW_CHILD) != window)
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, (kPlaceFlags & ~SWP_NOZORDER) | SWP_NOMOVE);
}

void CPointWindows::FollowAtRest(POINT at)
{
    if (m_parent == nullptr)
        return;
    if (!m_owner.IsNearGraph(at)) {
        // Away from the graph no window is of use: hidden together now, rather than one by
        // one at the ticks where their points scroll out of view.
        if (!m_points.empty()) {
            HDWP batch = BeginDeferWindowPos(static_cast<int>(m_points.size()));
            SpareAllBut({}, batch);
            if (batch != nullptr)
                EndDeferWindowPos(batch);
        }
        return;
    }
    // Nothing is moved or hidden while the pointer rests: moving a window costs more, on the
    // system's side, than the rest of the tick, and a window whose point scrolled away lets
    // the pointer through. The pointer's next move places every window at its point again,
    // and a press takes the face's place from the graph.
    int32_t top = 0;
    if (!m_owner.TopmostKeyAt(at, top))
        return;
    const auto covers = [at](const Slot& slot) {
        return slot.shown && at.x >= slot.x && at.x < slot.x + kPointSize && at.y >= slot.y && at.y < slot.y + kPointSize;
    };
    const auto own = m_points.find(top);
    if (own != m_points.end() && (covers(own->second) || own->second.button->IsArmed())) {
        if (!own->second.tooltipCurrent)
            WriteTooltip(own->second, false);
        return;
    }
    // On a dense sheet another point comes under a resting pointer at nearly every tick: the
    // window there is handed to it. Where the point has a window elsewhere, the two trade.
    for (auto it = m_points.begin(); it != m_points.end(); ++it) {
        Slot& slot = it->second;
        if (it->first == top || !covers(slot) || slot.button->IsArmed())
            continue;
        GiveFocusBack(slot);
        if (own == m_points.end()) {
            Slot handed = std::move(slot);
            m_points.erase(it);
            handed.button->Rekey(top);
            Slot& given = m_points[top];
            given = std::move(handed);
            WriteTooltip(given, false);
            return;
        }
        GiveFocusBack(own->second);
        std::swap(slot, own->second);
        slot.button->Rekey(it->first);
        slot.tooltipCurrent = false;
        own->second.button->Rekey(top);
        WriteTooltip(own->second, false);
        return;
    }
    const CTimeSheetButton* button = Give(top);
    const HWND window = button != nullptr ? button->GetWindow() : nullptr;
    if (window != nullptr && GetWindow(m_parent, GW_CHILD) != window)
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, (kPlaceFlags & ~SWP_NOZORDER) | SWP_NOMOVE);
}

void CPointWindows::PlaceAll()
{
    HDWP batch = BeginDeferWindowPos(static_cast<int>(m_points.size()));
    for (auto it = m_points.begin(); it != m_points.end();) {
        RECT face;
        if (!it->second.button->IsArmed() && !m_owner.FaceOf(it->first, face)) {
            HideAway(it->second, batch);
            m_spare.push_back(std::move(it->second));
            it = m_points.erase(it);
            continue;
        }
        if (!it->second.button->IsArmed())
            Move(it->second, face, batch);
        ++it;
    }
    if (batch != nullptr)
        EndDeferWindowPos(batch);
}

void CPointWindows::Place(int32_t key)
{
    const auto found = m_points.find(key);
    RECT face;
    if (found == m_points.end() || !m_owner.FaceOf(key, face))
        return;
    HDWP none = nullptr;
    // The window left its place with a drag: it moves back whatever it remembers.
    found->second.shown = false;
    Move(found->second, face, none);
}

void CPointWindows::UpdateTooltip(int32_t key)
{
    const auto found = m_points.find(key);
    if (found != m_points.end())
        WriteTooltip(found->second, false);
}

HWND CPointWindows::WindowOf(int32_t key) const
{
    const auto found = m_points.find(key);
    return found != m_points.end() ? found->second.button->GetWindow() : nullptr;
}

int32_t CPointWindows::KeyOf(HWND window) const
{
    if (window == nullptr)
        return INT32_MIN;
    for (const auto& point : m_points)
        if (point.second.button->GetWindow() == window)
            return point.first;
    return INT32_MIN;
}

CTimeSheetButton* CPointWindows::PressedButton() const
{
    for (const auto& point : m_points)
        if (point.second.button->IsArmed())
            return point.second.button.get();
    return nullptr;
}

const CTimeSheetButton* CPointWindows::Pressed() const
{
    return PressedButton();
}

bool CPointWindows::CancelPress()
{
    CTimeSheetButton* button = PressedButton();
    if (button == nullptr)
        return false;
    button->CancelPress();
    if (GetCapture() == button->GetWindow())
        ReleaseCapture();
    return true;
}

LRESULT CPointWindows::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    POINT at;
    int32_t key = 0;
    switch (message) {
    case WM_PAINT:
        m_owner.PaintPoints(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_LBUTTONDOWN: {
        if (!m_host.CursorInParent(at) || !m_owner.TopmostKeyAt(at, key))
            return 0;
        RECT face;
        CTimeSheetButton* button = m_owner.FaceOf(key, face) ? Give(key) : nullptr;
        if (button == nullptr)
            return 0;
        button->Press(at, face);
        return 1;
    }
    case WM_RBUTTONDOWN: {
        if (!m_host.CursorInParent(at) || !m_owner.TopmostKeyAt(at, key))
            return 0;
        CTimeSheetButton* button = Give(key);
        if (button == nullptr)
            return 0;
        button->RightPress();
        return 1;
    }
    case WM_LBUTTONUP:
        if (CTimeSheetButton* button = PressedButton())
            return button->OnLButtonUp(window, wParam, 0, 0);
        return 0;
    case WM_MOUSEMOVE:
    case WM_PLUGIN_HOVER:
        if (CTimeSheetButton* button = PressedButton())
            button->OnHover(wParam, 0, 0);
        else if (m_host.CursorInParent(at))
            Sync(at);
        return 0;
    default:
        return 0;
    }
}
