#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "device/TervaneManager.h"
#include "sheet/SheetDocument.h"
#include "sheet/SheetTime.h"
#include "sim/SimHidBus.h"
#include "support/FileFixtures.h"
#include "support/ScratchFile.h"
#include "timesheet/TimeLineButtonManager.h"

using TestSupport::CTempDir;

namespace {

const char kHeader[] = "C:\\movie.wmv\r\n222222\r\n333333\r\n444444\r\n555555\r\n666666\r\n"
                       "777777\r\n888888\r\n999999\r\n101010101010\r\n";
const char kSavedHeaderTail[] = "222222\r\r\n333333\r\r\n444444\r\r\n555555\r\r\n666666\r\r\n777777\r\r\n888888\r\r\n"
                                "999999\r\r\n101010101010\r\r\n";

using Records = std::vector<CommandData>;

Records Playing(CTervaneManager& manager)
{
    Records out;
    CommandData c;
    for (int i = 0; manager.Sheet().CommandAt(i, c); ++i)
        out.push_back(c);
    return out;
}

std::string Describe(const Records& records)
{
    std::string text;
    for (const CommandData& c : records)
        text += "{" + std::to_string(c.time) + "," + std::to_string(c.pattern) + "," + std::to_string(c.level) + "}";
    return text;
}

// Which tenths the document said changed, and how often it said it replaced everything.
struct CHeard : ISheetObserver {
    void OnTenthsChanged(const std::vector<int32_t>& tenths) override { changed.push_back(tenths); }
    void OnSheetReplaced() override { ++replaced; }
    std::vector<std::vector<int32_t>> changed;
    int replaced = 0;
};

// A sheet document with the device's playing sheet and an editor's time line (no window)
// following it, as the plug-in object holds them.
class SheetDocument : public ::testing::Test {
protected:
    SheetDocument()
    {
        m_bus.AddTervane();
        m_manager.Follow(&m_document);
        m_document.AddObserver(&m_heard);
    }
    ~SheetDocument() override { m_document.RemoveObserver(&m_heard); }

    SheetRead LoadText(const std::string& text)
    {
        CScratchFile file(text);
        return m_document.Load(file.Path());
    }

    // The device plays every record, and the time line shows the last of each tenth.
    void ExpectFollowed()
    {
        const Records all = m_document.AllRecords();
        ASSERT_EQ(Describe(all), Describe(Playing(m_manager)));
        std::map<int32_t, CommandData> last;
        for (const CommandData& c : all)
            last[TenthOfTime(c.time)] = c;
        const auto entries = m_timeLine.Entries();
        ASSERT_EQ(last.size(), entries.size());
        size_t i = 0;
        for (const auto& tenth : last) {
            EXPECT_EQ(tenth.first, entries[i].key);
            EXPECT_EQ(tenth.second.pattern, entries[i].data.pattern);
            EXPECT_EQ(tenth.second.level, entries[i].data.level);
            EXPECT_DOUBLE_EQ(tenth.second.time / 1000.0, entries[i].data.time);
            ++i;
        }
    }

    CSimHidBus m_bus;
    CSheetDocument m_document;
    CTervaneManager m_manager{m_bus};
    CTimeLineButtonManager m_timeLine{m_document};
    CHeard m_heard;
    CTempDir m_dir;
};

} // namespace

// One reader for both sides: whatever the separators, line ends and order of a hand-made
// file, the device plays its records in time order and the graph shows the last of a tenth.
TEST_F(SheetDocument, ReadsRecordsWhateverTheSeparatorsLineEndsAndOrder)
{
    struct Case {
        const char* name;
        std::string records;
        Records expected;
    };
    const Case cases[] = {
        {"tabs", "20000\t1\t3\t0\t0\r\n50000\t2\t5\t0\t0\r\n", {{20000, 1, 3}, {50000, 2, 5}}},
        {"doubled carriage returns", "20000\t1\t3\t0\t0\r\r\n50000\t2\t5\t0\t0\r\r\n", {{20000, 1, 3}, {50000, 2, 5}}},
        {"commas", "20000,1,3,0,0\n50000,2,5,0,0\n", {{20000, 1, 3}, {50000, 2, 5}}},
        {"runs of spaces", "20000   1  \t 3 0 0\n", {{20000, 1, 3}}},
        {"comments and blank lines", "// first\n\n20000\t1\t3 // the intro\n\n", {{20000, 1, 3}}},
        {"missing fields read as 0", "20000\t7\n30000\n", {{20000, 7, 0}, {30000, 0, 0}}},
        {"extra fields ignored", "20000\t1\t3\t4\t5\t6\t7\n", {{20000, 1, 3}}},
        // A record before 0 s plays, is drawn and is saved at 0 s.
        {"signs and stray text", "-5\t+2\tx\n12abc\t3\t4\n", {{0, 2, 0}, {12, 3, 4}}},
        {"last line without a line feed", "20000\t1\t3", {{20000, 1, 3}}},
        // Records of one time keep their file order; of one tenth, the later in time is the
        // point, on the graph as on the device at the end of the tenth.
        {"out of time order", "50000\t2\t5\n12350\t2\t2\n12300\t1\t1\n20000\t1\t3\n20000\t4\t4\n",
         {{12300, 1, 1}, {12350, 2, 2}, {20000, 1, 3}, {20000, 4, 4}, {50000, 2, 5}}},
        {"out of range saturates", "99999999999\t1\t1\n", {{INT32_MAX, 1, 1}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ASSERT_EQ(SheetRead::kRead, LoadText(kHeader + k.records));
        EXPECT_EQ(Describe(k.expected), Describe(m_document.AllRecords()));
        EXPECT_EQ("C:\\movie.wmv", m_document.HeaderLine(0));
        EXPECT_EQ("101010101010", m_manager.Sheet().HeaderLine(9));
        EXPECT_FALSE(m_document.IsModified());
        EXPECT_FALSE(m_document.CanUndo());
        ExpectFollowed();
    }
    EXPECT_EQ(static_cast<int>(sizeof cases / sizeof cases[0]), m_heard.replaced);

    // The header is taken whole by the document; the device keeps each line up to a separator.
    ASSERT_EQ(SheetRead::kRead,
              LoadText("\r\n// saved by hand\r\nC:\\my movie.wmv\r\n\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9,x\r\n"
                       "10\r\n20000\t1\t3\r\n"));
    EXPECT_EQ("C:\\my movie.wmv", m_document.HeaderLine(0));
    EXPECT_EQ("C:\\my", m_manager.Sheet().HeaderLine(0));
    EXPECT_EQ("9", m_manager.Sheet().HeaderLine(8));
    EXPECT_EQ(Describe({{20000, 1, 3}}), Describe(m_document.AllRecords()));
}

// What a save writes: the movie of now, the placeholders, and every record as the sheet holds
// it (times kept to the ten-thousandth, hand-made values as read), each line ended CR CR LF;
// and the file reads back as the same sheet.
TEST_F(SheetDocument, SavesEveryRecordAsItIsAndReadsItBack)
{
    const std::string path = m_dir / "\\sheet.tms";
    ASSERT_TRUE(m_document.Save(path.c_str()));
    EXPECT_EQ(std::string("111111\r\r\n") + kSavedHeaderTail, TestSupport::ReadWholeFile(path));

    ASSERT_EQ(SheetRead::kRead, LoadText(std::string(kHeader) + "123000\t3\t7\n5000\t9\t10\n287\t1\t2\n-40\t15\t-4\n"
                                                                "20000\t1\t1\n20050\t2\t25\n"));
    m_document.SetMoviePath("C:\\映像\\海.wmv");
    ASSERT_TRUE(m_document.Insert(CommandTimeOf(12.34), 6, 6));
    EXPECT_TRUE(m_document.IsModified());
    ASSERT_TRUE(m_document.Save(path.c_str()));
    EXPECT_FALSE(m_document.IsModified());
    EXPECT_TRUE(m_document.CanUndo()) << "a save is no step and keeps the history";
    const std::string written = "C:\\映像\\海.wmv\r\r\n" + std::string(kSavedHeaderTail) +
                                "0\t15\t-4\t0\t0\r\r\n287\t1\t2\t0\t0\r\r\n5000\t9\t10\t0\t0\r\r\n"
                                "20000\t1\t1\t0\t0\r\r\n20050\t2\t25\t0\t0\r\r\n123400\t6\t6\t0\t0\r\r\n";
    EXPECT_EQ(written, TestSupport::ReadWholeFile(path));
    const Records before = m_document.AllRecords();
    ASSERT_EQ(SheetRead::kRead, m_document.Load(path.c_str()));
    EXPECT_EQ(Describe(before), Describe(m_document.AllRecords()));
    ExpectFollowed();

    // A file that cannot be replaced stays as it was, and so does the mark.
    m_document.Delete(0);
    ASSERT_TRUE(TestSupport::WriteAt(m_dir, "\\kept.tms", "the user's good sheet"));
    const std::string kept = m_dir / "\\kept.tms";
    ASSERT_TRUE(SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(m_document.Save(kept.c_str()));
    EXPECT_EQ("the user's good sheet", TestSupport::ReadWholeFile(kept));
    SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(m_document.Save((m_dir / "\\no such folder\\new.tms").c_str()));
    EXPECT_TRUE(m_document.IsModified());
}

// A file that is no sheet, or cannot be read, changes nothing on either side; a sheet this
// editor saved empty (everything deleted) loads as an empty sheet on both.
TEST_F(SheetDocument, AnEmptySheetLoadsAndWhatIsNoSheetChangesNothing)
{
    ASSERT_EQ(SheetRead::kRead, LoadText(std::string(kHeader) + "20000\t1\t3\n50000\t2\t5\n"));
    const Records sheet = m_document.AllRecords();
    struct Case {
        const char* name;
        std::string text;
        SheetRead expected;
    };
    const Case failures[] = {
        {"empty file", "", SheetRead::kNotSheet},
        {"three lines", "only\r\nthree\r\nlines\r\n", SheetRead::kNotSheet},
        {"ten lines of prose", "a\nb\nc\nd\ne\nf\ng\nh\ni\nj\n", SheetRead::kNotSheet},
        {"placeholders short of ten lines", "\n222222\n333333\n444444\n555555\n666666\n777777\n888888\n999999\n",
         SheetRead::kNotSheet},
    };
    for (const Case& k : failures) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(k.expected, LoadText(k.text));
        EXPECT_EQ(Describe(sheet), Describe(m_document.AllRecords()));
        ExpectFollowed();
    }
    EXPECT_EQ(SheetRead::kUnreadable, m_document.Load("Z:\\no\\such\\sheet.tms"));
    EXPECT_EQ(SheetRead::kUnreadable, m_document.Load(nullptr));
    EXPECT_EQ(1, m_heard.replaced);

    // Delete all, save, load: the empty sheet, and its recovery copy's second line, load.
    m_document.DeleteAll();
    const std::string path = m_dir / "\\empty.tms";
    ASSERT_TRUE(m_document.Save(path.c_str()));
    for (const std::string& text :
         {TestSupport::ReadWholeFile(path), std::string("111111\nsheet=C:\\a.tms\n333333\n444444\n555555\n666666\n777777\n"
                                                        "888888\n999999\n101010101010\n")}) {
        ASSERT_EQ(SheetRead::kRead, LoadText(std::string(kHeader) + "20000\t1\t3\n"));
        EXPECT_EQ(SheetRead::kRead, LoadText(text));
        EXPECT_EQ(0u, m_document.RecordCount());
        EXPECT_EQ(0, m_manager.Sheet().Count());
        EXPECT_EQ(0, m_timeLine.EntryCount());
    }
}

// Every edit of a point takes every record of its tenth, however many a hand-made file put
// there, and tells its followers exactly which tenths changed.
TEST_F(SheetDocument, EveryEditTakesEveryRecordOfItsTenth)
{
    ASSERT_EQ(SheetRead::kRead, LoadText(std::string(kHeader) +
                                         "30010\t5\t5\n12300\t1\t1\n12350\t2\t2\n20000\t3\t3\n20000\t4\t4\n"
                                         "30000\t6\t6\n40000\t7\t7\n"));
    EXPECT_EQ(7u, m_document.RecordCount());
    EXPECT_EQ(4u, m_document.TenthCount());
    ASSERT_TRUE(m_document.Delete(12));
    ASSERT_TRUE(m_document.Insert(20500, 8, 8));
    ASSERT_TRUE(m_document.Repattern(30, 9));
    ASSERT_TRUE(m_document.Move(40, 60000, 2));
    EXPECT_EQ(Describe({{20500, 8, 8}, {30010, 9, 5}, {60000, 7, 2}}), Describe(m_document.AllRecords()))
        << "the point of a tenth is its last record in time order: 30010, pattern 5";
    ExpectFollowed();
    EXPECT_EQ((std::vector<std::vector<int32_t>>{{12}, {20}, {30}, {40, 60}}), m_heard.changed);

    // What changes nothing is no edit: nothing to undo, nothing told.
    m_heard.changed.clear();
    EXPECT_FALSE(m_document.Insert(20999, 8, 8)) << "the point already shows pattern 8, level 8";
    EXPECT_FALSE(m_document.Repattern(30, 9));
    EXPECT_FALSE(m_document.Move(60, 60999, 2)) << "its own tenth and level";
    EXPECT_FALSE(m_document.Move(20, 60000, 3)) << "another point holds that tenth";
    EXPECT_FALSE(m_document.Delete(12));
    EXPECT_TRUE(m_heard.changed.empty());
    ASSERT_TRUE(m_document.Undo());
    EXPECT_EQ(Describe({{20500, 8, 8}, {30010, 9, 5}, {40000, 7, 7}}), Describe(m_document.AllRecords()));
    ExpectFollowed();

    // Edits in one step are one undo.
    {
        const CSheetDocument::CStep step(m_document);
        m_document.Insert(70000, 1, 1);
        m_document.Delete(20);
        m_document.Insert(70001, 2, 2);
    }
    EXPECT_EQ((std::vector<int32_t>{20, 70}), m_heard.changed.back());
    ASSERT_TRUE(m_document.Undo());
    EXPECT_EQ(Describe({{20500, 8, 8}, {30010, 9, 5}, {40000, 7, 7}}), Describe(m_document.AllRecords()));
    ExpectFollowed();
}

// Random edits of every kind, undone and redone in any order, retrace the states they made
// exactly, on the device too; the sheet is modified exactly when the history stands elsewhere
// than where it was last loaded or saved.
TEST_F(SheetDocument, UndoAndRedoRetraceEveryEditOnBothSides)
{
    ASSERT_EQ(SheetRead::kRead, LoadText(std::string(kHeader) + "10000\t1\t1\n10050\t2\t2\n"));
    std::mt19937 random(23);
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto someTenth = [&]() {
        const auto& tenths = m_document.ByTenth();
        if (tenths.empty())
            return -1;
        auto it = tenths.begin();
        std::advance(it, pick(static_cast<int>(tenths.size())));
        return it->first;
    };
    std::vector<std::string> states = {Describe(m_document.AllRecords())};
    size_t at = 0;
    long saved = 0;
    // A recording run is one state however many edits it takes; any other edit, an undo, a
    // redo or a save closes it, and a run that came back to where it began is no step.
    bool inRun = false;
    const auto closeRun = [&] {
        if (inRun && states[at] == states[at - 1]) {
            states.pop_back();
            --at;
        }
        inRun = false;
    };
    for (int step = 0; step < 800; ++step) {
        SCOPED_TRACE(step);
        const int32_t time = pick(2000) * 50 + pick(3);
        const int what = pick(16);
        bool edit = true, done = false;
        // An undo, a redo and a save close the run before anything else.
        const bool save = what == 11 && pick(3) == 0;
        if ((what >= 8 && what <= 10) || save)
            closeRun();
        if (what >= 14) {
            const CSheetDocument::CRunEdit run(m_document);
            done = m_document.Insert(time, pick(10), pick(11));
            const std::string now = Describe(m_document.AllRecords());
            EXPECT_EQ(done, now != states[at]);
            if (done && inRun) {
                states[at] = now;
                edit = false;
            }
            inRun = inRun || done;
        } else if (what == 12 && someTenth() >= 0) {
            done = m_document.MoveTenths({someTenth(), someTenth()}, (pick(61) - 30) * 1000, pick(7) - 3);
        } else if (what == 13) {
            done = m_document.PlaceRecords({CommandData(time, pick(10), pick(11)),
                                            CommandData(time + pick(40) * 1000, pick(10), pick(11))});
        } else if (what <= 2) {
            done = m_document.Insert(time, pick(10), pick(11));
        } else if (what == 3 && someTenth() >= 0) {
            done = m_document.Delete(someTenth());
        } else if (what == 4 && someTenth() >= 0) {
            done = m_document.Move(someTenth(), time, pick(11));
        } else if (what == 5 && someTenth() >= 0) {
            done = m_document.Repattern(someTenth(), pick(10));
        } else if (what == 6 && pick(6) == 0) {
            done = m_document.DeleteAll();
        } else if (what == 7) {
            const CSheetDocument::CStep group(m_document);
            for (int i = 0; i < 3; ++i)
                done |= m_document.Insert(pick(2000) * 50, pick(10), pick(11));
        } else if (what == 8 || what == 9) {
            edit = false;
            const bool undone = m_document.Undo();
            EXPECT_EQ(at > 0, undone);
            at -= undone ? 1 : 0;
        } else if (what == 10) {
            edit = false;
            const bool redone = m_document.Redo();
            EXPECT_EQ(at + 1 < states.size(), redone);
            at += redone ? 1 : 0;
        } else if (save) {
            edit = false;
            m_document.MarkSaved();
            saved = static_cast<long>(at);
        } else {
            edit = false;
        }
        // Any other edit the document began closed the run first.
        if (inRun && !m_document.InRun())
            closeRun();
        const std::string now = Describe(m_document.AllRecords());
        if (edit) {
            EXPECT_EQ(done, now != states[at]) << "an edit reports whether it changed anything, what " << what;
            if (now != states[at]) {
                states.resize(at + 1);
                states.push_back(now);
                if (saved > static_cast<long>(at))
                    saved = -1;
                ++at;
            }
        }
        ASSERT_EQ(states[at], now) << "what " << what;
        ASSERT_NO_FATAL_FAILURE(ExpectFollowed());
        EXPECT_EQ(saved != static_cast<long>(at), m_document.IsModified()) << "what " << what;
        EXPECT_EQ(at > 0, m_document.CanUndo());
        EXPECT_EQ(at + 1 < states.size(), m_document.CanRedo());
    }
    EXPECT_GT(states.size(), 150u);

    // Loading is no step, and nothing behind it can be undone.
    ASSERT_EQ(SheetRead::kRead, LoadText(std::string(kHeader) + "10000\t1\t1\n"));
    EXPECT_FALSE(m_document.CanUndo());
    EXPECT_FALSE(m_document.CanRedo());
    EXPECT_FALSE(m_document.IsModified());
}

// A sheet never grows past what its own file may hold, so that what is saved can be read back:
// records placed beyond that are refused whole, records that only replace others are not.
TEST_F(SheetDocument, PlacedRecordsNeverOutgrowASheetFile)
{
    Records full;
    full.reserve(kMostSheetRecords);
    for (int32_t i = 0; i < kMostSheetRecords; ++i)
        full.push_back(CommandData(i * 1000, i % 10, i % 11));
    ASSERT_TRUE(m_document.PlaceRecords(full));
    ASSERT_EQ(static_cast<size_t>(kMostSheetRecords), m_document.RecordCount());
    const Records beyond = {CommandData(kMostSheetRecords * 1000, 1, 1)};
    EXPECT_FALSE(m_document.CanPlace(beyond));
    EXPECT_FALSE(m_document.PlaceRecords(beyond));
    const Records over = {CommandData(5000, 3, 3), CommandData(5500, 4, 4)};
    EXPECT_FALSE(m_document.PlaceRecords(over)) << "two records in a tenth that held one";
    EXPECT_EQ(static_cast<size_t>(kMostSheetRecords), m_document.RecordCount());
    const Records replacing = {CommandData(5000, 3, 3), CommandData(7000, 4, 4)};
    EXPECT_TRUE(m_document.CanPlace(replacing));
    EXPECT_TRUE(m_document.PlaceRecords(replacing));
    CommandData entry;
    ASSERT_TRUE(m_document.EntryOf(7, entry));
    EXPECT_EQ(4, entry.pattern);
    EXPECT_EQ(static_cast<size_t>(kMostSheetRecords), m_document.RecordCount());
    EXPECT_EQ(static_cast<int>(kMostSheetRecords), m_manager.Sheet().Count()) << "the device follows";
}

// A position and the command made of it fall in one tenth, however the floating point lands:
// the point and the command are inserted, deleted, undone and redone together.
TEST_F(SheetDocument, APositionAndItsCommandFallInOneTenth)
{
    struct Case {
        double seconds;
        int32_t tenth;
        int32_t time;
    };
    const Case cases[] = {
        {0.7999999999999999, 8, 8000}, {0.8, 8, 8000},           {0.8000000000000002, 8, 8000},
        {0.79995, 7, 7999},            {0.09999999999999999, 1, 1000}, {0.1, 1, 1000},
        {0.0999, 0, 999},              {12.299999999999999, 123, 123000}, {12.34, 123, 123400},
        {0.1 * 3, 3, 3000},            {3599.9999999999995, 36000, 36000000}, {-0.05, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(c.time, CommandTimeOf(c.seconds) < 0 ? 0 : CommandTimeOf(c.seconds));
        m_timeLine.InsertAt(c.seconds, 3, 4);
        ASSERT_NO_FATAL_FAILURE(ExpectFollowed());
        CTimeLineButtonManager::EntryView entry;
        ASSERT_TRUE(m_timeLine.FindEntry(c.tenth, entry));
        EXPECT_DOUBLE_EQ(c.time / 1000.0, entry.data.time);
        EXPECT_EQ(1, m_manager.Sheet().Count());
        ASSERT_TRUE(m_timeLine.DeletePoint(c.tenth));
        EXPECT_EQ(0, m_manager.Sheet().Count()) << "no command plays without its point";
        ASSERT_TRUE(m_timeLine.Undo());
        ASSERT_NO_FATAL_FAILURE(ExpectFollowed());
        ASSERT_TRUE(m_timeLine.Redo());
        EXPECT_EQ(0, m_manager.Sheet().Count());
        ASSERT_TRUE(m_timeLine.Undo());
        ASSERT_TRUE(m_timeLine.Undo());
        ASSERT_TRUE(m_timeLine.Redo());
        EXPECT_EQ(1, m_manager.Sheet().Count()) << "a redo makes no second command";
        m_document.DeleteAll();
    }
}

// A drop keeps the point's time unless it travels a tenth's width, in every zoom: a drag
// straight up or down changes the level alone, however often it is repeated.
TEST_F(SheetDocument, ADropKeepsItsTimeUnlessItTravelsATenth)
{
    for (int zoom = 0; zoom <= 2; ++zoom) {
        SCOPED_TRACE(zoom);
        m_timeLine.SetZoomMode(zoom);
        m_timeLine.RepositionAt(20.0);
        const CTimeLineGeometry& g = m_timeLine.Geometry();
        // A dense sheet: every tenth around 20 s holds a point.
        {
            const CSheetDocument::CStep step(m_document);
            for (int32_t tenth = 150; tenth <= 260; ++tenth)
                m_document.Insert(tenth * 1000 + 37, tenth % 10, 5);
        }
        RECT face;
        ASSERT_TRUE(m_timeLine.PointRect(200, face));
        const int centre = face.left + kPointSize / 2;
        for (int level = 0; level <= 10; ++level) {
            const POINT drop = {centre, static_cast<LONG>(g.baseline - level * g.pixelsPerLevel)};
            EXPECT_TRUE(m_timeLine.MovePoint(200, drop)) << "level " << level;
            CTimeLineButtonManager::EntryView entry;
            ASSERT_TRUE(m_timeLine.FindEntry(200, entry)) << "level " << level;
            EXPECT_DOUBLE_EQ(200.037, entry.data.time) << "level " << level;
            EXPECT_EQ(level, entry.data.level);
        }
        // Under a tenth's width the time stays; beyond, it moves by the travel in whole tenths.
        for (int32_t tenth = 150; tenth <= 260; ++tenth)
            if (tenth != 200)
                m_document.Delete(tenth);
        const double ppt = g.pixelsPerTenth;
        int32_t at = 200;
        int level = 3;
        for (int pixels : {1, 2, 3, 5, 8, -1, -4, -9, 4}) {
            ASSERT_TRUE(m_timeLine.PointRect(at, face)) << pixels;
            const POINT drop = {face.left + kPointSize / 2 + pixels, static_cast<LONG>(g.baseline - level * g.pixelsPerLevel)};
            const int32_t tenths = std::fabs(pixels) < ppt ? 0 : static_cast<int32_t>(std::nearbyint(pixels / ppt));
            ASSERT_TRUE(m_timeLine.MovePoint(at, drop)) << pixels;
            at += tenths;
            ASSERT_TRUE(m_document.HasTenth(at)) << pixels;
            EXPECT_EQ(at * 1000 + 37, m_document.ByTenth().at(at).back().time) << pixels;
            EXPECT_EQ(level, m_document.ByTenth().at(at).back().level) << pixels;
            level = level == 3 ? 4 : 3;
        }
        ExpectFollowed();
        m_document.DeleteAll();
    }
}

// The history keeps its newest steps within its bounds, and knows when the saved state has
// fallen out of reach.
TEST(SheetHistory, KeepsTheNewestStepsWithinItsBounds)
{
    const auto stepOf = [](size_t tenths) {
        SheetStep step(tenths);
        for (size_t i = 0; i < tenths; ++i)
            step[i].tenth = static_cast<int32_t>(i);
        return step;
    };
    CSheetHistory history;
    EXPECT_TRUE(history.AtSaved());
    history.Push(SheetStep());
    EXPECT_FALSE(history.CanUndo()) << "an empty step is none";
    history.Push(stepOf(1));
    history.MarkSaved();
    for (size_t i = 0; i < CSheetHistory::kMostSteps + 5; ++i)
        history.Push(stepOf(1));
    EXPECT_EQ(CSheetHistory::kMostSteps, history.StepCount());
    size_t undone = 0;
    while (history.Undo() != nullptr)
        ++undone;
    EXPECT_EQ(CSheetHistory::kMostSteps, undone);
    EXPECT_FALSE(history.AtSaved()) << "the saved state went with the oldest steps";

    history.Clear();
    EXPECT_TRUE(history.AtSaved());
    history.Push(stepOf(CSheetHistory::kMostChanges / 2));
    history.Push(stepOf(CSheetHistory::kMostChanges / 2));
    history.Push(stepOf(10));
    EXPECT_EQ(2u, history.StepCount()) << "the tenths held stay within their bound";
    history.Push(stepOf(CSheetHistory::kMostChanges + 1));
    EXPECT_EQ(1u, history.StepCount()) << "the newest step stays, however large";
    ASSERT_NE(nullptr, history.Undo());
    EXPECT_EQ(nullptr, history.Undo());
    ASSERT_NE(nullptr, history.Redo());
    history.Undo();
    history.Push(stepOf(1));
    EXPECT_FALSE(history.CanRedo()) << "a new step after an undo drops what could be redone";
}
