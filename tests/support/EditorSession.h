#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/Win32.h"
#include "editor/PluginWindow.h"
#include "plugin/TervanePlugin.h"
#include "sim/PlayerSession.h"
#include "sim/RealInput.h"
#include "support/FileFixtures.h"
#include "timesheet/TimeLineButtonManager.h"

namespace TestSupport {

// Commands at 5 s (pattern 1, level 3) and 10 s (pattern 2, level 5).
inline const char kSheet[] = "111111\n222222\n333333\n444444\n555555\n666666\n777777\n888888\n999999\n101010101010\n"
                      "50000\t1\t3\t0\t0\n100000\t2\t5\t0\t0\n";
// One command at 3 s.
inline const char kOtherSheet[] = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n30000\t8\t8\t0\t0\n";

// The editor in the scripted player, with a folder of its own for the settings file and for
// the sheets it loads and saves. The user acts through real input and queued answers.
class EditorSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteAt(m_dir, "\\a.tms", kSheet));
        ASSERT_TRUE(WriteAt(m_dir, "\\B.TMS", kOtherSheet));
        ASSERT_TRUE(WriteAt(m_dir, "\\notes.txt", "not a sheet\n"));
    }

    void TearDown() override
    {
        if (m_session)
            m_session->Finish();
    }

    // answers reply to prompts while the editor is made; without a sheet of its own the
    // session starts as the player would, from the settings file alone.
    void Start(double duration = 60.0, bool noDuration = false, std::vector<std::string> answers = {},
               bool sheet = true)
    {
        PlayerOptions options;
        options.answers = std::move(answers);
        options.settings = m_dir.Path();
        options.duration = duration;
        if (sheet)
            options.sheet = m_dir / "\\a.tms";
        if (!m_movie.empty())
            options.movie = m_movie;
        options.news = m_news;
        char folder[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, folder);
        m_moduleFolder = folder;
        options.moduleFolder = m_moduleFolder;
        m_session.reset(new CPlayerSession(options, [this](const std::string& line) { m_lines.push_back(line); }));
        m_session->Player().GetFaults().noDuration = noDuration;
        std::string error;
        ASSERT_TRUE(m_session->Start(error)) << error;
    }

    void Run(const std::string& events)
    {
        std::vector<SimEvent> parsed;
        std::string error;
        ASSERT_TRUE(ParseSimEvents(events, parsed, error, true)) << error;
        for (const SimEvent& e : parsed)
            m_session->Apply(e);
    }

    // The number of output lines so far that start with prefix.
    size_t Count(const std::string& prefix) const
    {
        size_t count = 0;
        for (const std::string& line : m_lines)
            count += line.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
        return count;
    }
    bool Said(const std::string& line) const
    {
        for (const std::string& l : m_lines)
            if (l == line)
                return true;
        return false;
    }

    // Where the test programs run from: the build folder, with the tools below it.
    static std::string BuildFolder()
    {
        char folder[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, folder);
        return folder;
    }

    CPluginWindow& Window() { return *m_session->Plugin()->Window(); }
    CTervanePlugin& Plugin() { return *m_session->Plugin(); }
    CTimeLineButtonManager& TimeLine() { return Plugin().TimeLine(); }
    CSimPlayer& Player() { return m_session->Player(); }
    std::string Path(const std::string& name) const { return m_dir / name; }

    std::vector<int32_t> Keys()
    {
        std::vector<int32_t> keys;
        for (const auto& entry : TimeLine().Entries())
            keys.push_back(entry.key);
        return keys;
    }

    std::string Text(HWND window)
    {
        char text[1024] = {};
        GetWindowTextA(window, text, sizeof text);
        return text;
    }
    std::wstring TextW(HWND window)
    {
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        return text;
    }

    // Pattern and level of the device's last report.
    std::string LastReport()
    {
        const auto& reports = m_session->Bus().Reports();
        if (reports.empty())
            return "";
        return std::string{static_cast<char>(reports.back().bytes[7]), static_cast<char>(reports.back().bytes[8])};
    }

    POINT Screen(int x, int y) const
    {
        POINT at = {x, y};
        ClientToScreen(m_session->Editor(), &at);
        return at;
    }
    // Presses, moves or releases the left button through the input queue; the player's
    // events that the press caused are then delivered.
    void PressAt(int x, int y)
    {
        const POINT at = Screen(x, y);
        RealInput::MoveTo(at.x, at.y);
        RealInput::Press(RealInput::Button::Left);
        Player().Deliver();
    }
    void MoveTo(int x, int y)
    {
        const POINT at = Screen(x, y);
        RealInput::MoveTo(at.x, at.y);
        Player().Deliver();
    }
    void Release()
    {
        RealInput::Release(RealInput::Button::Left);
        Player().Deliver();
    }

    CTempDir m_dir;
    std::string m_movie; // what the player opens at the start, when not its own stand-in
    std::string m_news;  // a news page for the ticker, when one is wanted
    std::string m_moduleFolder;
    std::vector<std::string> m_lines;
    std::unique_ptr<CPlayerSession> m_session;
};


} // namespace TestSupport
