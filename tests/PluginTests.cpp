#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/ComRef.h"
#include "base/Win32.h"
#include "controls/ButtonLayout.h"
#include "device/TervaneManager.h"
#include "editor/EditorContext.h"
#include "editor/PluginMessages.h"
#include "editor/PluginWindow.h"
#include "editor/SettingsFile.h"
#include "plugin/Guids.h"
#include "plugin/Module.h"
#include "plugin/TervanePlugin.h"
#include "sim/PlayerSession.h"
#include "sim/RealInput.h"
#include "support/FileFixtures.h"
#include "support/GuiObjects.h"
#include "support/LeakReports.h"
#include "support/ScratchFile.h"
#include "support/SkinFiles.h"

using TestSupport::CTempDir;

namespace {

const char kSheet[] = "C:\\Movies\\movie.wmv\n222222\n333333\n444444\n555555\n666666\n777777\n888888\n999999\n"
                      "101010101010\n50000\t1\t3\t0\t0\n100000\t2\t5\t0\t0\n";

std::string CurrentFolder()
{
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
}

std::vector<SimEvent> Events(const std::string& text)
{
    std::vector<SimEvent> events;
    std::string error;
    EXPECT_TRUE(ParseSimEvents(text, events, error, true)) << error;
    return events;
}

// The linked plug-in in the simulated player, with a settings folder of its own.
class PluginInPlayer : public ::testing::Test {
protected:
    void Begin(const std::string& settingsText = std::string(), const std::string& sheet = std::string(),
               const std::string& movie = std::string())
    {
        if (!settingsText.empty()) {
            ASSERT_TRUE(TestSupport::WriteAt(m_settings, "\\info.txt", settingsText));
        }
        PlayerOptions options;
        options.settings = m_settings.Path();
        options.moduleFolder = CurrentFolder();
        options.sheet = sheet;
        if (!movie.empty())
            options.movie = movie;
        m_session.reset(new CPlayerSession(options, [this](const std::string& line) { m_lines.push_back(line); }));
        std::string error;
        ASSERT_TRUE(m_session->Start(error)) << error;
        ASSERT_NE(nullptr, Plugin());
    }
    void TearDown() override
    {
        if (m_session)
            m_session->Finish();
    }
    void Run(const std::string& events)
    {
        for (const SimEvent& e : Events(events))
            m_session->Apply(e);
    }
    CTervanePlugin* Plugin() { return m_session->Plugin(); }
    size_t Reports() { return m_session->Bus().Reports().size(); }

    CTempDir m_settings;
    std::vector<std::string> m_lines;
    std::unique_ptr<CPlayerSession> m_session;
};

// A window in the player's plug-in area, for tests that drive a plug-in object themselves.
class CBareHost {
public:
    CBareHost()
        : m_window(CreateWindowExW(0, L"STATIC", L"player", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 446, 429, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), nullptr))
    {
        SetSettingsFolder(m_settings.Path());
    }
    ~CBareHost()
    {
        SetSettingsFolder(std::string());
        DestroyWindow(m_window);
    }
    HWND Get() const { return m_window; }

private:
    CTempDir m_settings;
    HWND m_window;
};

// A plug-in object made as the player's class factory makes it.
CComRef<IWMPPluginUI> NewPlugin()
{
    CComRef<IWMPPluginUI> plugin;
    CTervanePlugin::CreateInstance(nullptr, __uuidof(IWMPPluginUI), plugin.OutVoid());
    return plugin;
}

// Counts what reaches the controls.
class CCountingHook : public Quorvel::Base::AppFrame::IWinMsgHook {
public:
    LRESULT HandleMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_DESTROY)
            ++destroys;
        if (message == WM_PLUGIN_TICKER)
            tickerWParams.push_back(wParam);
        if (message == WM_MOUSEMOVE || message == WM_LBUTTONUP)
            mouse.push_back(message);
        if (message == WM_PLUGIN_SIZEMODE)
            sizeRequests.push_back(static_cast<long long>(static_cast<INT_PTR>(wParam)));
        if (message == m_closeOn && m_editor != nullptr) {
            // A control that closes the editor while the controls are being offered a message.
            SendMessageW(m_editor, WM_CLOSE, 0, 0);
        }
        (void)lParam;
        return 0;
    }
    int destroys = 0;
    std::vector<WPARAM> tickerWParams;
    std::vector<UINT> mouse;
    std::vector<long long> sizeRequests;
    UINT m_closeOn = 0;
    HWND m_editor = nullptr;
};

TEST(PluginObject, AnswersTheCallsThePlayerMakesBeforeAWindowExists)
{
    IWMPPluginUI* raw = nullptr;
    const LONG locksBefore = Module::LockCount();
    ASSERT_EQ(S_OK, CTervanePlugin::CreateInstance(nullptr, __uuidof(IWMPPluginUI), reinterpret_cast<void**>(&raw)));
    CComRef<IWMPPluginUI> plugin;
    *plugin.Out() = raw;
    EXPECT_GT(Module::LockCount(), locksBefore) << "a live object keeps the module loaded";

    struct Property {
        const wchar_t* name;
        HRESULT result;
        LONG value;
    };
    const Property properties[] = {
        {L"DefaultWidth", S_OK, 430}, {L"defaultwidth", S_OK, 430}, {L"DEFAULTHEIGHT", S_OK, 390},
        {L"DefaultWidthX", E_NOTIMPL, 0}, {L"", E_NOTIMPL, 0},
    };
    for (const Property& p : properties) {
        VARIANT value;
        VariantInit(&value);
        EXPECT_EQ(p.result, plugin->GetProperty(p.name, &value)) << static_cast<const void*>(p.name);
        if (p.result == S_OK) {
            EXPECT_EQ(VT_I4, value.vt);
            EXPECT_EQ(p.value, value.lVal);
        }
    }
    EXPECT_EQ(E_POINTER, plugin->GetProperty(L"DefaultWidth", nullptr));
    EXPECT_EQ(E_NOTIMPL, plugin->SetProperty(L"DefaultWidth", nullptr));
    EXPECT_EQ(E_NOTIMPL, plugin->DisplayPropertyPage(nullptr));
    MSG message = {};
    EXPECT_EQ(E_POINTER, plugin->TranslateAccelerator(nullptr));
    EXPECT_EQ(E_UNEXPECTED, plugin->TranslateAccelerator(&message)) << "no window yet";
    EXPECT_EQ(E_UNEXPECTED, plugin->Destroy());
    EXPECT_EQ(E_UNEXPECTED, plugin->Create(nullptr, nullptr));
    // Events before the first Create skip the device and send no message.
    CComRef<IWMPEvents> events;
    ASSERT_EQ(S_OK, plugin.QueryInto(events));
    events->PlayStateChange(3);
    events->OpenStateChange(13);
    EXPECT_EQ(L"Playing", static_cast<CTervanePlugin*>(plugin.Get())->PlayStateName());
    EXPECT_EQ(nullptr, static_cast<CTervanePlugin*>(plugin.Get())->DeviceManager());
    // Without a core, Create fails and leaves no window behind.
    HWND window = nullptr;
    EXPECT_EQ(E_FAIL, plugin->Create(nullptr, &window));
    EXPECT_EQ(nullptr, window);
    EXPECT_EQ(E_UNEXPECTED, plugin->Destroy());
    events.Reset();
    plugin.Reset();
    EXPECT_EQ(locksBefore, Module::LockCount());
}

// An outer object that aggregates the plug-in and counts what the plug-in delegates to it.
class COuter : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override
    {
        ++queries;
        if (riid == IID_IUnknown) {
            *object = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return inner->QueryInterface(riid, object);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    IUnknown* inner = nullptr;
    ULONG references = 1;
    int queries = 0;
};

TEST(PluginObject, CanBeAggregated)
{
    COuter outer;
    void* object = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, CTervanePlugin::CreateInstance(&outer, __uuidof(IWMPPluginUI), &object));
    ASSERT_EQ(S_OK, CTervanePlugin::CreateInstance(&outer, IID_IUnknown, &object));
    outer.inner = static_cast<IUnknown*>(object);
    IWMPPluginUI* plugin = nullptr;
    ASSERT_EQ(S_OK, outer.QueryInterface(__uuidof(IWMPPluginUI), reinterpret_cast<void**>(&plugin)));
    // Through any of its interfaces the plug-in answers for the outer object.
    IUnknown* identity = nullptr;
    const int before = outer.queries;
    ASSERT_EQ(S_OK, plugin->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity);
    EXPECT_EQ(before + 1, outer.queries);
    identity->Release();
    const ULONG references = outer.references;
    plugin->AddRef();
    EXPECT_EQ(references + 1, outer.references);
    plugin->Release();
    plugin->Release();
    outer.inner->Release();
}

TEST_F(PluginInPlayer, PlayerStatesReachTheDeviceAsTheyShould)
{
    CScratchFile sheet(kSheet);
    Begin(std::string(), sheet.Path());
    Run("play; wait 6");
    CTervaneManager* manager = Plugin()->DeviceManager();
    ASSERT_NE(nullptr, manager);
    EXPECT_EQ(4u, Reports()) << "the all-zero command, then pattern 1 level 3 at 5 s";

    // Ended and the states without actions record their names and send nothing.
    IWMPEvents* sink = Plugin();
    const size_t before = Reports();
    const struct {
        LONG state;
        const wchar_t* name;
    } quiet[] = {{8, L"Ended"}, {0, L"Undefined"}, {4, L"Forward"}, {9, L"Transitioning"}, {12, L"Last"}};
    for (const auto& q : quiet) {
        sink->PlayStateChange(q.state);
        EXPECT_EQ(q.name, Plugin()->PlayStateName());
    }
    sink->PlayStateChange(13);
    EXPECT_EQ(std::wstring(L"Last"), Plugin()->PlayStateName()) << "beyond 12 is ignored";
    sink->OpenStateChange(20);
    EXPECT_EQ(std::wstring(L"MediaWaiting"), Plugin()->OpenStateName());
    EXPECT_EQ(before, Reports());

    // Stopping while previewing sends nothing; ending the preview stops, restores, stops.
    Run("preview 7 9");
    const size_t previewed = Reports();
    Run("stop");
    EXPECT_EQ(previewed, Reports());
    EXPECT_TRUE(manager->IsStopPending());
    Run("preview off");
    EXPECT_EQ(previewed + 6, Reports());

    // An item that is not a medium changes nothing.
    const std::wstring name = Plugin()->MediaName();
    const std::wstring url = Plugin()->MediaUrl();
    sink->CurrentItemChange(nullptr);
    IDispatch* notMedia = nullptr;
    ASSERT_EQ(S_OK, m_session->Player().Core()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&notMedia)));
    sink->CurrentItemChange(notMedia);
    notMedia->Release();
    EXPECT_EQ(name, Plugin()->MediaName());
    EXPECT_EQ(url, Plugin()->MediaUrl());

    // A time sheet's movie opens only when the path has an extension and the file exists.
    CTempDir movies;
    ASSERT_TRUE(TestSupport::WriteAt(movies, "\\clip.wmv", "not really a movie"));
    ASSERT_TRUE(TestSupport::WriteAt(movies, "\\noextension", "x"));
    const std::wstring before2 = m_session->Player().Url();
    Plugin()->OpenMovieOfTimeSheet(movies / "\\noextension");
    Plugin()->OpenMovieOfTimeSheet(movies / "\\missing.wmv");
    m_session->Player().Deliver();
    EXPECT_EQ(before2, m_session->Player().Url());
    Plugin()->OpenMovieOfTimeSheet(movies / "\\clip.wmv");
    m_session->Player().Deliver();
    EXPECT_EQ(L"clip", Plugin()->MediaName());
    EXPECT_EQ(movies / "\\clip.wmv", Plugin()->TimeLine().Document().MoviePath());
}

// The player starts with the editor, which loads the last sheet and opens its movie: the
// movie is opened, not started (the player's auto-start is off for that open and then as it
// was), so the device does not move until the user presses play.
TEST_F(PluginInPlayer, StartingThePlayerDoesNotStartTheDevice)
{
    CTempDir movies;
    ASSERT_TRUE(TestSupport::WriteAt(movies, "\\clip.wmv", "a movie"));
    CScratchFile sheet(movies / "\\clip.wmv" + "\n222222\n333333\n444444\n555555\n666666\n777777\n888888\n"
                       "999999\n101010101010\n0\t5\t6\t0\t0\n50000\t1\t3\t0\t0\n");
    Begin(std::string("lastfile_path\t") + sheet.Path(), std::string(), movies / "\\clip.wmv");
    Run("wait 1");
    EXPECT_EQ(2, std::count(m_lines.begin(), m_lines.end(), "player opens " + movies / "\\clip.wmv" + " t=0.000"))
        << "the sheet's movie is opened (and the player opens it for the session too)";
    EXPECT_EQ(0, std::count_if(m_lines.begin(), m_lines.end(),
                               [](const std::string& l) { return l.find("auto-start") != std::string::npos; }))
        << "and not started";
    EXPECT_EQ(0u, Reports());
    EXPECT_TRUE(m_session->Player().AutoStart()) << "the player's own setting, as it was";
    Run("play; wait 0.2");
    ASSERT_EQ(2u, Reports());
    EXPECT_EQ('5', m_session->Bus().Reports().back().bytes[7]) << "the first point, at 0 s, plays";
}

TEST_F(PluginInPlayer, AWindowClosedAndCreatedAgainKeepsTheDeviceAndTheSheet)
{
    CScratchFile sheet(kSheet);
    Begin(std::string(), sheet.Path());
    CTervaneManager* manager = Plugin()->DeviceManager();
    ASSERT_TRUE(manager->Device().HasHandle());
    const int opens = m_session->Bus().OpenCount(0);
    const HWND first = m_session->Editor();
    Run("close");
    EXPECT_EQ(2u, Reports()) << "with its window goes the tick that follows the movie: the device stops";
    Run("create");
    EXPECT_NE(first, m_session->Editor());
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(manager, Plugin()->DeviceManager());
    EXPECT_EQ(2, manager->Sheet().Count());
    EXPECT_EQ(2, Plugin()->TimeLine().EntryCount());
    EXPECT_TRUE(manager->Device().HasHandle());
    EXPECT_EQ(opens, m_session->Bus().OpenCount(0)) << "the device stays open";
    Run("play; wait 6");
    EXPECT_EQ(6u, Reports());
}

// The player closes the editor mid-preview and makes it again while the movie plays on: the
// device stops with the window, and the new window is the player's, not a fresh one's.
TEST_F(PluginInPlayer, AnEditorMadeAgainStopsTheDeviceFirstAndComesBackInThePlayersState)
{
    CTempDir movies;
    ASSERT_TRUE(TestSupport::WriteAt(movies, "\\clip.wmv", "a movie"));
    const std::string movie = movies / "\\clip.wmv";
    CScratchFile sheet(movie + "\n222222\n333333\n444444\n555555\n666666\n777777\n888888\n999999\n"
                       "101010101010\n50000\t1\t3\t0\t0\n100000\t2\t5\t0\t0\n");
    PlayerOptions options;
    options.settings = m_settings.Path();
    options.moduleFolder = CurrentFolder();
    options.movie = movie;
    options.sheet = sheet.Path();
    m_session.reset(new CPlayerSession(options, [this](const std::string& line) { m_lines.push_back(line); }));
    std::string error;
    ASSERT_TRUE(m_session->Start(error)) << error;
    auto opens = [this] {
        return std::count_if(m_lines.begin(), m_lines.end(),
                             [](const std::string& l) { return l.rfind("player opens", 0) == 0; });
    };
    auto last = [this] {
        const auto& r = m_session->Bus().Reports();
        return std::string{static_cast<char>(r.back().bytes[7]), static_cast<char>(r.back().bytes[8])};
    };
    Run("play; rate 1.5; wait 4; preview 6 8");
    EXPECT_EQ("68", last());
    const auto opened = opens();

    Run("close");
    EXPECT_EQ("00", last()) << "the preview ends and the device stops with the window";
    EXPECT_FALSE(Plugin()->DeviceManager()->IsPreviewing());
    const size_t stopped = Reports();
    Run("wait 2");
    EXPECT_EQ(stopped, Reports());

    Run("create");
    EXPECT_EQ(opened, opens()) << "the movie that plays is not opened again";
    EXPECT_EQ(3, m_session->Player().State());
    EXPECT_DOUBLE_EQ(1.5, m_session->Player().Rate());
    EXPECT_EQ(15, Plugin()->Window()->SpeedButton().GetSpeed()) << "the speed shown is the player's";
    EXPECT_TRUE(Plugin()->Window()->SeekBar().IsReady());
    EXPECT_TRUE(Plugin()->Window()->OverviewBar().IsReady());
    Run("wait 0.1");
    EXPECT_EQ("13", last()) << "the first tick sends what is due, though it was due before";
    const HWND editor = m_session->Editor();
    for (int id : {TervaneControl::kIdPreviousPoint, TervaneControl::kIdNextPoint, TervaneControl::kIdSpeedUp,
                   TervaneControl::kIdPlayPause})
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(editor, id))) << "control " << id;
    Run("press 33");
    EXPECT_EQ(2, m_session->Player().State()) << "play/pause works in the new window";
    Run("press 26");
    EXPECT_NEAR(10.1, m_session->Player().Position(), 1e-9) << "so does the next point";
}

namespace {

BOOL CALLBACK CountOwned(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<std::pair<HWND, int>*>(data);
    if (GetWindow(window, GW_OWNER) == search->first)
        ++search->second;
    return TRUE;
}

// The windows of this thread that the player's window owns (popups made for the editor).
int WindowsOwnedBy(HWND host)
{
    std::pair<HWND, int> search(host, 0);
    EnumThreadWindows(GetCurrentThreadId(), &CountOwned, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

} // namespace

// A player may close and make the editor again all day: nothing of a closed editor stays.
TEST_F(PluginInPlayer, AHundredClosesAndCreatesLeaveNothingBehind)
{
    CScratchFile sheet(kSheet);
    Begin(std::string(), sheet.Path());
    const HWND host = m_session->Host();
    Run("close; create; close; create; close");
    EXPECT_EQ(0, WindowsOwnedBy(host)) << "the tooltips go with the editor";
    // A pen made and deleted shows in the count: the count is real.
    const TestSupport::GuiObjects before = TestSupport::CountGuiObjects();
    const HPEN pen = CreatePen(PS_SOLID, 0, 0);
    EXPECT_EQ(before.gdi + 1, TestSupport::CountGuiObjects().gdi);
    DeleteObject(pen);
    for (int i = 0; i < 100; ++i)
        Run("create; close");
    const TestSupport::GuiObjects after = TestSupport::CountGuiObjects();
    EXPECT_EQ(0, WindowsOwnedBy(host));
    // One object left per cycle would be a hundred; two allow for a cache of the system's.
    EXPECT_LE(after.windows, before.windows + 2);
    EXPECT_LE(after.gdi, before.gdi + 2);
    std::printf("over 100 cycles: GDI objects %ld -> %ld, windows %ld -> %ld\n", before.gdi, after.gdi, before.windows,
                after.windows);
    Run("create");
    EXPECT_EQ(2, Plugin()->TimeLine().EntryCount());
}

// A file that is refused keeps the graph and the device on the sheet they had, and the user
// is told why; a file too large to hold is refused before it fills the memory.
TEST_F(PluginInPlayer, ASheetOneSideCannotTakeLeavesBothOnTheOldOne)
{
    CScratchFile sheet(kSheet);
    Begin(std::string(), sheet.Path());
    std::string huge = "C:\\Movies\\none.wmv\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
    huge.reserve(huge.size() + 16u * (kMostSheetRecords + 1));
    char line[48];
    for (int32_t i = 0; i <= kMostSheetRecords; ++i) {
        std::snprintf(line, sizeof line, "%d\t1\t3\t0\t0\n", 1000 * i);
        huge += line;
    }
    CTempDir dir;
    ASSERT_TRUE(TestSupport::WriteAt(dir, "\\huge.tms", huge));
    ASSERT_TRUE(TestSupport::WriteAt(dir, "\\header-only.tms", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n"));
    // Longer than any sheet may be: refused before it is read.
    const HANDLE longFile = CreateFileA((dir / "\\long.tms").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, longFile);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(kMostSheetBytes) + 1;
    EXPECT_TRUE(SetFilePointerEx(longFile, end, nullptr, FILE_BEGIN) && SetEndOfFile(longFile));
    CloseHandle(longFile);
    for (const char* name : {"\\huge.tms", "\\long.tms", "\\header-only.tms"}) {
        SCOPED_TRACE(name);
        Run("drop " + dir / name);
        EXPECT_EQ(2, Plugin()->TimeLine().EntryCount());
        EXPECT_EQ(2, Plugin()->DeviceManager()->Sheet().Count());
        EXPECT_EQ(std::string(sheet.Path()), Plugin()->TimeSheetPath());
    }
    for (const char* name : {"\\huge.tms", "\\long.tms", "\\header-only.tms"}) {
        const std::string told = "prompt unanswered message 読み込みエラー: タイムシート「" + dir / name;
        EXPECT_EQ(1, std::count_if(m_lines.begin(), m_lines.end(),
                                   [&](const std::string& l) { return l.rfind(told, 0) == 0; }))
            << name;
    }
}

TEST_F(PluginInPlayer, TheWindowSizesForwardsAndTearsDownOnce)
{
    Begin();
    CCountingHook hook;
    ControlHookList().Add(&hook);
    const HWND host = m_session->Host();
    const HWND editor = m_session->Editor();
    struct Case {
        WPARAM request;
        int mode;
        int width, height;
    };
    const Case cases[] = {
        {1, 1, 1000, 750},
        {static_cast<WPARAM>(-1), 2, 500, 74},
        {7, 2, 500, 74}, // not a size mode: forwarded, nothing changes
        {2, 2, 500, 74}, // the stored code of mini is no request either
        {0, 0, 500, 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<long long>(c.request));
        SendMessageW(editor, WM_PLUGIN_SIZEMODE, c.request, 0);
        RECT client;
        GetClientRect(host, &client);
        EXPECT_EQ(c.width, client.right);
        EXPECT_EQ(c.height, client.bottom);
        EXPECT_EQ(c.mode, Plugin()->Window()->GetSizeMode());
    }
    EXPECT_EQ((std::vector<long long>{1, -1, 7, 2, 0}), hook.sizeRequests) << "every request is forwarded";

    // The ticker message carries the window's own size mode, whatever the sender put there.
    // (The background takes the message, so it steps aside while the hook listens.)
    CBitmapObject& background = Plugin()->Window()->Background();
    ControlHookList().Remove(&background);
    SendMessageW(editor, WM_PLUGIN_SIZEMODE, 1, 0);
    SendMessageW(editor, WM_PLUGIN_TICKER, 55, 0);
    SendMessageW(editor, WM_PLUGIN_SIZEMODE, static_cast<WPARAM>(-1), 0);
    SendMessageW(editor, WM_PLUGIN_TICKER, 0, 0);
    EXPECT_EQ((std::vector<WPARAM>{1, 2}), hook.tickerWParams);
    ControlHookList().Add(&background);

    // Pointer messages of the frame reach the controls as client ones.
    SendMessageW(editor, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(5, 5));
    SendMessageW(editor, WM_NCLBUTTONUP, HTCAPTION, MAKELPARAM(5, 5));
    EXPECT_EQ((std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONUP}), hook.mouse);

    // A control that closes the editor in the middle of a dispatch: the editor goes, each
    // control's destroy work runs once, and nothing is offered to the controls afterwards.
    hook.m_closeOn = WM_PLUGIN_READY;
    hook.m_editor = editor;
    SendMessageW(editor, WM_PLUGIN_READY, 0, 0);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_EQ(1, hook.destroys);
    EXPECT_EQ(0u, ControlHookList().Count());
    RealInput::Settle();
    EXPECT_EQ(S_OK, static_cast<IWMPPluginUI*>(Plugin())->Destroy()) << "the window object still goes";
}

TEST_F(PluginInPlayer, TheTimeLineFollowsThePlayerOnEveryTick)
{
    Begin();
    CTimeLineButtonManager& timeLine = Plugin()->TimeLine();
    // Before the medium is set up nothing moves the graph while the player is not playing.
    Run("seek 4; wait 0.1");
    EXPECT_DOUBLE_EQ(4.0, timeLine.GetNow()) << "a medium that was opened is set up";
    Run("play; wait 1");
    EXPECT_DOUBLE_EQ(4.9, timeLine.GetNow());
    // A player that cannot tell the position moves nothing, and the device keeps its command.
    m_session->Player().GetFaults().positionFails = true;
    Run("wait 1");
    EXPECT_DOUBLE_EQ(4.9, timeLine.GetNow());
    // A play state it cannot tell counts as not playing: the set-up medium's position still
    // moves the graph.
    m_session->Player().GetFaults().positionFails = false;
    m_session->Player().GetFaults().playStateFails = true;
    Run("wait 0.5");
    EXPECT_NEAR(6.4, timeLine.GetNow(), 1e-9);
    m_session->Player().GetFaults().playStateFails = false;
}

TEST(PluginObject, StoppedWithoutAMediumTheGraphShowsTimeZero)
{
    CBareHost host;
    CSimPlayer player;
    CComRef<IWMPPluginUI> plugin = NewPlugin();
    ASSERT_TRUE(plugin);
    CTervanePlugin* object = static_cast<CTervanePlugin*>(plugin.Get());
    ASSERT_EQ(S_OK, plugin->SetCore(player.Core()));
    HWND window = nullptr;
    ASSERT_EQ(S_OK, plugin->Create(host.Get(), &window));
    object->TimeLine().RepositionAt(8.0);
    SendMessageW(window, WM_TIMER, 1, 0);
    EXPECT_EQ(0.0, object->TimeLine().GetNow());
    EXPECT_EQ(S_OK, plugin->Destroy());
    EXPECT_EQ(S_OK, plugin->SetCore(nullptr));
    plugin.Reset();
    EXPECT_EQ(0, player.OutstandingReferences()) << "every interface of the player was given back";
    EXPECT_EQ(0u, player.SinkCount());
}

TEST(PluginObject, AMediumOpenBeforeTheBindingCountsAndAnEndedBindingLetsGoOfThePlayer)
{
    CBareHost host;
    CSimPlayer player;
    player.Open(L"movie.wmv", 30.0);
    CComRef<IWMPPluginUI> plugin = NewPlugin();
    ASSERT_TRUE(plugin);
    CTervanePlugin* object = static_cast<CTervanePlugin*>(plugin.Get());
    ASSERT_EQ(S_OK, plugin->SetCore(player.Core()));
    HWND window = nullptr;
    ASSERT_EQ(S_OK, plugin->Create(host.Get(), &window));
    EXPECT_DOUBLE_EQ(30.0, object->TimeLine().GetDuration()) << "previous and next point need the length";
    EXPECT_TRUE(object->Window()->SeekBar().IsReady());
    player.Play();
    player.Seek(12.0);
    player.Tick([window] { SendMessageW(window, WM_TIMER, 1, 0); });
    EXPECT_DOUBLE_EQ(12.0, object->TimeLine().GetNow());

    // The binding ends with the window still there: nothing of the player is kept, and a tick
    // acts as with no player at all.
    EXPECT_EQ(S_OK, plugin->SetCore(nullptr));
    EXPECT_EQ(0, player.OutstandingReferences());
    EXPECT_EQ(nullptr, object->Controls());
    EXPECT_EQ(nullptr, object->CurrentMedia());
    SendMessageW(window, WM_TIMER, 1, 0);
    EXPECT_EQ(0.0, object->TimeLine().GetNow());
    // Bound again, the window takes its controls from the new core.
    ASSERT_EQ(S_OK, plugin->SetCore(player.Core()));
    EXPECT_NE(nullptr, object->Controls());
    EXPECT_EQ(S_OK, plugin->Destroy());
    plugin->SetCore(nullptr);
    plugin.Reset();
    EXPECT_EQ(0, player.OutstandingReferences());
}

TEST(PluginObject, APlayerThatFailsItsCallsLeavesThePluginWorking)
{
    CBareHost host;
    struct Case {
        const char* name;
        void (*set)(CSimPlayer::Faults&);
    };
    const Case cases[] = {
        {"no event connection point", [](CSimPlayer::Faults& f) { f.noEventPoint = true; }},
        {"play state fails", [](CSimPlayer::Faults& f) { f.playStateFails = true; }},
        {"position fails", [](CSimPlayer::Faults& f) { f.positionFails = true; }},
        {"medium without a duration", [](CSimPlayer::Faults& f) { f.noDuration = true; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSimPlayer player;
        c.set(player.GetFaults());
        CComRef<IWMPPluginUI> plugin = NewPlugin();
        ASSERT_TRUE(plugin);
        plugin->SetCore(player.Core());
        HWND window = nullptr;
        ASSERT_EQ(S_OK, plugin->Create(host.Get(), &window));
        player.Open(L"movie.wmv", 30.0);
        player.Play();
        for (int i = 0; i < 5; ++i)
            player.Tick([window] { SendMessageW(window, WM_TIMER, 1, 0); });
        static_cast<CTervanePlugin*>(plugin.Get())->CurrentItemChange(nullptr);
        EXPECT_TRUE(IsWindow(window));
        EXPECT_EQ(S_OK, plugin->Destroy());
        plugin->SetCore(nullptr);
        plugin.Reset();
        EXPECT_EQ(0, player.OutstandingReferences());
    }
    // A core that refuses its controls: Create fails and takes its window down again.
    CSimPlayer refusing;
    refusing.GetFaults().controlsFail = true;
    CComRef<IWMPPluginUI> plugin = NewPlugin();
    ASSERT_TRUE(plugin);
    plugin->SetCore(refusing.Core());
    HWND window = reinterpret_cast<HWND>(1);
    EXPECT_EQ(E_FAIL, plugin->Create(host.Get(), &window));
    EXPECT_EQ(nullptr, window);
    EXPECT_EQ(E_UNEXPECTED, plugin->Destroy());
    plugin->SetCore(nullptr);
}

// Wine's own player object has no event connection point and leaves calls unimplemented.
TEST(PluginObject, SurvivesTheSystemsOwnPartialPlayerObject)
{
    CBareHost host;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        static const CLSID kWindowsMediaPlayer = {0x6bf52a52, 0x394a, 0x11d3, {0xb1, 0x53, 0x00, 0xc0, 0x4f, 0x79, 0xfa, 0xa6}};
        CComRef<IWMPCore> core;
        if (FAILED(CoCreateInstance(kWindowsMediaPlayer, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWMPCore),
                                    core.OutVoid()))) {
            CoUninitialize();
            GTEST_SKIP() << "no player object on this system";
        }
        CComRef<IWMPPluginUI> plugin = NewPlugin();
        ASSERT_TRUE(plugin);
        plugin->SetCore(core.Get());
        HWND window = nullptr;
        const HRESULT created = plugin->Create(host.Get(), &window);
        if (SUCCEEDED(created)) {
            for (int i = 0; i < 3; ++i)
                SendMessageW(window, WM_TIMER, 1, 0);
            EXPECT_TRUE(IsWindow(window));
            EXPECT_EQ(S_OK, plugin->Destroy());
        }
        plugin->SetCore(nullptr);
    }
    CoUninitialize();
}

TEST_F(PluginInPlayer, TheSettingsFileNamesTheLastSheetWholeOrNotAtAll)
{
    CTempDir sheets("_シート");
    ASSERT_TRUE(TestSupport::WriteAt(sheets, "\\my sheet, one.tms", kSheet));
    const std::string path = sheets / "\\my sheet, one.tms";
    struct Case {
        std::string text;
        bool loads;
    };
    const Case cases[] = {
        {"lastfile_path\t" + path, true},
        {"lastfile_path\t" + path + "\r\nmore", true},
        {"lastfile_pathX\t" + path, false},
        {"lastfile_pat\t" + path, false},
        {"lastfile_path " + path, false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        if (m_session)
            m_session->Finish();
        m_lines.clear();
        DeleteFileA((m_settings / "\\info.txt").c_str());
        if (!c.text.empty()) {
            ASSERT_TRUE(TestSupport::WriteAt(m_settings, "\\info.txt", c.text));
        }
        PlayerOptions options;
        options.settings = m_settings.Path();
        options.moduleFolder = CurrentFolder();
        m_session.reset(new CPlayerSession(options, [](const std::string&) {}));
        std::string error;
        ASSERT_TRUE(m_session->Start(error)) << error;
        EXPECT_EQ(c.loads ? 2 : 0, Plugin()->TimeLine().EntryCount());
        EXPECT_EQ(c.loads ? path : std::string(), Plugin()->TimeSheetPath());
    }
}

// Registration through the system's own tool, as an installer does it, and what the
// registry then holds.
class Registration : public ::testing::Test {
protected:
    static bool RunRegsvr32(const std::string& arguments)
    {
        std::string command = "regsvr32.exe /s " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            return false;
        const bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
        DWORD code = 1;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        return ended && code == 0;
    }

    static bool KeyExists(HKEY root, const std::string& path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    static std::string Text(HKEY root, const std::string& path, const char* name)
    {
        char value[1024] = {};
        DWORD size = sizeof value;
        DWORD type = 0;
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "(no key)";
        const LONG read = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
        RegCloseKey(key);
        if (read != ERROR_SUCCESS)
            return "(no value)";
        if (type == REG_DWORD)
            return "dword:" + std::to_string(*reinterpret_cast<DWORD*>(value));
        return value;
    }

    static int SubkeyCount(HKEY root, const std::string& path)
    {
        HKEY key = nullptr;
        DWORD count = 0;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return -1;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr);
        RegCloseKey(key);
        return static_cast<int>(count);
    }

    const std::string m_dll = CurrentFolder() + "\\TervanePlugin.dll";
    const std::string m_class = std::string("CLSID\\") + kTervanePluginClsidText;
    const std::string m_plugins = "SOFTWARE\\Microsoft\\MediaPlayer\\UIPlugins";
    const std::string m_plugin = m_plugins + "\\" + kTervanePluginClsidText;
};

TEST_F(Registration, TheModuleServesItsOneClassAndCountsItsLocks)
{
    const HMODULE module = LoadLibraryA(m_dll.c_str());
    ASSERT_NE(nullptr, module) << m_dll;
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    const auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    const auto canUnload = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    ASSERT_NE(nullptr, get);
    ASSERT_NE(nullptr, canUnload);
    EXPECT_NE(nullptr, GetProcAddress(module, "DllRegisterServer"));
    EXPECT_NE(nullptr, GetProcAddress(module, "DllUnregisterServer"));
    EXPECT_EQ(nullptr, GetProcAddress(module, "DllGetClassObject@12")) << "plain names only";

    void* object = nullptr;
    EXPECT_EQ(E_POINTER, get(CLSID_TervanePlugin, IID_IClassFactory, nullptr));
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, get(IID_IUnknown, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(S_OK, canUnload());
    CComRef<IClassFactory> factory;
    ASSERT_EQ(S_OK, get(CLSID_TervanePlugin, IID_IClassFactory, factory.OutVoid()));
    EXPECT_EQ(S_FALSE, canUnload()) << "a factory held keeps the module";
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    CComRef<IClassFactory> again;
    ASSERT_EQ(S_OK, get(CLSID_TervanePlugin, IID_IClassFactory, again.OutVoid()));
    EXPECT_EQ(factory.Get(), again.Get()) << "one cached factory";
    again.Reset();
    factory.Reset();
    EXPECT_EQ(S_FALSE, canUnload()) << "a locked server stays";
    ASSERT_EQ(S_OK, get(CLSID_TervanePlugin, IID_IClassFactory, factory.OutVoid()));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    CComRef<IWMPPluginUI> plugin;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.Get()),
                                                             __uuidof(IWMPPluginUI), plugin.OutVoid()));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, __uuidof(IWMPPluginUI), plugin.OutVoid()));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE)) << "an unlock without its lock";
    factory.Reset();
    EXPECT_EQ(S_FALSE, canUnload()) << "a live object keeps the module, whatever a caller unlocked";
    plugin.Reset();
    EXPECT_EQ(S_OK, canUnload());
    FreeLibrary(module);
}

// A module loaded again later must not find the window class of the one before it, whose
// window procedure was freed with it.
TEST_F(Registration, TheEditorsWindowClassGoesWithTheModule)
{
    HMODULE module = LoadLibraryA(m_dll.c_str());
    ASSERT_NE(nullptr, module) << m_dll;
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
    const auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    ASSERT_NE(nullptr, get);
    {
        CSimPlayer player;
        CBareHost host;
        CComRef<IClassFactory> factory;
        ASSERT_EQ(S_OK, get(CLSID_TervanePlugin, IID_IClassFactory, factory.OutVoid()));
        CComRef<IWMPPluginUI> plugin;
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, __uuidof(IWMPPluginUI), plugin.OutVoid()));
        factory.Reset();
        plugin->SetCore(player.Core());
        HWND window = nullptr;
        ASSERT_EQ(S_OK, plugin->Create(host.Get(), &window));
        WNDCLASSEXW info = {sizeof(info)};
        EXPECT_TRUE(GetClassInfoExW(module, L"TervanePluginWindow", &info));
        EXPECT_EQ(S_OK, plugin->Destroy());
        plugin->SetCore(nullptr);
        plugin.Reset();
        RealInput::Settle();
    }
    ASSERT_TRUE(FreeLibrary(module));
    ASSERT_EQ(nullptr, GetModuleHandleA(m_dll.c_str())) << "the module is gone";
    WNDCLASSEXW info = {sizeof(info)};
    EXPECT_FALSE(GetClassInfoExW(module, L"TervanePluginWindow", &info));
}

TEST_F(Registration, WritesReplacesAndRemovesOnlyItsOwnKeys)
{
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(m_dll.c_str())) << m_dll;
    ASSERT_TRUE(RunRegsvr32("\"" + m_dll + "\""));
    // A stray key below the class key is gone after registering again: the key is replaced whole.
    HKEY stray = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, (m_class + "\\Stray").c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &stray, nullptr));
    RegCloseKey(stray);
    ASSERT_TRUE(RunRegsvr32("\"" + m_dll + "\""));

    EXPECT_EQ("TervanePlugin Class", Text(HKEY_CLASSES_ROOT, m_class, nullptr));
    EXPECT_EQ(1, SubkeyCount(HKEY_CLASSES_ROOT, m_class)) << "InprocServer32 only";
    char full[MAX_PATH] = {};
    GetFullPathNameA(m_dll.c_str(), MAX_PATH, full, nullptr);
    EXPECT_EQ(0, lstrcmpiA(full, Text(HKEY_CLASSES_ROOT, m_class + "\\InprocServer32", nullptr).c_str()));
    EXPECT_EQ("Apartment", Text(HKEY_CLASSES_ROOT, m_class + "\\InprocServer32", "ThreadingModel"));
    EXPECT_EQ("res://TervanePlugin.dll/RT_STRING/#102", Text(HKEY_LOCAL_MACHINE, m_plugin, "FriendlyName"));
    EXPECT_EQ("res://TervanePlugin.dll/RT_STRING/#103", Text(HKEY_LOCAL_MACHINE, m_plugin, "Description"));
    EXPECT_EQ("dword:1073741826", Text(HKEY_LOCAL_MACHINE, m_plugin, "Capabilities"));

    // Registered, the class is created by identifier; the DLL stays while an object lives.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        CComRef<IWMPPluginUI> plugin;
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TervanePlugin, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWMPPluginUI),
                                         plugin.OutVoid()));
        const HMODULE module = GetModuleHandleA(m_dll.c_str());
        ASSERT_NE(nullptr, module);
        using CanUnload = HRESULT(STDAPICALLTYPE*)();
        const auto canUnload = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
        ASSERT_NE(nullptr, canUnload);
        EXPECT_EQ(S_FALSE, canUnload());
        VARIANT width;
        VariantInit(&width);
        EXPECT_EQ(S_OK, plugin->GetProperty(L"DefaultWidth", &width));
        plugin.Reset();
        EXPECT_EQ(S_OK, canUnload());
        // The texts the registry points to, in Japanese.
        wchar_t text[64] = {};
        EXPECT_EQ(13, LoadStringW(module, 102, text, 64));
        EXPECT_EQ(std::wstring(L"TervanePlugin"), text);
        LoadStringW(module, 103, text, 64);
        EXPECT_EQ(std::wstring(L"テルベーンコントロールプラグイン"), text);
        const HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(24));
        ASSERT_NE(nullptr, manifest);
        const std::string xml(static_cast<const char*>(LockResource(LoadResource(module, manifest))),
                              SizeofResource(module, manifest));
        EXPECT_NE(std::string::npos, xml.find("level=\"asInvoker\" uiAccess=\"false\""));
    }
    CoFreeUnusedLibraries();
    CoUninitialize();

    ASSERT_TRUE(RunRegsvr32("/u \"" + m_dll + "\""));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, m_class));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, m_plugin));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, m_plugins)) << "the player's own key stays";
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID"));
}

} // namespace

namespace {

// The product shows the memory system's leak report in message boxes when the player exits:
// a plug-in session, window closed and made again, drags and all, must leave nothing behind.
TEST(PluginObject, ASessionWithTheEditorLeavesNoLeakAtExit)
{
    std::string baseline, session;
    ASSERT_TRUE(TestSupport::RunAndCollectLeakReports("NoTestAtAll.*", baseline));
    ASSERT_TRUE(TestSupport::RunAndCollectLeakReports(
        "PluginInPlayer.AWindowClosedAndCreatedAgainKeepsTheDeviceAndTheSheet:TimeLine.MouseSessionOnTheGraph",
        session));
    EXPECT_EQ(baseline, session);
}

} // namespace
