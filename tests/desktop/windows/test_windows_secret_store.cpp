#include <gtest/gtest.h>

#include <string>

#include "desktop/platform_services.h"
#include "desktop/windows/windows_services.h"

namespace tessaly {
namespace {

// Addresses no real account has, forgotten again by each test.
const std::string Server = "https://tessaly-test.invalid/dav/";
const std::string Other_Server = "https://tessaly-test.invalid/other/";

class Windows_Secret_Store : public ::testing::Test {
protected:
    void TearDown() override {
        for (const auto& [server, user] :
             {std::pair{Server, std::string("ann")}, std::pair{Other_Server, std::string("ann")},
              std::pair{std::string("c"), std::string("a@b")},
              std::pair{std::string("b@c"), std::string("a")}}) {
            store_->Forget_Password(server, user);
        }
    }
    std::unique_ptr<Secret_Store> store_ = Make_Secret_Store();
};

TEST_F(Windows_Secret_Store, APasswordIsKeptReplacedAndForgotten) {
    EXPECT_EQ(store_->Read_Password(Server, "ann"), std::nullopt);
    const std::string password = "p\xC3\xA4\x35\x35 w\xC3\xB6rd \xE6\x97\xA5\xF0\x9F\x8E\x82";
    store_->Store_Password(Server, "ann", password);
    EXPECT_EQ(store_->Read_Password(Server, "ann"), password);
    EXPECT_EQ(store_->Read_Password(Other_Server, "ann"), std::nullopt);
    EXPECT_EQ(store_->Read_Password(Server, "bo"), std::nullopt);

    store_->Store_Password(Server, "ann", "second");
    EXPECT_EQ(store_->Read_Password(Server, "ann"), "second");
    store_->Store_Password(Server, "ann", "");
    EXPECT_EQ(store_->Read_Password(Server, "ann"), "");

    store_->Forget_Password(Server, "ann");
    EXPECT_EQ(store_->Read_Password(Server, "ann"), std::nullopt);
    // Forgetting what is not kept is no failure.
    EXPECT_NO_THROW(store_->Forget_Password(Server, "ann"));
}

TEST_F(Windows_Secret_Store, AnAtSignInTheUsersNameMakesNoOtherAccountsCredential) {
    store_->Store_Password("c", "a@b", "one");
    store_->Store_Password("b@c", "a", "two");
    EXPECT_EQ(store_->Read_Password("c", "a@b"), "one");
    EXPECT_EQ(store_->Read_Password("b@c", "a"), "two");
    EXPECT_EQ(Credential_Target("c", "a@b%"), "Tessaly CalDAV:a%40b%25@c");
}

TEST_F(Windows_Secret_Store, WhatCannotBeKeptIsRefusedAndTheKeptOneStays) {
    store_->Store_Password(Server, "ann", "kept");
    EXPECT_THROW(store_->Store_Password(Server, "ann", std::string(300, 'x')), Secret_Store_Error);
    EXPECT_THROW(store_->Store_Password(Server, "ann", "bad \xFF byte"), Secret_Store_Error);
    EXPECT_EQ(store_->Read_Password(Server, "ann"), "kept");
}

}  // namespace
}  // namespace tessaly
