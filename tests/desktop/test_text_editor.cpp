#include "desktop/text_editor.h"

#include <gtest/gtest.h>

#include "desktop/fake/fake_text_editor.h"
#include "desktop/linux/linux_services.h"
#include "desktop_test_support.h"

namespace tessaly {
namespace {

TEST(Text_Editor, LinuxOpensWithTheDesktopsChoiceFirstWithoutWaiting) {
    test::Path_Programs programs;
    programs.Add("gedit");
    programs.Add("xdg-open");
    EXPECT_TRUE(Make_Linux_Text_Editor()->View_In_Notepad("/data/my list.txt"));
    // The program waits for "go", which comes only after the call returned.
    EXPECT_EQ(programs.Output_Of("xdg-open"), "xdg-open /data/my list.txt");
}

TEST(Text_Editor, LinuxFallsBackToAGraphicalEditorAndFailsWithoutOne) {
    {
        test::Path_Programs programs;
        programs.Add("mousepad");
        EXPECT_TRUE(Make_Linux_Text_Editor()->View_In_Notepad("/data/tessaly.txt"));
        EXPECT_EQ(programs.Output_Of("mousepad"), "mousepad /data/tessaly.txt");
    }
    test::Path_Programs nothing;
    EXPECT_FALSE(Make_Linux_Text_Editor()->View_In_Notepad("/data/tessaly.txt"));
}

TEST(Text_Editor, FakeRecordsEveryFileAndAnswersAsSet) {
    Fake_Text_Editor editor;
    EXPECT_TRUE(editor.View_In_Notepad("a.txt"));
    editor.Editor_Found = false;
    EXPECT_FALSE(editor.View_In_Notepad("b.txt"));
    EXPECT_EQ(editor.Viewed_Files, (std::vector<std::filesystem::path>{"a.txt", "b.txt"}));
}

}  // namespace
}  // namespace tessaly
