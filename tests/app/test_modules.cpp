#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "modules/sync_engine.h"
#include "modules/sync_module.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

const std::filesystem::path Real_Module = TESSALY_SYNC_MODULE_PATH;
const std::filesystem::path Other_Version_Module = TESSALY_OTHER_VERSION_MODULE_PATH;

TEST(Sync_Module, AModuleThatIsMissingBrokenOrOfAnotherVersionIsRefusedWithItsFileNamed) {
    test::Temp_Dir folder;
    const std::filesystem::path text = folder.File(Sync_Module_Name);
    std::ofstream(text) << "not a library\n";
    const struct {
        const char* Case;
        std::filesystem::path File;
    } cases[] = {
        {"missing", folder.File("gone") / Sync_Module_Name},
        {"not a library", text},
        {"another version", Other_Version_Module},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(one.Case);
        Sync_Module module(one.File);
        const std::string expected =
            "The calendar sync could not be started: " + one.File.string() +
            " is missing or does not fit this program's version.";
        // Twice: a failed load is tried again, and fails the same way.
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                module.Engine();
                ADD_FAILURE() << "loaded";
            } catch (const Sync_Module_Error& error) {
                EXPECT_EQ(error.what(), expected);
            }
        }
        // The window's secret store fails as a missing store does.
        Module_Secret_Store secrets(module);
        EXPECT_THROW(secrets.Read_Password("https://example.org/", "ann"), Secret_Store_Error);
        EXPECT_THROW(secrets.Store_Password("https://example.org/", "ann", "pw"),
                     Secret_Store_Error);
        EXPECT_THROW(secrets.Forget_Password("https://example.org/", "ann"), Secret_Store_Error);
    }
}

TEST(Sync_Module, AFailureCrossesTheEdgeAsWhatItWas) {
    const Engine_Failure failures[] = {
        {Engine_Failure::Kind::CalDAV, CalDAV_Failure::Untrusted_Certificate, 0, "untrusted",
         "AB:CD"},
        {Engine_Failure::Kind::CalDAV, CalDAV_Failure::Unauthorized, 401, "refused", ""},
        {Engine_Failure::Kind::Secret_Store, {}, 0, "no store", ""},
        {Engine_Failure::Kind::Other, {}, 0, "went", ""},
    };
    for (const Engine_Failure& failure : failures) {
        SCOPED_TRACE(failure.Message);
        const auto caught = Catch_Failure([&failure]() -> int { Throw_Failure(failure); });
        ASSERT_EQ(caught.index(), 1U);
        const Engine_Failure& back = std::get<Engine_Failure>(caught);
        EXPECT_EQ(back.Type, failure.Type);
        EXPECT_EQ(back.Message, failure.Message);
        if (failure.Type == Engine_Failure::Kind::CalDAV) {
            EXPECT_EQ(back.Failure, failure.Failure);
            EXPECT_EQ(back.Status, failure.Status);
            EXPECT_EQ(back.Certificate_Fingerprint, failure.Certificate_Fingerprint);
        }
    }
}

TEST(Sync_Module, TheModuleIsFoundBesideTheProgramOrInItsInstalledFolder) {
    test::Temp_Dir prefix;
    const std::filesystem::path program = prefix.File("bin") / "tessaly";
    std::filesystem::create_directories(program.parent_path());
    const std::filesystem::path beside = program.parent_path() / Sync_Module_Name;
    // Neither there: the message names the file beside the program.
    EXPECT_EQ(Module_Path(program, Sync_Module_Name), beside);
#if defined(TESSALY_MODULE_INSTALL_DIR)
    const std::filesystem::path installed =
        prefix.File(TESSALY_MODULE_INSTALL_DIR) / Sync_Module_Name;
    std::filesystem::create_directories(installed.parent_path());
    std::ofstream(installed) << "module";
    EXPECT_EQ(Module_Path(program, Sync_Module_Name), installed);
#endif
    // A portable copy's own module comes first.
    std::ofstream(beside) << "module";
    EXPECT_EQ(Module_Path(program, Sync_Module_Name), beside);
}

// The window's side of a session, each callback's answer set by the test.
struct Scripted_List final : Sync_Engine_List {
    Engine_Result<std::vector<TName_And_Event_Data>> Given = std::vector<TName_And_Event_Data>{};
    int Saves = 0;

    Engine_Result<std::vector<TName_And_Event_Data>> Entries() override { return Given; }
    bool Save(const std::vector<TName_And_Event_Data>&,
              const std::vector<TName_And_Event_Data>&) override {
        ++Saves;
        return true;
    }
};

TEST(Sync_Module, TheLoadedModuleRunsASessionAndReturnsEachSidesFailures) {
    Sync_Module module(Real_Module);
    Sync_Engine& engine = module.Engine();
    EXPECT_EQ(&module.Engine(), &engine) << "loaded once";
    test::Temp_Dir folder;
    CalDAV_Account account;
    account.Server = "http://127.0.0.1:9/";
    account.User = "ann";

    // The window went: the list's failure comes back, nothing was asked of
    // the server.
    Scripted_List gone;
    Engine_Failure closed;
    closed.Message = "The window closed during the calendar sync.";
    gone.Given = closed;
    int connections = 0;
    Sync_Engine_Hooks hooks;
    hooks.Connect = [&connections]() -> Engine_Result<std::unique_ptr<Http_Transport>> {
        ++connections;
        return Engine_Failure{Engine_Failure::Kind::CalDAV, CalDAV_Failure::Unauthorized, 401,
                              "refused", ""};
    };
    auto result = engine.Run_Session(gone, account, folder.File("Tessaly.sync"),
                                     std::chrono::sys_seconds{}, hooks);
    ASSERT_EQ(result.index(), 1U);
    EXPECT_EQ(std::get<Engine_Failure>(result).Message, closed.Message);
    EXPECT_EQ(connections, 0);

    // The window's connection refused: the module returns the refusal.
    Scripted_List list;
    result = engine.Run_Session(list, account, folder.File("Tessaly.sync"),
                                std::chrono::sys_seconds{}, hooks);
    ASSERT_EQ(result.index(), 1U);
    EXPECT_EQ(std::get<Engine_Failure>(result).Failure, CalDAV_Failure::Unauthorized);
    EXPECT_EQ(std::get<Engine_Failure>(result).Status, 401);
    EXPECT_EQ(connections, 1);

    // The module's own transport to a closed port: unreachable, as a value.
    auto transport = engine.Connect(account, "pw");
    ASSERT_EQ(transport.index(), 0U);
    const auto calendars = engine.Find_Calendars(
        *std::get<std::unique_ptr<Http_Transport>>(transport), account.Server);
    ASSERT_EQ(calendars.index(), 1U);
    EXPECT_EQ(std::get<Engine_Failure>(calendars).Type, Engine_Failure::Kind::CalDAV);
    EXPECT_EQ(std::get<Engine_Failure>(calendars).Failure, CalDAV_Failure::Unreachable);
    const auto books = engine.Find_Address_Books(
        *std::get<std::unique_ptr<Http_Transport>>(transport), account.Server);
    ASSERT_EQ(books.index(), 1U);
    EXPECT_EQ(std::get<Engine_Failure>(books).Failure, CalDAV_Failure::Unreachable);
}

}  // namespace
}  // namespace tessaly
