#include "desktop/daily_task_definition.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "caldav/caldav_xml_tree.h"

namespace tessaly {
namespace {

using detail::Xml_Element;

const Xml_Element* Child(const Xml_Element& parent, const std::string& name, int index = 0) {
    for (const Xml_Element::Child& child : parent.Children) {
        if (child.Element->Name == name && index-- == 0) {
            return child.Element;
        }
    }
    return nullptr;
}

// The text of the element at that path below the root ("Actions/Exec#1/Command").
std::string Text_At(const Xml_Element& root, const std::vector<std::pair<std::string, int>>& path) {
    const Xml_Element* element = &root;
    for (const auto& [name, index] : path) {
        element = Child(*element, name, index);
        if (element == nullptr) {
            return "<missing " + name + ">";
        }
    }
    return element->Text;
}

TEST(Daily_Task_Definition, NamesTheNotifierQuotedAndEscapedInAnyFolder) {
    struct Case {
        const char* Folder;
        const char* User;
        const char* Notifier;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Tessaly", "S-1-5-21-1-2-3-1001",
         "\"C:\\Program Files\\Tessaly\\tessaly-notify.exe\""},
        {"C:\\Tessaly\\", "WORK\\ann", "\"C:\\Tessaly\\tessaly-notify.exe\""},
        // Characters XML must escape, and letters of no ANSI code page.
        {"D:\\Tom & Jerry's <\"Tools\">\\Zo\xC3\xAB \xE6\x97\xA5\xE6\x9C\xAC", "ANN&CO\\zo\xC3\xAB",
         "\"D:\\Tom & Jerry's <\"Tools\">\\Zo\xC3\xAB "
         "\xE6\x97\xA5\xE6\x9C\xAC\\tessaly-notify.exe\""},
    };
    for (const Case& test_case : cases) {
        SCOPED_TRACE(test_case.Folder);
        std::string xml = Daily_Task_Definition(test_case.Folder, test_case.User);
        // Registered as UTF-16 text; read back here from its UTF-8 bytes.
        ASSERT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n", 0), 0u);
        xml.erase(0, xml.find('\n') + 1);
        const detail::Xml_Tree tree = detail::Read_Xml_Tree(xml);
        const Xml_Element& task = *tree.Root;
        ASSERT_EQ(task.Name, "Task");

        EXPECT_EQ(Text_At(task, {{"Actions", 0}, {"Exec", 0}, {"Command", 0}}), test_case.Notifier);
        EXPECT_EQ(Text_At(task, {{"Actions", 0}, {"Exec", 0}, {"Arguments", 0}}), "--daily");
        EXPECT_EQ(Text_At(task, {{"Actions", 0}, {"Exec", 0}, {"WorkingDirectory", 0}}),
                  test_case.Folder);
        EXPECT_EQ(Child(*Child(task, "Actions"), "Exec", 1), nullptr);

        EXPECT_EQ(Text_At(task, {{"Triggers", 0}, {"LogonTrigger", 0}, {"UserId", 0}}),
                  test_case.User);
        EXPECT_EQ(Text_At(task, {{"Triggers", 0}, {"LogonTrigger", 0}, {"Delay", 0}}), "PT2M");
        EXPECT_EQ(Text_At(task, {{"Principals", 0}, {"Principal", 0}, {"UserId", 0}}),
                  test_case.User);
        EXPECT_EQ(Text_At(task, {{"Principals", 0}, {"Principal", 0}, {"LogonType", 0}}),
                  "InteractiveToken");
        EXPECT_EQ(Text_At(task, {{"Principals", 0}, {"Principal", 0}, {"RunLevel", 0}}),
                  "LeastPrivilege");
        EXPECT_EQ(Text_At(task, {{"Triggers", 0}, {"CalendarTrigger", 0}, {"StartBoundary", 0}}),
                  "2000-01-01T09:00:00");
        EXPECT_EQ(Text_At(task, {{"Triggers", 0},
                                 {"CalendarTrigger", 0},
                                 {"ScheduleByDay", 0},
                                 {"DaysInterval", 0}}),
                  "1");
        EXPECT_EQ(Text_At(task, {{"Settings", 0}, {"StartWhenAvailable", 0}}), "true");
    }
}

}  // namespace
}  // namespace tessaly
