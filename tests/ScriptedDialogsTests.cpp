#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/ScriptedDialogs.h"
#include "sim/ScriptedUser.h"
#include "support/SkinFiles.h"
#include "support/TestWindow.h"

#include <commdlg.h>

// A module whose imports stay as the loader made them asks through the real dialogs: each is
// answered from the script's queue as it opens, prints as the redirected prompts print, and
// never waits for a person. A file dialog takes no path: it is cancelled. (Each box takes a
// second or two: without a window manager, Wine waits in vain for one as a box goes away.)
TEST(ScriptedDialogs, AnswersRealMessageBoxesAndCancelsFileDialogs)
{
    TestSupport::CTestWindow owner(0, 0, 200, 100);
    std::vector<std::string> said;
    auto say = [&said](const std::string& line) { said.push_back(line); };
    CScriptedPrompts prompts(say, nullptr);
    CScriptedDialogs dialogs(prompts, say);
    std::string error;
    ASSERT_TRUE(dialogs.Attach(error)) << error;

    prompts.Queue("yes");
    prompts.Queue("cancel");
    EXPECT_EQ(IDYES, MessageBoxA(owner.Get(), "保存しますか？", "確認", MB_YESNOCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(IDCANCEL, MessageBoxA(owner.Get(), "消しますか？", "確認", MB_OKCANCEL));
    EXPECT_EQ(IDNO, MessageBoxA(owner.Get(), "もう一度？", "確認", MB_YESNO)) << "no answer left: refused";

    prompts.Queue("C:\\sheet.tms");
    char file[MAX_PATH] = {};
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner.Get();
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrTitle = "タイムシートを開く";
    // An empty folder: the dialog lists it in no time, even on a busy machine.
    const TestSupport::CTempDir folder;
    dialog.lpstrInitialDir = folder.Path().c_str();
    EXPECT_FALSE(GetOpenFileNameA(&dialog));

    const std::vector<std::string> expected = {
        "prompt message 確認: 保存しますか？",
        "prompt message 確認: 消しますか？",
        "prompt unanswered message 確認: もう一度？",
        "prompt dialog タイムシートを開く",
        "prompt answer 'C:\\sheet.tms' cannot be typed into the dialog of a module whose imports are its own: taken "
        "as cancel",
    };
    EXPECT_EQ(expected, said);
}
