#include "desktop/daily_task_definition.h"

#include "core/text_encoding.h"

namespace tessaly {

namespace {

std::string Program_In(std::string_view folder, std::string_view program) {
    std::string path(folder);
    if (!path.empty() && path.back() != '\\' && path.back() != '/') {
        path += '\\';
    }
    return path + std::string(program);
}

std::string Exec(std::string_view folder, std::string_view program, std::string_view arguments) {
    // Quoted, so that a folder with blanks names one program.
    return "    <Exec>\n"
           "      <Command>" +
           Escape_Xml_Text("\"" + Program_In(folder, program) + "\"") +
           "</Command>\n"
           "      <Arguments>" +
           std::string(arguments) +
           "</Arguments>\n"
           "      <WorkingDirectory>" +
           Escape_Xml_Text(folder) +
           "</WorkingDirectory>\n"
           "    </Exec>\n";
}

}  // namespace

std::string Daily_Task_Definition(std::string_view program_folder, std::string_view user) {
    const std::string user_id = Escape_Xml_Text(user);
    // The start boundary carries no zone: 09:00 wherever the user is. The
    // log-on run waits for the network, as the Linux timer does. The
    // notifier, a program without a console, runs the sync and the report
    // unseen; five minutes cover a slow server.
    return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
           "<Task version=\"1.2\" "
           "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
           "  <RegistrationInfo>\n"
           "    <Author>Tessaly</Author>\n"
           "    <Description>Syncs the Tessaly list with its calendar, when an account is "
           "set, and shows the birthdays and events due.</Description>\n"
           "  </RegistrationInfo>\n"
           "  <Triggers>\n"
           "    <LogonTrigger>\n"
           "      <Enabled>true</Enabled>\n"
           "      <Delay>PT2M</Delay>\n"
           "      <UserId>" +
           user_id +
           "</UserId>\n"
           "    </LogonTrigger>\n"
           "    <CalendarTrigger>\n"
           "      <StartBoundary>2000-01-01T09:00:00</StartBoundary>\n"
           "      <Enabled>true</Enabled>\n"
           "      <ScheduleByDay>\n"
           "        <DaysInterval>1</DaysInterval>\n"
           "      </ScheduleByDay>\n"
           "    </CalendarTrigger>\n"
           "  </Triggers>\n"
           "  <Principals>\n"
           "    <Principal id=\"Author\">\n"
           "      <UserId>" +
           user_id +
           "</UserId>\n"
           "      <LogonType>InteractiveToken</LogonType>\n"
           "      <RunLevel>LeastPrivilege</RunLevel>\n"
           "    </Principal>\n"
           "  </Principals>\n"
           "  <Settings>\n"
           "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\n"
           "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\n"
           "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\n"
           "    <StartWhenAvailable>true</StartWhenAvailable>\n"
           "    <RunOnlyIfNetworkAvailable>false</RunOnlyIfNetworkAvailable>\n"
           "    <ExecutionTimeLimit>PT5M</ExecutionTimeLimit>\n"
           "    <Enabled>true</Enabled>\n"
           "  </Settings>\n"
           "  <Actions Context=\"Author\">\n" +
           Exec(program_folder, "tessaly-notify.exe", "--daily") +
           "  </Actions>\n"
           "</Task>\n";
}

}  // namespace tessaly
