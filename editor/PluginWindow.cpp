#include "editor/PluginWindow.h"

#include <commctrl.h>

#include "controls/ButtonLayout.h"
#include "device/TervaneManager.h"
#include "editor/EditorContext.h"
#include "editor/ModulePath.h"
#include "editor/PlayStates.h"
#include "editor/PluginHost.h"
#include "editor/PointerSample.h"
#include "editor/SettingsFile.h"
#include "editor/SiteAddress.h"
#include "timesheet/DropDrawButton.h"
#include "timesheet/TimeLineButtonManager.h"

namespace {

const wchar_t kClassName[] = L"TervanePluginWindow";

struct SizeModeClient {
    int width;
    int height;
};
const SizeModeClient kClientSizes[] = {{500, 600}, {1000, 750}, {500, 74}};

IHtmlDocumentSource* g_newsSource = nullptr;

// The control tooltips, in the order they are added.
struct TooltipOfControl {
    uint32_t controlId;
    const wchar_t* text;
};
const TooltipOfControl kControlTooltips[] = {
    {TervaneControl::kIdManual, L"マニュアルを表示します"},
    {TervaneControl::kIdZoomOut, L"グラフ表示を縮小します"},
    {TervaneControl::kIdZoomIn, L"グラフ表示を拡大します"},
    {TervaneControl::kIdLink, L"Pelmor公式サイトを開きます"},
    {TervaneControl::kIdInsert, L"タイムシート用データを挿入します。パターンとレベルを選択後押してください"},
    {TervaneControl::kIdStop, L"ムービー再生の停止を行います"},
    {TervaneControl::kIdPlayPause, L"ムービーの再生、一時停止を行います"},
    {TervaneControl::kIdWindowEnlarge, L"ウィンドウのサイズを変更します"},
    {TervaneControl::kIdWindowShrink, L"ウィンドウのサイズを変更します"},
    {TervaneControl::kIdSave, L"タイムシートの保存を行います"},
    {TervaneControl::kIdLoad, L"タイムシートの読み込みを行います"},
    {TervaneControl::kIdDeleteAll, L"タイムシートデータを全部削除します"},
    {TervaneControl::kIdPreview, L"選択されたパターンとレベルでテルベーンのプレビューを行います"},
    {TervaneControl::kIdSpeedDown, L"再生速度を下げます"},
    {TervaneControl::kIdSpeedUp, L"再生速度を上げます"},
    {TervaneControl::kIdPreviousPoint, L"前のポイントに移動します"},
    {TervaneControl::kIdNextPoint, L"次のポイントに移動します"},
};
const wchar_t kPatternTooltip[] = L"パターン番号を選択";
const wchar_t kLevelTooltip[] = L"レベル番号を選択";

} // namespace

void ResizeClientArea(HWND window, int cx, int cy)
{
    RECT frame, client;
    if (window == nullptr || !GetWindowRect(window, &frame) || !GetClientRect(window, &client))
        return;
    const int width = (frame.right - frame.left) - (client.right - client.left) + cx;
    const int height = (frame.bottom - frame.top) - (client.bottom - client.top) + cy;
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE);
}

void UnregisterPluginWindowClass(HINSTANCE instance)
{
    UnregisterClassW(kClassName, instance);
}

void CPluginWindow::SetNewsDocumentSource(IHtmlDocumentSource* source)
{
    g_newsSource = source;
}

CPluginWindow::CPluginWindow(IPluginHost& owner)
    : m_owner(owner), m_manualButton(owner), m_windowButton(owner), m_fileButton(owner), m_graphButton(owner),
      m_pointMoveButton(owner), m_selectButton(owner), m_speedButton(owner), m_movieScrollButton(owner),
      m_patternButton(owner), m_levelButton(owner), m_insertButton(owner), m_playViewButton(owner),
      m_allDeleteButton(owner), m_linkButton(owner), m_timeEditBox(owner), m_bitmapScroll(owner), m_allTimeBar(owner)
{
}

CPluginWindow::~CPluginWindow()
{
    m_windowHooks.Clear();
    const HWND window = Handle();
    if (window != nullptr && IsWindow(window))
        DestroyWindow(window);
}

HWND CPluginWindow::Create(HWND parent, HINSTANCE instance)
{
    const RECT rect = {0, 0, kBackBufferWidth, kBackBufferHeight};
    return CreateWindowImpl(instance, kClassName, parent, rect, L"TervanePlugin", kStyle, 0);
}

bool CPluginWindow::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (message) {
    case WM_CREATE:
        result = OnCreate(window);
        return true;
    case WM_DESTROY:
        OnDestroy(window);
        return false;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && IsWindow(window))
            SetFocus(window);
        return true;
    case WM_CLOSE:
        OnClose(window);
        return true;
    case WM_TIMER:
        if (IsDueTimer(wParam)) {
            OnDueTimer(wParam);
        } else {
            OnTimer();
            RunOverdueTimers();
        }
        return true;
    case WM_PLUGIN_SIZEMODE:
        OnSizeMode(window, wParam);
        return true;
    case WM_NCMOUSEMOVE:
        Forward(window, WM_MOUSEMOVE, wParam, lParam);
        return false;
    case WM_NCLBUTTONUP:
        Forward(window, WM_LBUTTONUP, wParam, lParam);
        return false;
    case WM_PLUGIN_STOPPED:
    case WM_PLUGIN_PAUSED:
        EndRecordingRun();
        KillDueTimers();
        Forward(window, message, wParam, lParam);
        return true;
    case WM_DRAWITEM:
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEWHEEL:
    case WM_DROPFILES:
    case WM_CAPTURECHANGED:
        Forward(window, message, wParam, lParam);
        return true;
    case WM_PLUGIN_MEDIAOPEN:
    case WM_PLUGIN_PLAYING:
    case WM_PLUGIN_READY:
    case WM_PLUGIN_PATTERN:
    case WM_PLUGIN_LEVEL:
    case WM_PLUGIN_FILENAME:
        Forward(window, message, wParam, lParam);
        return true;
    case WM_PLUGIN_TICKER:
        // The controls lay the headlines out for the window's own size mode.
        Forward(window, message, static_cast<WPARAM>(m_sizeMode), lParam);
        return true;
    default:
        return false;
    }
}

LRESULT CPluginWindow::Forward(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_parentStatic.HandleMessage(window, message, wParam, lParam);
}

LRESULT CPluginWindow::OnCreate(HWND window)
{
    m_instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    if (!m_parentStatic.Create(m_instance, window))
        return -1;
    CEditorContext& context = EditorContext();
    context.host = window;
    context.manager = m_owner.DeviceManager();
    context.timeLine = &m_owner.TimeLine();
    m_gdiplus.reset(new CGdiplusSession);

    const HWND parentStatic = m_parentStatic.GetWindow();
    const HDC backBuffer = m_parentStatic.GetBackBufferDC();
    const HDC scratch = m_parentStatic.GetScratchDC();
    const std::string moduleDirectory = ModuleDirectory(m_instance);

    CreateEditBoxes(window, moduleDirectory);
    m_background.InitializeFrom(parentStatic, scratch, backBuffer, moduleDirectory, &m_parser);
    ControlHookList().Add(&m_background);
    CreateBars(moduleDirectory);

    m_timeLineObject.Create(&m_owner, m_owner.DeviceManager(), &m_owner.TimeLine(), window);
    m_timeLineObject.LeaveFixedCaptions();
    m_background.SetFixedPainter([this](HDC dc, SizeMode mode) { m_timeLineObject.PaintFixedCaptions(dc, mode); });
    ControlHookList().Add(&m_timeLineObject);
    CreateButtons(window, moduleDirectory);
    // Painted into the back buffer over its frame, which the background draws.
    ControlHookList().Add(&m_timeEditBox);

    m_windowHooks.Add(&m_parentStatic);
    CreateTooltips(window);
    AddControlTooltips(window);

    CTimeLineButtonManager& timeLine = m_owner.TimeLine();
    timeLine.AttachWindow(m_balloonTooltip, backBuffer, parentStatic, moduleDirectory);
    CDropDrawButton* drop = timeLine.CreateDropButton(CDropDrawButton::MakeData(moduleDirectory), window);
    ControlHookList().Add(drop);
    timeLine.FinishSetUp();
    m_keys.Install(window, [this, window](const EditorKeyCommand& command) { return OnKey(window, command); });
    KeepInputMethodToEditBoxes(window);

    SetFocus(window);
    ReadSettings();

    m_parser.SetAddress(SiteAddressFromFile(moduleDirectory, kNewsAddressFile, kDefaultNewsAddress));
    m_parser.SetDocumentSource(g_newsSource);
    m_parser.SetTargetWindow(window);
    m_parser.StartParser();
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    return 0;
}

void CPluginWindow::CreateEditBoxes(HWND window, const std::string& moduleDirectory)
{
    const HWND parentStatic = m_parentStatic.GetWindow();
    m_fileEditBox.Create(TervaneControl::CFileEditBox::MakeData(moduleDirectory), parentStatic, window);
    ControlHookList().Add(&m_fileEditBox);
    m_timeEditBox.Create(TervaneControl::CTimeEditBox::MakeData(moduleDirectory));
}

void CPluginWindow::CreateBars(const std::string& moduleDirectory)
{
    const HDC backBuffer = m_parentStatic.GetBackBufferDC();
    const HDC scratch = m_parentStatic.GetScratchDC();
    TervaneControl::ButtonData bar;
    bar.m_skinPath = moduleDirectory + "\\obj\\a007_000.bmp";
    bar.m_normalX = 37;
    bar.m_normalY = 385;
    m_allTimeBar.Initialize(bar);
    m_allTimeBar.SetDrawContext(backBuffer, scratch);
    ControlHookList().Add(&m_allTimeBar);

    TervaneControl::ButtonData thumb;
    thumb.m_skinPath = moduleDirectory + "\\obj\\a003_001.bmp";
    m_bitmapScroll.Initialize(thumb, moduleDirectory);
    m_bitmapScroll.SetDrawContext(backBuffer, scratch);
    ControlHookList().Add(&m_bitmapScroll);
}

void CPluginWindow::CreateButtons(HWND window, const std::string& moduleDirectory)
{
    // In the order of the layout: the first window of each button decides its place.
    TervaneControl::CCommandButton* const buttons[] = {
        &m_manualButton,   &m_windowButton,      &m_fileButton,    &m_graphButton,    &m_pointMoveButton,
        &m_selectButton,   &m_movieScrollButton, &m_speedButton,   &m_insertButton,   &m_playViewButton,
        &m_linkButton,     &m_allDeleteButton,   &m_patternButton, &m_levelButton,
    };
    for (TervaneControl::CCommandButton* button : buttons) {
        button->Create(window, moduleDirectory);
        button->SetDrawContext(m_parentStatic.GetBackBufferDC(), m_parentStatic.GetScratchDC());
        ControlHookList().Add(button);
    }
}

void CPluginWindow::AddControlTooltips(HWND window)
{
    for (const TooltipOfControl& tooltip : kControlTooltips)
        AddControlTooltip(GetDlgItem(window, static_cast<int>(tooltip.controlId)), tooltip.text);
    for (int32_t i = 0; i < TervaneControl::kPatternCount; ++i)
        AddControlTooltip(GetDlgItem(window, TervaneControl::kIdFirstPattern + i), kPatternTooltip);
    for (int32_t i = 0; i < TervaneControl::kLevelCount; ++i)
        AddControlTooltip(GetDlgItem(window, TervaneControl::kIdFirstLevel + i), kLevelTooltip);
}

void CPluginWindow::CreateTooltips(HWND window)
{
    // The player has usually loaded the common controls already; a host that has not would
    // have no tooltip class without this.
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    m_balloonTooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, L"", WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                       m_instance, nullptr);
    if (m_balloonTooltip != nullptr)
        SendMessageW(m_balloonTooltip, TTM_SETTITLEW, TTI_INFO, reinterpret_cast<LPARAM>(L"右クリックで削除"));
    m_controlTooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, L"", WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, m_instance,
                                       nullptr);
}

void CPluginWindow::AddControlTooltip(HWND control, const wchar_t* text)
{
    if (m_controlTooltip == nullptr || control == nullptr)
        return;
    TOOLINFOW info = {};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_SUBCLASS;
    info.uId = 1;
    info.hinst = m_instance;
    info.hwnd = control;
    info.lpszText = const_cast<wchar_t*>(text);
    GetClientRect(control, &info.rect);
    SendMessageW(m_controlTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageW(m_controlTooltip, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(100, 0));
    SendMessageW(m_controlTooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(30000, 0));
    SendMessageW(control, WM_TOOLTIP_ATTACH, reinterpret_cast<WPARAM>(m_controlTooltip), 0);
}

void CPluginWindow::ReadSettings()
{
    const SettingsFiles files = SettingsFilesOf(m_instance);
    if (CTervaneManager* manager = m_owner.DeviceManager()) {
        manager->SetLeadMs(ReadLeadTime(files));
        manager->Device().SetMostLevel(ReadMostLevel(files));
        manager->SetPreciseTiming(ReadPreciseTiming(files));
    }
    // Unsaved changes outlive a closed editor with the time line: the next one shows them as
    // they are, and the remembered sheet loads only over a time line that holds none.
    std::string path;
    const bool loaded = !m_owner.TimeLine().IsModified() && ReadLastSheetPath(files, path) && !path.empty() &&
                        m_fileButton.LoadByPath(path, false) == TervaneControl::CFileButton::LoadResult::kLoaded;
    if (!loaded && !m_owner.TimeSheetPath().empty())
        SendMessageW(EditorContext().host, WM_PLUGIN_FILENAME, 0,
                     reinterpret_cast<LPARAM>(m_owner.TimeSheetPath().c_str()));
    m_recovery.reset(new CRecoveryCopy(files));
    m_recoveryWritten = false;
    OfferRecovery(EditorContext().host);
}

bool CPluginWindow::LoadTimeSheet(const std::string& path)
{
    return m_fileButton.LoadByPath(path) == TervaneControl::CFileButton::LoadResult::kLoaded;
}

void CPluginWindow::OnTimer()
{
    const CPointerSample pointer;
    CTimeLineButtonManager& timeLine = m_owner.TimeLine();
    const LONG state = m_owner.PlayState();
    if (IsActivePlayState(state)) {
        m_owner.EnsureMediaSetUp();
        double position = 0.0;
        // A position the player cannot tell moves nothing: the device keeps its command.
        if (m_owner.Position(position)) {
            timeLine.RefreshAt(position);
            if (CTervaneManager* manager = m_owner.DeviceManager())
                manager->FollowPosition(position);
            ArmDueTimers(position);
        }
    } else if (m_owner.CurrentMedia() == nullptr) {
        timeLine.RefreshAt(0.0);
    } else if (m_owner.IsMediaSetUp()) {
        double position = 0.0;
        if (m_owner.Position(position))
            timeLine.RefreshAt(position);
    }
    m_background.TickTicker();
    KeepRecovery(false);
    NoteSelection();
    const HWND parentStatic = m_parentStatic.GetWindow();
    ControlHookList().Dispatch(parentStatic, WM_PLUGIN_TICK, 0, 0, nullptr, true);
    if (parentStatic != nullptr) {
        m_parentStatic.Render(parentStatic);
        ShowBackBuffer(parentStatic);
    }
}

namespace {

// What GetDC itself asks for, the window's class and styles deciding the clipping. Without
// the DC's attributes reset at its release, which the copy does not touch: under Wine the
// reset cost as much as the copy.
constexpr DWORD kDcxUseStyle = 0x00010000;

} // namespace

void CPluginWindow::ShowBackBuffer(HWND parentStatic)
{
    // Only the rectangles that changed go to the screen, straight away: asking the window to
    // paint them costs round trips to the window system that the copy itself does not. The
    // back buffer covers the buttons and points too, which paint nothing of their own.
    const CDamage& damage = m_parentStatic.Damage();
    if (!damage.Empty()) {
        const HDC screen = GetDCEx(parentStatic, nullptr, kDcxUseStyle | DCX_NORESETATTRS);
        if (screen != nullptr) {
            for (const RECT& r : damage.Rects())
                BitBlt(screen, r.left, r.top, r.right - r.left, r.bottom - r.top, m_parentStatic.GetBackBufferDC(), r.left, r.top, SRCCOPY);
            ReleaseDC(parentStatic, screen);
        }
    }
    // The file name box is a window of its own, drawn again where the copy went over it.
    const HWND edit = m_fileEditBox.GetWindow();
    if (edit != nullptr && damage.Intersects(m_fileEditBox.Place()))
        RedrawWindow(edit, nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_UPDATENOW);
}

void CPluginWindow::RedrawAll()
{
    const HWND parentStatic = m_parentStatic.GetWindow();
    if (parentStatic == nullptr)
        return;
    m_parentStatic.RedrawAll();
    m_parentStatic.Render(parentStatic);
    ShowBackBuffer(parentStatic);
}

void CPluginWindow::OnSizeMode(HWND window, WPARAM wParam)
{
    SizeMode mode;
    if (SizeModeFromRequest(wParam, mode)) {
        m_sizeMode = mode;
        ResizeClientArea(m_owner.ParentWindow(), kClientSizes[mode].width, kClientSizes[mode].height);
        m_owner.TimeLine().SetSizeMode(mode);
    }
    Forward(window, WM_PLUGIN_SIZEMODE, wParam, 0);
    m_parentStatic.RedrawAll();
    const HWND parentStatic = m_parentStatic.GetWindow();
    if (parentStatic != nullptr) {
        InvalidateRect(parentStatic, nullptr, TRUE);
        UpdateWindow(parentStatic);
    }
}

void CPluginWindow::OnClose(HWND window)
{
    // No control takes WM_CLOSE, so the default procedure destroys the window from inside
    // the dispatch; the hook lists let go of their entries only after the walk.
    m_windowHooks.Dispatch(window, WM_CLOSE, 0, 0, nullptr, true);
    m_windowHooks.Clear();
}

void CPluginWindow::OnDestroy(HWND window)
{
    EndRecordingRun();
    m_keys.Remove();
    KillTimer(window, kTimerId);
    KillDueTimers();
    DragAcceptFiles(window, FALSE);
    // Each control's destroy work (the close question, the settings file) runs here, once:
    // the control list is empty before the parent static window, a child, goes in its turn.
    m_windowHooks.Dispatch(window, WM_DESTROY, 0, 0, nullptr, false);
    // After the close question: what is still unsaved stays in the copy, the rest goes.
    KeepRecovery(true);
    m_owner.TimeLine().DetachWindow();
    ControlHookList().Clear();
    m_windowHooks.Clear();
    // Popups belong to the player's top-level window, not to this one: they go by hand.
    for (HWND* tooltip : {&m_balloonTooltip, &m_controlTooltip}) {
        if (*tooltip != nullptr && IsWindow(*tooltip))
            DestroyWindow(*tooltip);
        *tooltip = nullptr;
    }
    // Nothing follows the movie without this window: the device must not go on with the
    // last command (or a preview) that nothing can end.
    if (CTervaneManager* manager = m_owner.DeviceManager())
        manager->Halt();
    CEditorContext& context = EditorContext();
    if (context.host == window)
        context.host = nullptr;
}
