#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "base/Win32.h"
#include "controls/TimeEditBox.h"
#include "device/TervaneManager.h"
#include "editor/Clipboard.h"
#include "editor/PluginWindow.h"
#include "plugin/TervanePlugin.h"
#include "sim/PlayerSession.h"
#include "support/EditorSession.h"
#include "support/FileFixtures.h"
#include "timesheet/TimeLineButtonManager.h"
#include "timesheet/TimeLineGeometry.h"

using TestSupport::ReadWholeFile;
using TestSupport::WriteAt;

namespace {

using Record = std::tuple<int32_t, int32_t, int32_t>; // time, pattern, level

// A sheet file: the first header line names the movie (or "111111"), then the records.
std::string SheetText(const std::string& movie, const std::vector<Record>& records)
{
    std::string text = movie + "\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
    for (const Record& r : records)
        text += std::to_string(std::get<0>(r)) + "\t" + std::to_string(std::get<1>(r)) + "\t" +
                std::to_string(std::get<2>(r)) + "\t0\t0\n";
    return text;
}

// The editor in the player, with what a test of many edits needs to check each one: the
// sheet as the graph holds it, as the device plays it, and what the time box says.
class Authoring : public TestSupport::EditorSession {
protected:
    std::vector<Record> Graph()
    {
        std::vector<Record> records;
        for (const CommandData& c : TimeLine().Document().AllRecords())
            records.emplace_back(c.time, c.pattern, c.level);
        return records;
    }
    std::vector<Record> DeviceList()
    {
        std::vector<Record> records;
        TimeSheet& sheet = Plugin().DeviceManager()->Sheet();
        for (int i = 0; i < sheet.Count(); ++i) {
            CommandData c;
            sheet.CommandAt(i, c);
            records.emplace_back(c.time, c.pattern, c.level);
        }
        return records;
    }
    // Every edit keeps the device's list in step with the graph.
    void ExpectGraph(const std::vector<Record>& expected, const char* step)
    {
        SCOPED_TRACE(step);
        EXPECT_EQ(Graph(), expected);
        EXPECT_EQ(DeviceList(), expected) << "the device's list follows the graph";
    }
    std::wstring TimeBox() { return Window().TimeEditBox().Text(); }
    // The centre of the point of key at level, in editor client pixels, as drawn now.
    POINT Centre(int32_t key, int32_t level)
    {
        POINT at = PointPosition(TimeLine().Geometry(), key, level, TimeLine().GetNow());
        return {at.x + kPointSize / 2, at.y + kPointSize / 2};
    }
    // A Shift+drag across the graph from just left of key `from` to just right of key `to`,
    // from the grid's margin above level 10 to the one below level 0, as a user sweeps every
    // level.
    void Band(int32_t from, int32_t to)
    {
        const CTimeLineGeometry& g = TimeLine().Geometry();
        Run("drag shift " + std::to_string(Centre(from, 0).x - 3) + " " + std::to_string(g.gridTop + 1) + " " +
            std::to_string(Centre(to, 0).x + 3) + " " + std::to_string(g.gridBottom - 1) + "; wait 0.1");
    }
    std::string Clipboard()
    {
        std::string text;
        ClipboardText(m_session->Editor(), text);
        return text;
    }
    size_t Sent() { return m_session->Bus().Reports().size(); }
};

} // namespace

// Many points at once: bands across zooms add to the selection, the count includes points out
// of view, a group drag replaces what it lands on, nudges, copy, cut and paste; each edit one
// undo step, the device's list in step after each.
TEST_F(Authoring, ManyPointsAtOnce)
{
    const std::vector<Record> sheet = {{10000, 1, 2}, {20000, 1, 4}, {30000, 2, 6},
                                       {40000, 2, 8}, {200000, 3, 5}, {400000, 4, 7}};
    ASSERT_TRUE(WriteAt(m_dir, "\\a.tms", SheetText("111111", sheet)));
    Start();
    Run("wait 0.1");

    Band(10, 20);
    EXPECT_EQ(TimeLine().SelectedCount(), 2);
    EXPECT_TRUE(TimeLine().IsSelected(10) && TimeLine().IsSelected(20));
    EXPECT_EQ(TimeBox(), L"選択 2 点");
    // Shift+click on a point takes it out of the selection and puts it back.
    const POINT second = Centre(20, 4);
    Run("click shift " + std::to_string(second.x) + " " + std::to_string(second.y));
    EXPECT_FALSE(TimeLine().IsSelected(20));
    Run("click shift " + std::to_string(second.x) + " " + std::to_string(second.y));
    EXPECT_TRUE(TimeLine().IsSelected(20));
    // At 100 s across the far points are in reach; back at 10 s they are out of view and
    // still counted.
    Run("press 30; press 30");
    Band(200, 400);
    EXPECT_EQ(TimeLine().SelectedCount(), 4);
    EXPECT_EQ(TimeBox(), L"選択 4 点");
    Run("press 29; press 29; wait 0.1");
    RECT drawn;
    EXPECT_FALSE(TimeLine().PointRect(200, drawn)) << "out of view";
    EXPECT_EQ(TimeLine().SelectedCount(), 4);
    Run("key escape; wait 0.1");
    EXPECT_EQ(TimeLine().SelectedCount(), 0);
    EXPECT_EQ(TimeBox(), L"選択なし");
    Run("key ctrl+a; wait 0.1");
    EXPECT_EQ(TimeLine().SelectedCount(), 6);
    EXPECT_EQ(TimeBox(), L"選択 6 点");
    EXPECT_FALSE(TimeLine().IsModified()) << "a selection is no edit";

    // A selected point dragged 2 s later and a level up takes the other selected point with
    // it; the unselected points on the tenths they land on are replaced.
    Run("key escape");
    Band(10, 20);
    const POINT first = Centre(10, 2);
    const POINT to = Centre(30, 3);
    Run("drag " + std::to_string(first.x) + " " + std::to_string(first.y) + " " + std::to_string(to.x) + " " +
        std::to_string(to.y));
    const std::vector<Record> moved = {{30000, 1, 3}, {40000, 1, 5}, {200000, 3, 5}, {400000, 4, 7}};
    ExpectGraph(moved, "group drag");
    EXPECT_TRUE(TimeLine().IsSelected(30) && TimeLine().IsSelected(40) && TimeLine().SelectedCount() == 2);
    // Dragged far up, the levels stop at 10.
    const POINT third = Centre(30, 3);
    Run("drag " + std::to_string(third.x) + " " + std::to_string(third.y) + " " + std::to_string(third.x) + " " +
        std::to_string(TimeLine().Geometry().graphTop));
    ExpectGraph({{30000, 1, 10}, {40000, 1, 10}, {200000, 3, 5}, {400000, 4, 7}}, "levels kept within 0-10");
    Run("key ctrl+z");
    ExpectGraph(moved, "undo of the clamped drag");

    // Nudges: a tenth, then a second back; each one step.
    Run("key alt+right");
    ExpectGraph({{31000, 1, 3}, {41000, 1, 5}, {200000, 3, 5}, {400000, 4, 7}}, "alt+right");
    Run("key alt+shift+left");
    ExpectGraph({{21000, 1, 3}, {31000, 1, 5}, {200000, 3, 5}, {400000, 4, 7}}, "alt+shift+left");
    Run("key ctrl+z; key ctrl+z");
    ExpectGraph(moved, "two undos take back two nudges");
    Run("key ctrl+z");
    ExpectGraph(sheet, "and the group drag");
    Run("key ctrl+y");
    ExpectGraph(moved, "redo");
    EXPECT_EQ(TimeLine().SelectedCount(), 2) << "the selection follows the points back and forth";

    // Copy: the records' lines, times from the first point.
    Run("key ctrl+c");
    EXPECT_EQ(Clipboard(), "0\t1\t3\t0\t0\r\n10000\t1\t5\t0\t0\r\n");
    ExpectGraph(moved, "copy changes nothing");
    // Paste at 39 s: the second lands on the 40 s point and replaces it; the pasted points are
    // the selection.
    Run("play; pause; seek 39; wait 0.1; key ctrl+v");
    const std::vector<Record> pasted = {{30000, 1, 3}, {40000, 1, 5}, {200000, 3, 5},
                                        {390000, 1, 3}, {400000, 1, 5}};
    ExpectGraph(pasted, "paste over a point");
    EXPECT_TRUE(TimeLine().IsSelected(390) && TimeLine().IsSelected(400) && TimeLine().SelectedCount() == 2);
    // The device plays what was pasted.
    Run("play; wait 0.2");
    EXPECT_EQ(LastReport(), "13");
    Run("wait 1");
    EXPECT_EQ(LastReport(), "15");
    Run("pause; key ctrl+z");
    ExpectGraph(moved, "undo of the paste puts the replaced point back");

    // Cut: the points go to the clipboard and from the sheet, in one step.
    Run("key escape; key ctrl+a; key ctrl+x");
    ExpectGraph({}, "cut");
    EXPECT_EQ(Clipboard(), "0\t1\t3\t0\t0\r\n10000\t1\t5\t0\t0\r\n170000\t3\t5\t0\t0\r\n370000\t4\t7\t0\t0\r\n");
    Run("key ctrl+z");
    ExpectGraph(moved, "undo of the cut");

    // Text typed by hand pastes the same way (spaces, a blank line, records out of order, a
    // level out of range kept as written); prose is refused and changes nothing.
    Run("seek 10; wait 0.1");
    Run("clip 5000 4 2\\n\\n0 7 12\\n");
    Run("key ctrl+v");
    ExpectGraph({{30000, 1, 3}, {40000, 1, 5}, {100000, 7, 12}, {105000, 4, 2}, {200000, 3, 5}, {400000, 4, 7}},
                "typed text pastes");
    Run("key ctrl+z");
    const size_t prompts = Count("prompt");
    Run("clip Dear diary, today I wrote a sheet.\\n; key ctrl+v");
    EXPECT_EQ(Count("prompt unanswered message 貼り付け:"), 1u);
    EXPECT_EQ(Count("prompt"), prompts + 1);
    ExpectGraph(moved, "prose is refused");
    Run("key ctrl+z");
    ExpectGraph(sheet, "the undo after a refusal takes back the last edit, not the refusal");
}

// Recording while watching: each key puts a point at the playback position's tenth and the
// device takes it at once; a run from R to R, a pause or a stop is one undo step, at any rate;
// an edit of another kind is a step of its own; outside recording the keys keep their meanings.
TEST_F(Authoring, RecordingWhileWatching)
{
    Start();
    const std::vector<Record> sheet = {{50000, 1, 3}, {100000, 2, 5}};
    const auto& patterns = Window().PatternButton();
    Run("press 53; play; wait 1; key r; wait 0.1");
    EXPECT_TRUE(Window().IsRecording());
    EXPECT_TRUE(Window().TimeEditBox().IsRecording()) << "the time box shows it, in red";
    EXPECT_NE(TimeBox().find(L"記録"), std::wstring::npos) << TimeBox();

    // Each key sends at once, before the next tick; Up and Down go from the last level, up to 10.
    const struct {
        const char* keys;
        int32_t time, level;
        const char* report;
    } presses[] = {{"key 7", 11000, 7, "37"}, {"key up", 16000, 8, "38"}, {"key 9; key up; key up", 21000, 10, "3:"},
                   {"key down", 26000, 9, "39"}};
    std::vector<Record> recorded = {};
    for (const auto& press : presses) {
        SCOPED_TRACE(press.keys);
        const size_t sent = Sent();
        Run(press.keys);
        EXPECT_GT(Sent(), sent);
        EXPECT_EQ(LastReport(), press.report);
        recorded.emplace_back(press.time, 3, press.level);
        Run("wait 0.5");
    }
    std::vector<Record> withRecorded = recorded;
    withRecorded.insert(withRecorded.end(), sheet.begin(), sheet.end());
    std::sort(withRecorded.begin(), withRecorded.end());
    ExpectGraph(withRecorded, "four tenths recorded, the third pressed three times");

    // A pause ends the run: one undo takes all of it back, one redo brings it again. While
    // paused, a digit chooses a pattern again.
    Run("pause; key 4; wait 0.1");
    EXPECT_EQ(patterns.GetCurrent(), 4);
    ExpectGraph(withRecorded, "a digit while paused records nothing");
    Run("key ctrl+z");
    ExpectGraph(sheet, "one undo for the run");
    Run("key ctrl+y");
    ExpectGraph(withRecorded, "one redo");
    Run("key ctrl+z");

    // At twice the speed, with an insert from the button in between (the level button's level,
    // 0): the insert is a step of its own and the run goes on after it as another.
    Run("seek 20; play; rate 2; wait 0.1; key 2; wait 0.5; press 27; wait 0.5; key 6; wait 0.1; key r");
    EXPECT_FALSE(Window().IsRecording());
    EXPECT_FALSE(Window().TimeEditBox().IsRecording());
    const std::vector<Record> fast = {{50000, 1, 3}, {100000, 2, 5}, {202000, 4, 2}, {212000, 4, 0}, {222000, 4, 6}};
    ExpectGraph(fast, "a tenth a key, a second of the movie apart");
    Run("key ctrl+z");
    ExpectGraph({{50000, 1, 3}, {100000, 2, 5}, {202000, 4, 2}, {212000, 4, 0}}, "the run after the insert");
    Run("key ctrl+z");
    ExpectGraph({{50000, 1, 3}, {100000, 2, 5}, {202000, 4, 2}}, "the insert");
    Run("key ctrl+z");
    ExpectGraph(sheet, "the run before it");

    // Outside recording, as the movie plays, digits choose patterns and Up and Down do nothing.
    Run("key ctrl+y; key ctrl+y; key ctrl+y; key 5; key up; wait 0.1");
    EXPECT_EQ(patterns.GetCurrent(), 5);
    ExpectGraph(fast, "nothing recorded");
    // The device plays what was recorded: from 20 s on at twice the speed.
    Run("pause; rate 1; seek 20.1; play; wait 0.2");
    EXPECT_EQ(LastReport(), "42");
    Run("wait 2");
    EXPECT_EQ(LastReport(), "46");
}

// The sheet beside a movie loads with it (on both sides, the movie not opened again) unless the
// editor holds unsaved changes; a sheet drives the device only against the movie it names,
// compared by file name; "111111" names none and plays against any.
TEST_F(Authoring, TheSheetFollowsItsMovie)
{
    const std::string clip = Path("\\clip.wmv"), second = Path("\\second.wmv"), music = Path("\\music.mp3");
    for (const std::string& medium : {clip, second, music})
        ASSERT_TRUE(WriteAt(m_dir, medium.substr(m_dir.Path().size()), "a medium"));
    ASSERT_TRUE(WriteAt(m_dir, "\\clip.tms", SheetText(clip, {{30000, 6, 6}})));
    ASSERT_TRUE(WriteAt(m_dir, "\\second.tms", SheetText("D:\\Elsewhere\\second.wmv", {{20000, 7, 7}})));
    m_movie = clip;
    Start();
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\clip.tms")) << "a.tms had no changes: the movie's own sheet came";
    EXPECT_EQ(Text(Window().FileEditBox().GetWindow()), Path("\\clip.tms"));
    ExpectGraph({{30000, 6, 6}}, "the movie's sheet on both sides");
    EXPECT_EQ(Count("player opens " + clip), 1u) << "the sheet's movie is the one open: not opened again";
    Run("play; wait 3.2");
    EXPECT_EQ(LastReport(), "66");

    // Music the sheet does not name: the device rests, the time box says why.
    Run("open " + music + " 60; wait 0.1");
    EXPECT_EQ(TimeBox(), L"別の動画のタイムシートです");
    Run("play; wait 3.2");
    EXPECT_EQ(LastReport(), "00");
    Run("preview 2 2; wait 0.1");
    EXPECT_EQ(LastReport(), "22") << "a preview is asked for: it plays against any movie";
    Run("preview off; wait 0.1");
    EXPECT_EQ(LastReport(), "00");

    // With unsaved changes a movie's sheet does not load over them; the time box says it is there.
    Run("pause; press 27; open " + second + " 60; wait 0.1");
    EXPECT_EQ(TimeBox(), L"この動画のタイムシートがあります");
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\clip.tms"));
    EXPECT_TRUE(TimeLine().IsModified());
    // The change undone, the next open of the movie brings its sheet, whose movie has moved
    // folders since.
    Run("key ctrl+z; open " + music + " 60; open " + second + " 60; play; wait 2.2");
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\second.tms"));
    ExpectGraph({{20000, 7, 7}}, "the second movie's sheet");
    EXPECT_EQ(LastReport(), "77") << "compared by file name, the moved movie is the sheet's";
    EXPECT_EQ(Count("player opens " + second), 2u);

    // A sheet that names no movie plays against any.
    Run("load " + Path("\\a.tms") + "; seek 4.9; wait 0.2");
    EXPECT_EQ(LastReport(), "13");
}

// The comfort limit caps what the device receives, from the sheet and the preview, and nothing
// else: the sheet, its graph and its file keep their levels. It is kept per user as a line of
// its own beside the lead time, and not written at 10.
TEST_F(Authoring, TheComfortLimitCapsTheDeviceNotTheSheet)
{
    ASSERT_TRUE(WriteAt(m_dir, "\\info.txt", "lastfile_path\t" + Path("\\a.tms") + "\r\nlead_time\t30\r\nmax_level\t4"));
    Start();
    EXPECT_EQ(Plugin().DeviceManager()->LeadMs(), 30);
    EXPECT_EQ(Plugin().DeviceManager()->Device().MostLevel(), 4);
    Run("play; wait 5.1");
    EXPECT_EQ(LastReport(), "13") << "under the limit";
    Run("wait 5");
    EXPECT_EQ(LastReport(), "24") << "level 5 capped";
    Run("pause; press 57; press 79; press 35; wait 0.1");
    EXPECT_EQ(LastReport(), "74") << "the preview too";

    // Ctrl+Alt+Up raises the limit: what plays is sent again at once, shown two seconds.
    const size_t sent = Sent();
    Run("key ctrl+alt+up; wait 0.1");
    EXPECT_EQ(Sent(), sent + 1);
    EXPECT_EQ(LastReport(), "75");
    EXPECT_EQ(TimeBox(), L"最大レベル 5");
    EXPECT_EQ(ReadWholeFile(Path("\\info.txt")),
              "lastfile_path\t" + Path("\\a.tms") + "\r\nlead_time\t30\r\nmax_level\t5");
    Run("press 35; wait 0.1");
    EXPECT_EQ(LastReport(), "25") << "back to the sheet, at the new limit";
    for (int i = 0; i < 7; ++i)
        Run("key ctrl+alt+up");
    EXPECT_EQ(Plugin().DeviceManager()->Device().MostLevel(), 10);
    EXPECT_EQ(ReadWholeFile(Path("\\info.txt")), "lastfile_path\t" + Path("\\a.tms") + "\r\nlead_time\t30")
        << "no line at 10: older versions read the file as before";
    for (int i = 0; i < 12; ++i)
        Run("key ctrl+alt+down");
    Run("wait 0.1");
    EXPECT_EQ(TimeBox(), L"最大レベル 1");
    EXPECT_EQ(LastReport(), "21");
    ExpectGraph({{50000, 1, 3}, {100000, 2, 5}}, "the sheet keeps its levels");
    EXPECT_FALSE(TimeLine().IsModified());

    // The limit outlives the editor and the player.
    Run("close; create; wait 0.1");
    EXPECT_EQ(Plugin().DeviceManager()->Device().MostLevel(), 1);
}

// Ctrl+N starts an empty sheet, asking about unsaved changes as a load does; Ctrl+S saves to
// the sheet's own file without a word and asks only while it has none, proposing the movie's
// name; Ctrl+Shift+S always asks, proposing the sheet's own.
TEST_F(Authoring, SaveWithOneKeyAndStartANewSheet)
{
    m_movie = Path("\\clip.wmv");
    Start();
    Run("play; wait 1; pause; press 27");
    ASSERT_TRUE(TimeLine().IsModified());
    Run("answer cancel; key ctrl+n");
    EXPECT_EQ(Count("prompt message 確認:"), 1u);
    EXPECT_EQ(Graph().size(), 3u) << "cancelled: the sheet stays";
    Run("answer no; key ctrl+n");
    ExpectGraph({}, "a new sheet, the changes given up");
    EXPECT_EQ(Plugin().TimeSheetPath(), "");
    EXPECT_FALSE(TimeLine().IsModified());
    EXPECT_FALSE(TimeLine().CanUndo());
    EXPECT_EQ(ReadWholeFile(Path("\\a.tms")), TestSupport::kSheet) << "its file as it was";

    Run("press 27; answer ok; key ctrl+s");
    EXPECT_EQ(Count("prompt save TimeSheet files {*.tms} " + Path("\\clip.tms")), 1u) << "the movie's name proposed";
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\clip.tms"));
    EXPECT_FALSE(TimeLine().IsModified());
    EXPECT_EQ(ReadWholeFile(Path("\\clip.tms")).substr(0, Path("\\clip.wmv").size()), Path("\\clip.wmv"));
    const size_t prompts = Count("prompt");
    Run("seek 2; press 27; key ctrl+s");
    EXPECT_EQ(Count("prompt"), prompts) << "its own file: saved without a word";
    EXPECT_NE(ReadWholeFile(Path("\\clip.tms")).find("\n20000\t"), std::string::npos);
    Run("answer " + Path("\\copy.tms") + "; key ctrl+shift+s");
    EXPECT_EQ(Count("prompt save TimeSheet files {*.tms} " + Path("\\clip.tms")), 2u) << "its own name proposed";
    EXPECT_EQ(Plugin().TimeSheetPath(), Path("\\copy.tms"));
    EXPECT_EQ(ReadWholeFile(Path("\\copy.tms")), ReadWholeFile(Path("\\clip.tms")));
}
