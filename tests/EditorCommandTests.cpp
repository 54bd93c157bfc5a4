#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/Win32.h"
#include <commctrl.h>
#include <imm.h>

#include "controls/ButtonLayout.h"
#include "controls/FileButton.h"
#include "controls/FileEditBox.h"
#include "controls/ShellButtons.h"
#include "controls/TimeEditBox.h"
#include "device/TervaneManager.h"
#include "editor/PluginMessages.h"
#include "editor/PluginWindow.h"
#include "editor/SiteAddress.h"
#include "plugin/TervanePlugin.h"
#include "base/file/FilePath.h"
#include "editor/Recovery.h"
#include "sim/PlayerSession.h"
#include "sim/RealInput.h"
#include "support/EditorSession.h"
#include "support/FileFixtures.h"
#include "support/SkinFiles.h"
#include "timesheet/DropDrawButton.h"
#include "controls/SheetStrip.h"
#include "timesheet/TimeLineButtonManager.h"

using TestSupport::CTempDir;
using TestSupport::ReadWholeFile;
using TestSupport::WriteAt;

using TestSupport::EditorSession;
using TestSupport::kOtherSheet;
using TestSupport::kSheet;

TEST_F(EditorSession, PlayerButtonsDriveThePlayerAndFollowIt)
{
    Start();
    const auto& select = Window().SelectButton();
    Run("wait 0.1");
    EXPECT_TRUE(select.Face(0).IsEnabled()) << "a movie that is ready can be started";
    EXPECT_FALSE(select.Face(1).IsEnabled());

    Run("press 33; wait 3");
    EXPECT_EQ(Player().State(), 3);
    EXPECT_TRUE(select.Face(1).IsEnabled());
    Run("press 45");
    EXPECT_EQ(Player().Position(), 0.0) << "seek back at 3 s stops at the start";

    // Previous and next point: entries at 5 s and 10 s.
    const auto& points = Window().PointMoveButton();
    Run("wait 6");
    EXPECT_TRUE(points.Face(0).IsEnabled());
    EXPECT_TRUE(points.Face(1).IsEnabled());
    Run("press 25");
    EXPECT_EQ(Player().Position(), 5.0);
    Run("press 26");
    EXPECT_EQ(Player().Position(), 10.1);
    Run("wait 0.1");
    EXPECT_TRUE(points.Face(0).IsEnabled());
    EXPECT_FALSE(points.Face(1).IsEnabled()) << "nothing after the last point";

    // Eleven times faster stops at 2.0x; one slower gives 1.9x and the faster button back.
    const auto& speed = Window().SpeedButton();
    for (int i = 0; i < 11; ++i)
        Run("press 37");
    EXPECT_EQ(speed.GetSpeed(), 20);
    EXPECT_EQ(Player().Rate(), 2.0);
    EXPECT_EQ(speed.Face(1).GetState(), 4);
    Run("press 38");
    EXPECT_EQ(speed.GetSpeed(), 19);
    EXPECT_EQ(Player().Rate(), static_cast<double>(1.9f));
    EXPECT_TRUE(speed.Face(1).IsEnabled());
    EXPECT_EQ(speed.Face(1).GetState(), 0);

    Run("press 33");
    EXPECT_EQ(Player().State(), 2);
    Run("press 33");
    EXPECT_EQ(Player().State(), 3);
    Run("press 39; wait 0.1");
    EXPECT_EQ(Player().State(), 1);
    EXPECT_FALSE(select.Face(1).IsEnabled());
    Run("press 33; wait 0.1");
    EXPECT_EQ(Player().State(), 3) << "play again after stop";
    EXPECT_TRUE(select.IsPlaying());

    Run("press 33; seek 58; press 46");
    EXPECT_EQ(Player().Position(), 60.0);
    EXPECT_EQ(TimeLine().GetNow(), 60.0) << "seek forward stops at the movie's end";
}

TEST_F(EditorSession, WindowZoomManualAndLinkButtons)
{
    Start();
    EXPECT_EQ(SendMessageW(Window().ControlTooltip(), TTM_GETTOOLCOUNT, 0, 0), 17 + 10 + 11);

    const auto& size = Window().WindowButton();
    struct Step {
        const char* press;
        int mode;
        int clientWidth, clientHeight;
        bool shrink, enlarge;
    };
    const Step steps[] = {
        {"press 24", 1, 1000, 750, true, false}, {"press 23", 0, 500, 600, true, true},
        {"press 23", 2, 500, 74, false, true},   {"press 24", 0, 500, 600, true, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.press);
        Run(step.press);
        EXPECT_EQ(Window().GetSizeMode(), step.mode);
        RECT client;
        GetClientRect(m_session->Host(), &client);
        EXPECT_EQ(client.right, step.clientWidth);
        EXPECT_EQ(client.bottom, step.clientHeight);
        EXPECT_EQ(size.Face(0).IsEnabled(), step.shrink);
        EXPECT_EQ(size.Face(1).IsEnabled(), step.enlarge);
    }
    // A size chosen without the buttons (tervane-player --size wide): shrink leads back to
    // normal, not to mini.
    SendMessageW(m_session->Editor(), WM_PLUGIN_SIZEMODE, 1, 0);
    EXPECT_FALSE(size.Face(1).IsEnabled());
    Run("press 23");
    EXPECT_EQ(Window().GetSizeMode(), 0);

    const auto& graph = Window().GraphButton();
    EXPECT_FALSE(graph.Face(1).IsEnabled()) << "zoom in starts disabled";
    Run("press 30; press 30");
    EXPECT_EQ(TimeLine().GetZoomMode(), 2);
    EXPECT_FALSE(graph.Face(0).IsEnabled());
    Run("press 30; press 29");
    EXPECT_EQ(TimeLine().GetZoomMode(), 1) << "a disabled zoom out takes no click";
    Run("press 29");
    EXPECT_EQ(TimeLine().GetZoomMode(), 0);
    EXPECT_FALSE(graph.Face(1).IsEnabled());
    EXPECT_TRUE(graph.Face(0).IsEnabled());

    Run("press 43; press 44");
    EXPECT_TRUE(Said("shell open " + m_moduleFolder + "\\users_manual.html"));
    const std::string site = SiteAddressFromFile(m_moduleFolder, TervaneControl::kLinkAddressFile,
                                                 TervaneControl::kDefaultLinkAddress);
    EXPECT_NE(site.find(".example/"), std::string::npos) << site;
    EXPECT_TRUE(Said("shell open " + site));
    EXPECT_EQ(Count("shell "), 2u);
}

TEST_F(EditorSession, PatternLevelInsertAndPreview)
{
    Start();
    const auto& patterns = Window().PatternButton();
    const auto& levels = Window().LevelButton();
    Run("press 53");
    EXPECT_TRUE(patterns.IsSelected(3));
    EXPECT_EQ(patterns.GetCurrent(), 3);
    EXPECT_EQ(TimeLine().DropButton()->GetPattern(), 3) << "the drop image takes the pattern too";
    Run("press 53");
    for (size_t i = 0; i < 10; ++i)
        EXPECT_FALSE(patterns.IsSelected(i)) << i;
    EXPECT_EQ(patterns.GetCurrent(), 0);
    SendMessageW(m_session->Editor(), WM_PLUGIN_PATTERN, 7, 100);
    EXPECT_FALSE(patterns.IsSelected(7)) << "lParam 100 clears every mark";
    EXPECT_EQ(patterns.GetCurrent(), 7);
    Run("press 57");
    EXPECT_TRUE(patterns.IsSelected(7));

    Run("press 75");
    EXPECT_TRUE(levels.IsSelected(5));
    Run("press 75");
    EXPECT_FALSE(levels.IsSelected(5));
    EXPECT_FALSE(levels.IsSelected(0)) << "level 0 chosen, none selected";
    EXPECT_EQ(levels.GetCurrent(), 0);
    Run("press 76");
    EXPECT_EQ(levels.GetCurrent(), 6);

    // Insert at the paused position: in the editor, on the device's sheet, marked changed.
    Run("play; wait 2.5; pause; press 27");
    CTimeLineButtonManager::EntryView entry;
    ASSERT_TRUE(TimeLine().FindEntry(25, entry));
    EXPECT_EQ(entry.data.pattern, 7);
    EXPECT_EQ(entry.data.level, 6);
    EXPECT_TRUE(Plugin().DeviceManager()->Sheet().HasCommandAt(25000));
    EXPECT_TRUE(TimeLine().IsModified());

    // The preview plays the choice at once; a new choice reaches the device while it lasts.
    const auto& preview = Window().PlayViewButton();
    Run("press 35; wait 0.1");
    EXPECT_TRUE(Plugin().DeviceManager()->IsPreviewing());
    EXPECT_EQ(LastReport(), "76");
    EXPECT_EQ(preview.Face(0).GetState(), 2);
    const size_t before = m_session->Bus().Reports().size();
    Run("press 52");
    EXPECT_EQ(m_session->Bus().Reports().size(), before + 1);
    EXPECT_EQ(LastReport(), "26");
    Run("press 35; wait 0.1");
    EXPECT_FALSE(Plugin().DeviceManager()->IsPreviewing());
    EXPECT_NE(preview.Face(0).GetState(), 2);

    Run("stop; press 27");
    ASSERT_TRUE(TimeLine().FindEntry(0, entry)) << "a stopped movie inserts at 0";
    EXPECT_EQ(entry.data.pattern, 2);
}

TEST_F(EditorSession, LoadingAndSavingNeverLoseTheUsersWork)
{
    Start();
    const HWND box = Window().FileEditBox().GetWindow();
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\a.tms"));
    EXPECT_EQ(Text(box), Path("\\a.tms"));

    // The open dialog, dropped files and a typed path all load; "TMS" counts as "tms".
    Run("answer " + Path("\\B.TMS") + "; press 32");
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\B.TMS"));
    EXPECT_EQ(Keys(), (std::vector<int32_t>{30}));
    Run("drop " + Path("\\notes.txt") + " " + Path("\\a.tms"));
    EXPECT_EQ(Keys(), (std::vector<int32_t>{50, 100}));
    Run("drop " + Path("\\B.TMS"));
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\B.TMS"));
    struct Typed {
        std::string text;
        std::string path;
    };
    const Typed typed[] = {
        {Path("\\a.tms"), Path("\\a.tms")},
        {Path("\\B.TMS"), Path("\\B.TMS")},
        {Path("\\notes.txt"), Path("\\B.TMS")},
    };
    for (const Typed& t : typed) {
        SCOPED_TRACE(t.text);
        SetWindowTextA(box, t.text.c_str());
        Run("click 400 52; key enter");
        EXPECT_EQ(Plugin().TimeSheetPath(), t.path);
        EXPECT_EQ(Text(box).find_first_of("\r\n"), std::string::npos) << "no line break gets into the box";
    }
    EXPECT_EQ(Text(box), Path("\\notes.txt")) << "a path that is no sheet stays as typed";
    // A typed path that cannot be loaded says why.
    EXPECT_EQ(Count("prompt unanswered message 読み込みエラー: タイムシート「" + Path("\\notes.txt") +
                    "」はタイムシートの形式ではないため読み込めません。"),
              1u);
    SetWindowTextA(box, Path("\\gone.tms").c_str());
    Run("click 400 52; key enter");
    EXPECT_EQ(Count("prompt unanswered message 読み込みエラー: タイムシート「" + Path("\\gone.tms") + "」が見つかりません。"),
              1u);
    // Pasted with its quotes, blanks and line break, or relative to the current folder: it
    // loads, and is remembered by its full name.
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    ASSERT_TRUE(SetCurrentDirectoryA(m_dir.Path().c_str()));
    for (const std::string& text : {"  \"" + Path("\\a.tms") + "\" \r\n", std::string("B.TMS")}) {
        SCOPED_TRACE(text);
        SetWindowTextA(box, text.c_str());
        Run("click 400 52; key enter");
        EXPECT_EQ(Plugin().TimeSheetPath(), text == "B.TMS" ? Path("\\B.TMS") : Path("\\a.tms"));
    }
    SetCurrentDirectoryA(current);

    // A new name without an extension: written with ".tms", and that is the current path.
    Run("press 51; press 27; answer " + Path("\\fresh") + "; press 31");
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\fresh.tms"));
    EXPECT_FALSE(ReadWholeFile(Path("\\fresh.tms")).empty());
    EXPECT_EQ(GetFileAttributesA(Path("\\fresh").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(TimeLine().IsModified());
    EXPECT_EQ(Text(box), Path("\\fresh.tms"));
    Run("press 52; press 27; answer " + Path("\\new.tms") + "; press 31");
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\new.tms")) << "the save dialog takes a new name";

    // The name we extend is asked about before it is overwritten; no keeps the file.
    const std::string fresh = ReadWholeFile(Path("\\fresh.tms"));
    Run("press 53; press 27; answer " + Path("\\fresh") + "; answer no; answer cancel; press 31");
    EXPECT_EQ(Count("prompt message 名前を付けて保存の確認: " + Path("\\fresh.tms")), 1u);
    EXPECT_EQ(ReadWholeFile(Path("\\fresh.tms")), fresh);
    EXPECT_TRUE(TimeLine().IsModified());

    // A failed save says so in Japanese, keeps the changes marked and asks for another name.
    Run("answer " + Path("\\missing\\x.tms") + "; answer ok; answer cancel; press 31");
    EXPECT_EQ(Count("prompt message 保存エラー: タイムシート「" + Path("\\missing\\x.tms")), 1u);
    EXPECT_TRUE(TimeLine().IsModified());
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\new.tms"));
    Run("answer " + Path("\\missing\\x.tms") + "; answer ok; answer " + Path("\\other.tms") + "; press 31");
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\other.tms"));
    EXPECT_FALSE(TimeLine().IsModified());

    // Loading over changes asks first: cancel keeps them, no drops them.
    Run("press 54; press 27; answer cancel; drop " + Path("\\a.tms"));
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\other.tms"));
    EXPECT_TRUE(TimeLine().IsModified());
    Run("answer no; drop " + Path("\\a.tms"));
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\a.tms"));
    EXPECT_FALSE(TimeLine().IsModified());

    // In the mini window the save button is neither there to press nor to click.
    const size_t saves = Count("prompt save") + Count("prompt unanswered save");
    Run("press 23; press 31; click 22 13; press 24");
    EXPECT_TRUE(Said("event press 31 ignored: no control 31 is shown t=0.000"));
    EXPECT_EQ(Count("prompt save") + Count("prompt unanswered save"), saves);

    // Closing with changes offers to save; the settings file remembers what was written.
    Run("press 55; press 27; answer yes; answer " + Path("\\last") + "; close");
    EXPECT_FALSE(ReadWholeFile(Path("\\last.tms")).empty());
    EXPECT_EQ(ReadWholeFile(Path("\\info.txt")), "lastfile_path\t" + Path("\\last.tms"));
    Run("create");
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\last.tms")) << "read back when the editor opens";
    EXPECT_EQ(Count("warning:"), 0u) << "every question keeps the editor from taking clicks";
}

TEST(FileNames, TypedAndChosenNamesBecomeTheSheetsPath)
{
    const std::pair<const char*, const char*> typed[] = {
        {"C:\\a.tms", "C:\\a.tms"},
        {"  \"C:\\my sheets\\a.tms\"  ", "C:\\my sheets\\a.tms"},
        {"C:\\a.tms\r\n", "C:\\a.tms"},
        {"C:\\a.tms\r\nC:\\b.tms", "C:\\a.tms"},
        {"\t\" C:\\表.tms \"\t", "C:\\表.tms"},
        {"\"\"", ""},
        {"\"", "\""},
    };
    for (const auto& t : typed)
        EXPECT_EQ(t.second, TervaneControl::CFileEditBox::CleanTypedPath(t.first)) << t.first;
    const std::pair<const char*, const char*> chosen[] = {
        {"C:\\a", "C:\\a.tms"},
        {"C:\\a.", "C:\\a.tms"},
        {"C:\\a. .", "C:\\a.tms"},
        {"C:\\a.TMS", "C:\\a.TMS"},
        {"C:\\a.txt", "C:\\a.txt"},
        {"C:\\v1.2\\a", "C:\\v1.2\\a.tms"},
    };
    for (const auto& c : chosen)
        EXPECT_EQ(c.second, TervaneControl::CFileButton::SaveNameOf(c.first)) << c.first;
}

TEST_F(EditorSession, TheSliderAndTheOverviewBarSeek)
{
    Start(600.0);
    const auto& slider = Window().SeekBar();
    Run("play; wait 1");
    ASSERT_TRUE(slider.IsReady());
    EXPECT_EQ(slider.GetThumbLeft(), 46);

    // Dragging the thumb of a playing movie pauses it, and the release plays it again.
    PressAt(52, 314);
    EXPECT_EQ(Player().State(), 2);
    MoveTo(246, 314);
    EXPECT_EQ(Player().State(), 2);
    Release();
    EXPECT_EQ(Player().State(), 3);
    const float ratio = static_cast<float>(239 - 46) / static_cast<float>(slider.Geometry().MaximumLeft() - 46);
    EXPECT_EQ(Player().Position(), static_cast<double>(600.0f * ratio));

    // Scanning forward resumes scanning forward.
    IWMPControls* controls = Plugin().Controls();
    controls->fastForward();
    Player().Deliver();
    Run("wait 0.1");
    ASSERT_EQ(Player().State(), 4);
    const int centre = slider.GetThumbLeft() + 7;
    PressAt(centre, 314);
    EXPECT_EQ(Player().State(), 2);
    Release();
    EXPECT_EQ(Player().State(), 4);

    // A click on the track seeks without pausing; one left of it does nothing.
    Run("play; wait 0.1");
    PressAt(100, 314);
    EXPECT_EQ(Player().State(), 3);
    Release();
    EXPECT_NEAR(Player().Position(), 600.0 * (100 - 7 - 46) / 387.0, 0.5);
    Run("pause");
    const double paused = Player().Position();
    PressAt(40, 314);
    Release();
    EXPECT_EQ(Player().Position(), paused);

    // The overview box follows the pointer but seeks only when let go.
    Run("wait 0.1");
    const RECT box = Window().OverviewBar().GetBoxRect();
    PressAt(box.left + 3, box.top + 8);
    MoveTo(300, box.top + 8);
    EXPECT_EQ(Player().Position(), paused);
    EXPECT_EQ(Window().OverviewBar().GetBoxRect().left, 300);
    Release();
    // The bar is 310 pixels from x 37, the box 12 wide: the box's left travels 298 pixels.
    EXPECT_EQ(Player().Position(), static_cast<double>(static_cast<float>(263.0 / 298.0)) * 600.0);

    // A drag ends where it is let go: beside the track over the seek-forward button, or
    // outside what the user sees of the editor; and when another window takes the mouse. The
    // movie the grab paused plays on each time.
    const float at193 = static_cast<float>(193 - 46) / static_cast<float>(slider.Geometry().MaximumLeft() - 46);
    const struct {
        int x, y;
        double position;
    } ends[] = {{200, 650, static_cast<double>(600.0f * at193)}, {462, 314, 600.0}};
    for (const auto& end : ends) {
        SCOPED_TRACE(end.x);
        Run("play; seek 300; wait 0.1");
        PressAt(slider.GetThumbLeft() + 7, 314);
        EXPECT_EQ(Player().State(), 2);
        MoveTo(end.x, end.y);
        Release();
        EXPECT_FALSE(slider.IsDragging());
        EXPECT_EQ(Player().State(), 3);
        EXPECT_EQ(Player().Position(), end.position);
    }
    Run("play; seek 300; wait 0.1");
    PressAt(slider.GetThumbLeft() + 7, 314);
    SetCapture(m_session->Host());
    Player().Deliver();
    EXPECT_FALSE(slider.IsDragging());
    EXPECT_EQ(Player().State(), 3);
    Release();
    ReleaseCapture();
    Run("pause; seek 100; wait 0.1");
    const RECT overview = Window().OverviewBar().GetBoxRect();
    PressAt(overview.left + 3, overview.top + 8);
    MoveTo(200, 650);
    Release();
    EXPECT_FALSE(Window().OverviewBar().IsDragging());
    EXPECT_EQ(Player().Position(), static_cast<double>(static_cast<float>(163.0 / 298.0)) * 600.0)
        << "released outside, the box seeks where it was let go";

    // The time box shows where the player is.
    Run("wait 0.1");
    EXPECT_EQ(Window().TimeEditBox().Text(), TervaneControl::FormatMediaTime(Player().Position()));
}

TEST_F(EditorSession, WithoutAMovieLengthTheBarsStayStill)
{
    Start(600.0, true);
    Run("play; wait 1");
    EXPECT_FALSE(Window().SeekBar().IsReady());
    EXPECT_FALSE(Window().OverviewBar().IsReady());
    const double before = Player().Position();
    PressAt(200, 314);
    Release();
    EXPECT_EQ(Player().Position(), before);
    EXPECT_EQ(Player().State(), 3);
}

// The keyboard, wherever the editor's focus is, does what the buttons and the mouse do; the
// edit boxes keep their keys; undo and redo retrace edits on the device too; the device's
// lead time is stored per user and shown a while in the time box.
// The editor's keys keep working whatever the mouse did: a point's window that had the focus
// gives it back before it goes. A digit chooses its pattern however often it is pressed; the
// mini window, which shows no points, lets no key change them; and the input method, which
// our users often have on, is the edit boxes' alone.
TEST_F(EditorSession, TheKeyboardStaysWithTheEditor)
{
    Start();
    const HWND editor = m_session->Editor();
    Run("play; wait 3; pause; wait 0.1");
    RECT face;
    ASSERT_TRUE(TimeLine().PointRect(50, face));
    const int x = (face.left + face.right) / 2, y = (face.top + face.bottom) / 2;
    const auto keysWork = [&](const char* after) {
        const HWND focus = GetFocus();
        EXPECT_TRUE(focus == editor || (IsChild(editor, focus) && IsWindowVisible(focus))) << after;
    };
    Run("drag " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(x + 36) + " " +
        std::to_string(y - 30) + "; wait 0.2");
    EXPECT_EQ(Keys(), (std::vector<int32_t>{58, 100})) << "36 pixels are 8 tenths";
    keysWork("a drag");
    Run("key ctrl+z");
    EXPECT_EQ(Keys(), (std::vector<int32_t>{50, 100})) << "undoes the drag";
    Run("click " + std::to_string(x) + " " + std::to_string(y) + "; key delete");
    EXPECT_EQ(Keys(), (std::vector<int32_t>{100}));
    keysWork("a delete");
    Run("key ctrl+z");
    EXPECT_EQ(Keys(), (std::vector<int32_t>{50, 100})) << "brings the point back";
    EXPECT_TRUE(TimeLine().IsSelected(50)) << "as it was";

    Run("key 3; key 3; key 4; key 4; wait 0.1");
    EXPECT_TRUE(Window().PatternButton().IsSelected(4));
    EXPECT_EQ(TimeLine().PatternOf(50), 4) << "the selected point took it";
    Run("seek 2; wait 0.1; press 27");
    EXPECT_EQ(TimeLine().PatternOf(20), 4) << "and so does a new one";

    // The mini window: Delete, digits, undo and redo leave the points alone.
    const size_t steps = TimeLine().CanUndo() ? 1 : 0;
    Run("press 23; key delete; key 7; key ctrl+z; key ctrl+y; wait 0.1");
    EXPECT_EQ(Keys(), (std::vector<int32_t>{20, 50, 100}));
    EXPECT_EQ(TimeLine().PatternOf(50), 4);
    EXPECT_EQ(steps, TimeLine().CanUndo() ? 1u : 0u);
    Run("press 24; key delete");
    EXPECT_EQ(Keys(), (std::vector<int32_t>{20, 100})) << "back in the normal window the keys act again";

    // No input method on the editor, its buttons or its points; the edit boxes keep theirs.
    RealInput::MoveTo(Screen(x, y).x, Screen(x, y).y);
    Run("wait 0.1");
    const HWND point = WindowFromPoint(Screen(250, 200));
    for (const HWND window : {editor, GetDlgItem(editor, TervaneControl::kIdInsert), point}) {
        const HIMC context = ImmGetContext(window);
        EXPECT_EQ(nullptr, context);
        if (context != nullptr)
            ImmReleaseContext(window, context);
    }
    const HWND box = Window().FileEditBox().GetWindow();
    const HIMC boxContext = ImmGetContext(box);
    const HWND fresh = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const HIMC freshContext = ImmGetContext(fresh);
    EXPECT_EQ(freshContext != nullptr, boxContext != nullptr) << "the box has what any window has";
    if (boxContext != nullptr)
        ImmReleaseContext(box, boxContext);
    if (freshContext != nullptr)
        ImmReleaseContext(fresh, freshContext);
    DestroyWindow(fresh);
}

TEST_F(EditorSession, TheKeyboardDoesWhatItsButtonsDo)
{
    Start();
    const auto& patterns = Window().PatternButton();
    CTervaneManager& device = *Plugin().DeviceManager();
    // Before the first tick the movie cannot be started: Space still belongs to the editor,
    // and does not click the zoom button that has the focus.
    ASSERT_FALSE(IsWindowEnabled(GetDlgItem(m_session->Editor(), TervaneControl::kIdPlayPause)));
    Run("press 30; key space");
    EXPECT_EQ(TimeLine().GetZoomMode(), 1);
    Run("key plus; wait 0.1; key 3");
    EXPECT_TRUE(patterns.IsSelected(3));
    Run("key minus");
    EXPECT_EQ(TimeLine().GetZoomMode(), 1) << "minus zooms out";
    Run("key plus");
    EXPECT_EQ(TimeLine().GetZoomMode(), 0);

    Run("key space; wait 3");
    EXPECT_EQ(Player().State(), 3) << "space plays";
    Run("key space");
    EXPECT_EQ(Player().State(), 2) << "and pauses";
    Run("key right");
    EXPECT_EQ(Player().Position(), 5.1) << "the next point";
    Run("wait 0.1; key left");
    EXPECT_EQ(Player().Position(), 5.0) << "the previous point";

    // An insert, undone and redone by either key, on the device too.
    Run("seek 2.5; press 27");
    EXPECT_EQ(Keys(), (std::vector<int32_t>{25, 50, 100}));
    Run("key ctrl+z");
    EXPECT_EQ(Keys(), (std::vector<int32_t>{50, 100}));
    EXPECT_FALSE(device.Sheet().HasCommandAt(25000));
    EXPECT_FALSE(TimeLine().IsModified()) << "back where the sheet was loaded";
    Run("key ctrl+y");
    EXPECT_EQ(Keys(), (std::vector<int32_t>{25, 50, 100}));
    EXPECT_TRUE(device.Sheet().HasCommandAt(25000));
    Run("key ctrl+z; key ctrl+shift+z");
    EXPECT_EQ(Keys(), (std::vector<int32_t>{25, 50, 100}));
    EXPECT_TRUE(TimeLine().IsModified());

    // Delete takes the selected points in one step.
    TimeLine().SetSelected(25, true);
    TimeLine().SetSelected(100, true);
    Run("key delete");
    EXPECT_EQ(Keys(), (std::vector<int32_t>{50}));
    EXPECT_FALSE(device.Sheet().HasCommandAt(100000));
    Run("key ctrl+z");
    EXPECT_EQ(Keys(), (std::vector<int32_t>{25, 50, 100}));
    EXPECT_TRUE(device.Sheet().HasCommandAt(100000));

    // Ctrl+S saves to the sheet's own file without a word; Ctrl+Shift+S and Ctrl+O show
    // their dialogs, the save dialog proposing the sheet's own name.
    Run("key ctrl+s");
    EXPECT_FALSE(TimeLine().IsModified());
    EXPECT_NE(ReadWholeFile(Path("\\a.tms")).find("25000\t"), std::string::npos);
    EXPECT_EQ(Count("prompt"), 0u);
    Run("answer " + Path("\\keys.tms") + "; key ctrl+shift+s");
    EXPECT_EQ(Count("prompt save TimeSheet files {*.tms} " + Path("\\a.tms")), 1u);
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\keys.tms"));
    EXPECT_NE(ReadWholeFile(Path("\\keys.tms")).find("25000\t"), std::string::npos);
    Run("answer " + Path("\\B.TMS") + "; key ctrl+o");
    EXPECT_EQ(Keys(), (std::vector<int32_t>{30}));
    EXPECT_FALSE(TimeLine().CanUndo()) << "a load is no step and clears the history";

    // In the file name box, keys are the box's.
    const HWND box = Window().FileEditBox().GetWindow();
    SetWindowTextA(box, "");
    Run("click 400 52; key space; key 5; key delete");
    EXPECT_EQ(Text(box), " 5");
    EXPECT_EQ(Player().State(), 2) << "space typed into the box plays nothing";
    EXPECT_FALSE(patterns.IsSelected(5));
    SetFocus(m_session->Editor());

    // Ctrl+Up and Ctrl+Down: 10 ms a step, kept per user on a second line, shown two seconds.
    const TervaneControl::CTimeEditBox& timeBox = Window().TimeEditBox();
    Run("key ctrl+up; key ctrl+up; key ctrl+up; wait 0.1");
    EXPECT_EQ(device.LeadMs(), 30);
    EXPECT_EQ(timeBox.Text(), L"先行 +30 ms");
    const std::string settings = ReadWholeFile(Path("\\info.txt"));
    EXPECT_EQ(settings.substr(settings.find("\r\n")), "\r\nlead_time\t30");
    Run("wait 2.1");
    EXPECT_EQ(timeBox.Text().find(L"ms"), std::wstring::npos) << "the position again";
    Run("key ctrl+down; key ctrl+down; key ctrl+down");
    EXPECT_EQ(device.LeadMs(), 0);
    EXPECT_EQ(ReadWholeFile(Path("\\info.txt")).find('\n'), std::string::npos) << "one line, as before";
}

// With a lead time the device gets each command that much earlier; the preview is not moved.
TEST_F(EditorSession, TheLeadTimeMovesTheCommandsNotThePreview)
{
    ASSERT_TRUE(WriteAt(m_dir, "\\info.txt", "lastfile_path\t" + Path("\\a.tms") + "\r\nlead_time\t300"));
    Start();
    EXPECT_EQ(Plugin().DeviceManager()->LeadMs(), 300) << "read with the last sheet";
    // A tick reads the position it began with: the 47th tick after play reads 4.6 s.
    Run("play; wait 4.7");
    EXPECT_NE(LastReport(), "13");
    Run("wait 0.1");
    EXPECT_EQ(LastReport(), "13") << "the command at 5 s, at the tick of 4.7 s";
    Plugin().DeviceManager()->SetLeadMs(-300);
    Run("wait 5.5");
    EXPECT_EQ(LastReport(), "13");
    Run("wait 0.1");
    EXPECT_EQ(LastReport(), "25") << "the command at 10 s, at the tick of 10.3 s";
    // The preview plays the choice at once, lead or not.
    Run("press 53; press 74; press 35; wait 0.1");
    EXPECT_EQ(LastReport(), "34");
}

// The overview bar shows the whole sheet: each column the highest level in effect in its
// stretch, in its pattern's colour, dim before the first point; drawn again only when the
// sheet changes.
TEST_F(EditorSession, TheOverviewBarShowsTheWholeSheet)
{
    using TervaneControl::CSheetStrip;
    using TervaneControl::StripColumns;
    // Pure: three entries in one stretch of 1 s, the highest wins; the last one carries on.
    CSheetDocument::Tenths entries;
    const int levels[][3] = {{5, 2, 1}, {6, 7, 3}, {7, 1, 4}, {25, 4, 5}};
    for (const auto& l : levels)
        entries[l[0]] = {CommandData(l[0] * 1000, l[2], l[1])};
    const auto columns = StripColumns(entries, 4.0, 4);
    ASSERT_EQ(columns.size(), 4u);
    EXPECT_EQ(columns[0].level, 7);
    EXPECT_EQ(columns[0].pattern, 3);
    EXPECT_EQ(columns[1].level, 1) << "carried from the last entry before it";
    EXPECT_EQ(columns[2].level, 4);
    EXPECT_EQ(columns[3].level, 4);
    EXPECT_TRUE(StripColumns(entries, 0.0, 4)[0].level < 0) << "no movie length, nothing in effect";

    Start();
    Run("wait 0.2");
    const auto& bar = Window().OverviewBar();
    const HDC back = Window().ParentStatic().GetBackBufferDC();
    const RECT strip = bar.GetStripRect();
    const auto column = [&](double seconds) {
        return strip.left + static_cast<int>(seconds / 60.0 * (strip.right - strip.left));
    };
    const auto pixel = [&](double seconds, int fromBottom) {
        return GetPixel(back, column(seconds), strip.bottom - 1 - fromBottom);
    };
    // The sheet: 5 s pattern 1 level 3, 10 s pattern 2 level 5, a 60 s movie.
    EXPECT_EQ(pixel(2.0, 0), CSheetStrip::kSilent) << "silent before the first point";
    EXPECT_EQ(pixel(2.0, 1), CSheetStrip::kBackground);
    EXPECT_EQ(pixel(7.0, 2), CSheetStrip::PatternColour(1));
    EXPECT_EQ(pixel(7.0, 3), CSheetStrip::kBackground) << "level 3 of 10: 3 rows of 8";
    EXPECT_EQ(pixel(30.0, 3), CSheetStrip::PatternColour(2));
    EXPECT_EQ(pixel(30.0, 4), CSheetStrip::kBackground);

    const int builds = bar.Strip().Builds();
    Run("play; wait 2");
    EXPECT_EQ(bar.Strip().Builds(), builds) << "never drawn again by the ticks alone";
    TimeLine().InsertAt(20.0, 4, 10);
    Run("wait 0.1");
    EXPECT_EQ(bar.Strip().Builds(), builds + 1);
    EXPECT_EQ(pixel(20.2, CSheetStrip::kHeight - 1), CSheetStrip::PatternColour(4)) << "level 10 fills it";
    Run("key ctrl+z; wait 0.1");
    EXPECT_EQ(pixel(20.2, CSheetStrip::kHeight - 1), CSheetStrip::kBackground) << "and undo takes it back";
    Run("shot " + Path("\\overview.png"));
}

// Unsaved changes survive a crash: the copy follows them and names its sheet; the next run
// offers it once; yes brings the entries and the device's commands back as unsaved changes
// of that sheet, no removes it; a save removes it too.
TEST_F(EditorSession, UnsavedChangesSurviveACrashOfThePlayer)
{
    using Quorvel::Base::File::FileStamp;
    using Quorvel::Base::File::IsExistingFile;
    const auto offers = [this] {
        size_t count = 0;
        for (const std::string& line : m_lines)
            count += line.find(CRecoveryCopy::kQuestion) != std::string::npos ? 1 : 0;
        return count;
    };
    // The player dies with the editor open: the system lets go of what it held, and its copy
    // is all that is left of the changes. (A test cannot let its process die: the claim goes
    // as it would, and the editor closes without a word.)
    const auto die = [this] {
        CRecoveryCopy::EndOfPlayer();
        Run("answer no");
        m_session->Finish();
        m_session.reset();
        m_lines.clear();
    };
    Start();
    Run("play; wait 2.5; pause; press 53; press 77; press 27; wait 0.1");
    const std::string copy = CRecoveryCopy::OwnPath();
    ASSERT_TRUE(IsExistingFile(copy)) << "written on the first tick after a change";
    EXPECT_EQ(0u, copy.find(m_dir.Path() + "\\recovery-")) << "a copy of this player's own, beside the settings";
    const std::string written = ReadWholeFile(copy);
    FileStamp loaded;
    ASSERT_TRUE(Quorvel::Base::File::StampOfFile(Path("\\a.tms"), loaded));
    EXPECT_NE(written.find(CRecoveryCopy::SecondLineFor(Path("\\a.tms"), loaded) + "\r\r\n"), std::string::npos)
        << "the sheet it belongs to, as it was loaded";
    EXPECT_NE(written.find("25000\t3\t7\t"), std::string::npos);
    // Another change soon after waits for its turn: a copy at most every 30 s.
    Run("press 26; press 27; wait 0.1");
    EXPECT_EQ(ReadWholeFile(copy), written);
    Run("wait 30");
    EXPECT_NE(ReadWholeFile(copy), written);
    Run("key ctrl+z; wait 30.1");
    EXPECT_EQ(ReadWholeFile(copy), written) << "undone, the copy is the first one's again";
    const auto entries = Keys();

    // A second player of the same user runs with changes of its own (it stands here as the
    // lock its process holds): its copy is never offered, overwritten or deleted.
    ASSERT_TRUE(WriteAt(m_dir, "\\recovery-9.tms", written));
    const HANDLE otherPlayer = CreateFileA(Path("\\recovery-9.lock").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                           CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, otherPlayer);
    die();
    EXPECT_EQ(ReadWholeFile(copy), written) << "a player that died removes nothing";

    // The sheet's file changed since (a sync tool wrote it): the copy is offered all the same,
    // and the offer says so.
    ASSERT_TRUE(WriteAt(m_dir, "\\a.tms", std::string(kSheet) + "\n"));
    Start(60.0, false, {"yes"}, false);
    EXPECT_EQ(offers(), 1u);
    EXPECT_EQ(Count("prompt message 確認: " + std::string(CRecoveryCopy::kQuestion) + "\r\n\r\nタイムシート: " +
                    Path("\\a.tms") + "\r\n記録した日時: "),
              1u);
    EXPECT_EQ(Count("prompt"), 1u);
    EXPECT_NE(m_lines.end(), std::find_if(m_lines.begin(), m_lines.end(), [](const std::string& l) {
                  return l.find("編集内容を記録した後で変更されています") != std::string::npos;
              }));
    EXPECT_EQ(Keys(), entries);
    EXPECT_TRUE(TimeLine().IsModified());
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\a.tms")) << "the changes are that sheet's";
    EXPECT_TRUE(Plugin().DeviceManager()->Sheet().HasCommandAt(25000));
    EXPECT_EQ(Plugin().DeviceManager()->Sheet().Count(), 3);
    EXPECT_NE(copy, CRecoveryCopy::OwnPath());
    EXPECT_FALSE(IsExistingFile(copy)) << "taken over: this player's own copy holds the changes now";
    const std::string taken = ReadWholeFile(CRecoveryCopy::OwnPath());
    EXPECT_EQ(taken.substr(taken.find("\r\r\n333333")), written.substr(written.find("\r\r\n333333")));
    EXPECT_TRUE(IsExistingFile(Path("\\recovery-9.tms"))) << "the running player's copy stays";

    // Saved: this player's copy goes, the other's stays.
    Run("answer " + Path("\\a.tms") + "; answer yes; press 31; wait 0.1");
    EXPECT_FALSE(TimeLine().IsModified());
    EXPECT_FALSE(IsExistingFile(CRecoveryCopy::OwnPath()));
    EXPECT_EQ(ReadWholeFile(Path("\\recovery-9.tms")), written);

    // Everything deleted and not saved: a copy with no records brings back an empty time line.
    // The other player has ended meanwhile, leaving its copy (the older one) behind.
    Run("answer ok; press 40; wait 0.1");
    ASSERT_TRUE(IsExistingFile(CRecoveryCopy::OwnPath()));
    const std::string emptied = CRecoveryCopy::OwnPath();
    CloseHandle(otherPlayer);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const unsigned long long earlier =
        ((static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime) - 36000000000ull;
    const FILETIME hourAgo = {static_cast<DWORD>(earlier), static_cast<DWORD>(earlier >> 32)};
    const HANDLE older = CreateFileA(Path("\\recovery-9.tms").c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, older);
    SetFileTime(older, nullptr, nullptr, &hourAgo);
    CloseHandle(older);
    die();
    Start(60.0, false, {"yes"}, false);
    EXPECT_EQ(offers(), 1u) << "the newest first; the other waits for the next start";
    EXPECT_TRUE(Keys().empty());
    EXPECT_TRUE(TimeLine().IsModified());
    EXPECT_FALSE(IsExistingFile(emptied));
    EXPECT_TRUE(IsExistingFile(Path("\\recovery-9.tms")));

    // Two left: no removes the first; a restore that fails (another program holds the copy)
    // says so and keeps it.
    die();
    const HANDLE held = CreateFileA(Path("\\recovery-9.tms").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Start(60.0, false, {"no", "yes", "ok"}, false);
    EXPECT_EQ(offers(), 2u);
    EXPECT_EQ(Count("prompt message 復元エラー: 編集内容を復元できませんでした。"), 1u);
    CloseHandle(held);
    EXPECT_TRUE(IsExistingFile(Path("\\recovery-9.tms")));
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\a.tms")) << "the remembered sheet, as it is";
    EXPECT_FALSE(TimeLine().IsModified());
    EXPECT_EQ(Count("warning:"), 0u);
    DeleteFileA(Path("\\recovery-9.tms").c_str());

    // A copy that cannot be written is tried again at most every 30 s, and that is said once.
    Run("press 54; press 27; wait 0.1");
    const std::string own = CRecoveryCopy::OwnPath();
    ASSERT_TRUE(IsExistingFile(own));
    const std::string first = ReadWholeFile(own);
    ASSERT_TRUE(SetFileAttributesA(own.c_str(), FILE_ATTRIBUTE_READONLY));
    const TervaneControl::CTimeEditBox& timeBox = Window().TimeEditBox();
    Run("press 55; press 27; wait 30.1");
    EXPECT_EQ(timeBox.Text(), L"変更の控えを書けません");
    Run("wait 31");
    EXPECT_EQ(timeBox.Text(), L"00:00:00.0") << "said once";
    ASSERT_TRUE(SetFileAttributesA(own.c_str(), FILE_ATTRIBUTE_NORMAL));
    Run("wait 20");
    EXPECT_EQ(ReadWholeFile(own), first) << "not tried before 30 s have passed";
    Run("wait 11");
    EXPECT_NE(ReadWholeFile(own), first);
}

// Two players for one user, and one of them killed: the copy of the player that runs is left
// alone by the other, and once its process dies the system lets go of its lock and the next
// start offers it. The first player is the real tool in a process of its own.
TEST_F(EditorSession, APlayerThatIsKilledLeavesItsCopyForTheNextStart)
{
    const std::string tool = BuildFolder() + "\\tools\\tervane-player.exe";
    if (!Quorvel::Base::File::IsExistingFile(tool))
        GTEST_SKIP() << "no " << tool;
    std::string command = "\"" + tool + "\" --sheet \"" + Path("\\a.tms") + "\" --settings \"" + m_dir.Path() +
                          "\" --events \"press 53; press 77; press 27; wait 0.2; wait 100000\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION first = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                               &startup, &first));
    CloseHandle(first.hThread);
    const std::string copy = Path("\\recovery-1.tms");
    for (int i = 0; i < 300 && !Quorvel::Base::File::IsExistingFile(copy); ++i)
        Sleep(100);
    ASSERT_TRUE(Quorvel::Base::File::IsExistingFile(copy)) << "the first player wrote its copy";
    const std::string written = ReadWholeFile(copy);

    // The second player: nothing offered, and its own changes go to a copy of its own.
    Start(60.0, false, {}, false);
    Run("press 54; press 27; wait 0.1");
    EXPECT_EQ(Count("prompt"), 0u);
    EXPECT_NE(CRecoveryCopy::OwnPath(), copy);
    EXPECT_TRUE(Quorvel::Base::File::IsExistingFile(CRecoveryCopy::OwnPath()));
    Run("answer no");
    m_session->Finish();
    m_session.reset();
    EXPECT_EQ(ReadWholeFile(copy), written) << "the running player's copy stays as it wrote it";

    TerminateProcess(first.hProcess, 9);
    WaitForSingleObject(first.hProcess, 10000);
    CloseHandle(first.hProcess);
    m_lines.clear();
    Start(60.0, false, {"yes"}, false);
    EXPECT_EQ(Count("prompt message 確認: " + std::string(CRecoveryCopy::kQuestion)), 1u);
    CTimeLineButtonManager::EntryView entry;
    ASSERT_TRUE(TimeLine().FindEntry(0, entry)) << "the killed player's point";
    EXPECT_EQ(entry.data.pattern, 3);
    EXPECT_EQ(entry.data.level, 7);
    EXPECT_TRUE(TimeLine().IsModified());
    EXPECT_FALSE(Quorvel::Base::File::IsExistingFile(copy)) << "taken over by this player";
}

// A closed editor's unsaved changes stay with the time line: the next editor shows them as
// they are and does not load the remembered sheet over them. The remembered sheet changes
// only when this session loads, saves or deletes all, not when a start cannot load it.
TEST_F(EditorSession, ReopeningKeepsUnsavedWorkAndTheRememberedSheet)
{
    Start();
    Run("press 53; press 27; answer yes; answer cancel; close");
    EXPECT_EQ(Count("prompt message 確認: 保存されていないデータがあります。保存しますか？"), 1u);
    EXPECT_EQ(ReadWholeFile(Path("\\info.txt")), "lastfile_path\t" + Path("\\a.tms"));
    Run("create; wait 0.1");
    EXPECT_EQ(Keys(), (std::vector<int32_t>{0, 50, 100})) << "the point inserted before the close";
    EXPECT_TRUE(TimeLine().IsModified());
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\a.tms"));
    EXPECT_EQ(Text(Window().FileEditBox().GetWindow()), Path("\\a.tms"));
    EXPECT_EQ(Count("prompt"), 2u) << "no question when the editor opens: nothing is loaded over them";
    ASSERT_TRUE(TimeLine().CanUndo()) << "and they can still be undone";

    // The remembered sheet on a drive that is not there: nothing loads, nothing is said, and
    // closing the editor does not forget it.
    Run("answer no; close");
    m_session->Finish();
    m_session.reset();
    const std::string absent = "lastfile_path\tZ:\\absent\\sheet.tms";
    ASSERT_TRUE(WriteAt(m_dir, "\\info.txt", absent));
    m_lines.clear();
    Start(60.0, false, {}, false);
    Run("close; create; close");
    EXPECT_EQ(ReadWholeFile(Path("\\info.txt")), absent);
    EXPECT_EQ(Count("prompt"), 0u);
}
