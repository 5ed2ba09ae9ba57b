// SetAutoStart: the Run value named by the caption, under HKEY_LOCAL_MACHINE when it can be
// written and else under HKEY_CURRENT_USER; message 13 once when neither can; Off removes it
// from both. The fallback cases use keys of the test as the two roots, made unwritable by the
// registry itself (a volatile key refuses lasting keys below it).

#include "autostart.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "recording_sink.h"
#include "registry_test_key.h"
#include "string_ids.h"
#include "test_app.h"

namespace velkaro {
namespace {

// What SetAutoStart(on) should store for a program path: its bytes and the terminating zero.
std::string StoredString(const std::string& text) { return text + std::string(1, '\0'); }

class AutoStartTest : public ::testing::Test {
protected:
    void TearDown() override {
        // Whatever a failed expectation left behind in the prefix's real Run keys.
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            HKEY run = nullptr;
            if (RegOpenKeyExA(root, kRunKeyPath, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
                RegDeleteValueA(run, app_.caption().c_str());
                RegCloseKey(run);
            }
        }
    }

    std::optional<RegistryValue> RunValue(HKEY root) {
        return ReadRegistryValue(root, kRunKeyPath, app_.caption());
    }

    TestApp app_{"C:\\Velkaro"};
    RecordingSink messages_;
};

TEST_F(AutoStartTest, OnWritesTheProgramPathUnderTheMachinesRunKeyAndOffRemovesIt) {
    struct Case {
        const char* folder;
        std::string stored;
    } cases[] = {
        {"C:\\Velkaro", "C:\\Velkaro\\velkaro.exe"},
        // A path with a space is quoted, else the shell would try "C:\Program.exe" first.
        {"C:\\Program Files\\\xc2\xe5\xeb\xea\xe0\xf0\xee",
         "\"C:\\Program Files\\\xc2\xe5\xeb\xea\xe0\xf0\xee\\velkaro.exe\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        app_.SetProgramFolder(c.folder);

        EXPECT_TRUE(SetAutoStart(app_.app(), messages_, true));
        const std::optional<RegistryValue> machine = RunValue(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(machine.has_value()) << "no value under HKLM\\" << kRunKeyPath;
        EXPECT_EQ(machine->type, DWORD(REG_SZ));
        EXPECT_EQ(machine->bytes, StoredString(c.stored));
        EXPECT_FALSE(RunValue(HKEY_CURRENT_USER).has_value());

        EXPECT_TRUE(SetAutoStart(app_.app(), messages_, false));
        EXPECT_FALSE(RunValue(HKEY_LOCAL_MACHINE).has_value());
        EXPECT_FALSE(RunValue(HKEY_CURRENT_USER).has_value());
    }
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(AutoStartTest, OnFallsBackToTheUserAndReportsWhenNeitherRootTakesTheValue) {
    using Kind = RegistryTestKey::Kind;
    struct Case {
        const char* name;
        Kind machine, user;
        bool result, underMachine, underUser;
    } cases[] = {
        {"machine writable", Kind::kWritable, Kind::kWritable, true, true, false},
        {"machine refused", Kind::kVolatile, Kind::kWritable, true, false, true},
        {"both refused", Kind::kVolatile, Kind::kVolatile, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryTestKey machine("machine", c.machine);
        RegistryTestKey user("user", c.user);
        ASSERT_TRUE(machine.get() && user.get());
        RecordingSink messages;

        EXPECT_EQ(SetAutoStart(app_.app(), messages, true, {machine.get(), user.get()}), c.result);
        const std::optional<RegistryValue> underMachine =
            ReadRegistryValue(machine.get(), kRunKeyPath, app_.caption());
        const std::optional<RegistryValue> underUser =
            ReadRegistryValue(user.get(), kRunKeyPath, app_.caption());
        EXPECT_EQ(underMachine.has_value(), c.underMachine);
        EXPECT_EQ(underUser.has_value(), c.underUser);
        for (const std::optional<RegistryValue>& value : {underMachine, underUser}) {
            if (!value) continue;
            EXPECT_EQ(value->type, DWORD(REG_SZ));
            EXPECT_EQ(value->bytes, StoredString("C:\\Velkaro\\velkaro.exe"));
        }
        if (c.result) {
            EXPECT_TRUE(messages.shown.empty());
        } else {
            ASSERT_EQ(messages.shown.size(), 1u) << "message 13, exactly once";
            EXPECT_EQ(messages.shown[0].id, uint32_t(IDS_REGISTRY_ERROR));
            EXPECT_EQ(messages.shown[0].style, uint32_t(kStyleStop));
        }
    }
}

TEST_F(AutoStartTest, OnLeavesOneRegistrationWhereItWroteLast) {
    RegistryTestKey machine("machine", RegistryTestKey::kWritable);
    RegistryTestKey user("user", RegistryTestKey::kWritable);
    ASSERT_TRUE(machine.get() && user.get());
    // Registered for this user earlier, when the machine's key was not writable.
    ASSERT_TRUE(WriteRegistryString(user.get(), kRunKeyPath, app_.caption(), "C:\\Old\\velkaro.exe"));

    EXPECT_TRUE(SetAutoStart(app_.app(), messages_, true, {machine.get(), user.get()}));
    EXPECT_TRUE(ReadRegistryValue(machine.get(), kRunKeyPath, app_.caption()).has_value());
    EXPECT_FALSE(ReadRegistryValue(user.get(), kRunKeyPath, app_.caption()).has_value())
        << "the program would start twice";
}

TEST_F(AutoStartTest, OffRemovesTheValueFromBothRootsAndIgnoresRefusals) {
    RegistryTestKey machine("machine", RegistryTestKey::kWritable);
    RegistryTestKey user("user", RegistryTestKey::kWritable);
    RegistryTestKey refused("refused", RegistryTestKey::kVolatile);
    ASSERT_TRUE(machine.get() && user.get() && refused.get());
    const std::string other = "Another program";
    for (HKEY root : {machine.get(), user.get()}) {
        ASSERT_TRUE(WriteRegistryString(root, kRunKeyPath, app_.caption(), "C:\\V\\velkaro.exe"));
        ASSERT_TRUE(WriteRegistryString(root, kRunKeyPath, other, "C:\\Other\\other.exe"));
    }

    EXPECT_TRUE(SetAutoStart(app_.app(), messages_, false, {machine.get(), user.get()}));
    for (HKEY root : {machine.get(), user.get()}) {
        EXPECT_FALSE(ReadRegistryValue(root, kRunKeyPath, app_.caption()).has_value());
        EXPECT_TRUE(ReadRegistryValue(root, kRunKeyPath, other).has_value())
            << "only the program's own value goes";
    }
    // Nothing to remove, or a root that refuses: still done, without a message.
    EXPECT_TRUE(SetAutoStart(app_.app(), messages_, false, {machine.get(), user.get()}));
    EXPECT_TRUE(SetAutoStart(app_.app(), messages_, false, {refused.get(), refused.get()}));
    EXPECT_TRUE(messages_.shown.empty());
}

}  // namespace
}  // namespace velkaro
