#include "controls/FileEditBox.h"
#include "editor/NoThrow.h"
#include "editor/Font.h"

#include "base/file/FilePath.h"
#include "controls/ButtonLayout.h"
#include "editor/PluginMessages.h"

namespace TervaneControl {

namespace {

constexpr int kMostTextBytes = 512;

} // namespace

EditBoxData CFileEditBox::MakeData(const std::string& moduleDirectory)
{
    EditBoxData data;
    data.m_style = WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL;
    data.m_normalX = data.m_wideX = data.m_miniX = 20;
    data.m_normalY = data.m_wideY = data.m_miniY = 37;
    data.m_normalWidth = 444;
    data.m_wideWidth = 938;
    data.m_miniWidth = 400;
    data.m_normalHeight = data.m_wideHeight = data.m_miniHeight = 33;
    const char* const frames[] = {"\\obj\\a000_004", "\\obj\\b000_001", "\\obj\\c000_001"};
    for (int i = 0; i < 3; ++i) {
        data.m_paths[1 + i] = moduleDirectory + frames[i] + ".bmp";
        data.m_paths[4 + i] = moduleDirectory + frames[i] + "_alp.bmp";
    }
    data.m_controlId = kIdFileNameBox;
    return data;
}

CFileEditBox::~CFileEditBox()
{
    if (m_edit != nullptr && m_previousProc != nullptr && IsWindow(m_edit)) {
        SetWindowLongPtrW(m_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
        SetWindowLongPtrW(m_edit, GWLP_USERDATA, 0);
    }
}

bool CFileEditBox::Create(const EditBoxData& data, HWND parent, HWND editor)
{
    m_data = data;
    if (!CreateEdit(L"EDIT", m_data.m_style, parent, editor))
        return false;
    m_font.SetHandle(CreateEditorFont(14, L"ＭＳ ゴシック"));
    SendMessageW(m_edit, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.GetHandle()), FALSE);
    SetWindowLongPtrW(m_edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_previousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CFileEditBox::EditProc)));
    return true;
}

void CFileEditBox::OnFileName(LPARAM path)
{
    if (m_edit == nullptr || path == 0)
        return;
    SetWindowTextA(m_edit, reinterpret_cast<const char*>(path));
    InvalidateRect(m_edit, nullptr, FALSE);
    UpdateWindow(m_edit);
}

std::string CFileEditBox::CleanTypedPath(const std::string& text)
{
    // Blanks, line ends and quotes are single bytes that no Shift-JIS character ends with.
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    size_t begin = 0;
    while (begin < text.size() && isBlank(text[begin]))
        ++begin;
    size_t end = text.find_first_of("\r\n", begin);
    if (end == std::string::npos)
        end = text.size();
    while (end > begin && isBlank(text[end - 1]))
        --end;
    if (end - begin >= 2 && text[begin] == '"' && text[end - 1] == '"') {
        ++begin;
        --end;
        while (begin < end && isBlank(text[begin]))
            ++begin;
        while (end > begin && isBlank(text[end - 1]))
            --end;
    }
    return text.substr(begin, end - begin);
}

void CFileEditBox::OnEnter()
{
    char text[kMostTextBytes] = {};
    GetWindowTextA(m_edit, text, sizeof text);
    const std::string path = CleanTypedPath(text);
    // Every name typed goes to the load, which says why one that is no sheet does not load.
    if (!path.empty())
        SendMessageW(m_parent, WM_PLUGIN_OPENPATH, 0, reinterpret_cast<LPARAM>(path.c_str()));
}

LRESULT CALLBACK CFileEditBox::EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return NoThrow(0, [&] { return EditProcGuarded(window, message, wParam, lParam); });
}

LRESULT CFileEditBox::EditProcGuarded(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CFileEditBox* box = reinterpret_cast<CFileEditBox*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (box == nullptr || box->m_previousProc == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    const WNDPROC previous = box->m_previousProc;
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN && GetFocus() == window)
            box->OnEnter();
        break;
    case WM_CHAR:
        // A multi-line box would take a line break from Enter or Ctrl+Enter.
        if (wParam == '\r' || wParam == '\n')
            return 0;
        break;
    case WM_DESTROY:
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        box->m_previousProc = nullptr;
        box->m_edit = nullptr;
        break;
    default:
        break;
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

} // namespace TervaneControl
