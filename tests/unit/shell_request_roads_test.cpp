// The roads of a request, driven as the main window drives them, over the real plain-text
// transform and a fake edit control: every encryption and decryption here really happens.
#include "request_roads.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "edit_transform_fixture.h"
#include "fake_text_target.h"
#include "string_ids.h"

namespace velkaro {
namespace {

// The main window as the roads see it: records what they asked of it and answers the modal
// password questions from a script.
class FakeHost : public RequestHost {
public:
    bool ShowPasswordWindow() override {
        events.push_back("show");
        shown = takesFocus;
        return takesFocus;
    }
    void HidePasswordWindow() override {
        events.push_back("hide");
        shown = false;
    }
    void RefreshPasswordWindow() override { events.push_back("refresh"); }
    bool ClipboardViewerOpen() override { return viewerOpen; }
    bool AskPasswordModal(char* password, size_t capacity) override {
        events.push_back("ask");
        if (answers.empty() || !answers.front()) {
            if (!answers.empty()) answers.pop_front();
            ++cancelled;
            return false;
        }
        std::strncpy(password, answers.front()->c_str(), capacity - 1);
        answers.pop_front();
        return true;
    }
    void RunTransform(TransformMode mode) override {
        events.push_back(mode == TransformMode::Encrypt ? "encrypt" : "decrypt");
        busyDuringTransform = roads->Busy();
        runTransform(mode);
    }
    bool FindTargetUnderCursor() override {
        events.push_back("find");
        return findTarget();
    }

    RequestRoads* roads = nullptr;
    std::function<void(TransformMode)> runTransform;
    std::function<bool()> findTarget = [] { return false; };
    std::vector<std::string> events;
    std::deque<std::optional<std::string>> answers;  // nullopt: Cancel
    bool takesFocus = true;
    bool shown = false;
    bool viewerOpen = false;
    bool busyDuringTransform = false;
    int cancelled = 0;
};

class RequestRoadsTest : public EditTransformFixture, public ::testing::Test {
protected:
    RequestRoadsTest() {
        host_.roads = &roads_;
        host_.runTransform = [this](TransformMode mode) {
            transform_.TransformEditText(&target_, mode);
        };
    }

    // What the main window's dispatch does for a gesture on the edit control.
    void Gesture() {
        host_.events.clear();
        sink_.shown.clear();
        roads_.probeResult = transform_.TransformEditText(&target_, TransformMode::Probe);
        if (roads_.probeResult == ProbeResult::PlainText) roads_.EncryptRequest();
        if (roads_.probeResult == ProbeResult::BlockFound) roads_.DecryptRequest();
    }
    // The user types into the password window and presses OK.
    void TypeAndConfirm(const std::string& password) {
        std::strncpy(roads_.password, password.c_str(), sizeof roads_.password - 1);
        roads_.ConfirmPassword();
    }
    bool HoldsBlock() const { return target_.Text().find("[!dgt_encry]") != std::string::npos; }
    static bool AllZero(const void* p, size_t n) {
        const auto* bytes = static_cast<const uint8_t*>(p);
        for (size_t i = 0; i < n; ++i)
            if (bytes[i]) return false;
        return true;
    }

    const std::string letter_ = "Привет! Встречаемся в пятницу.";
    FakeTextTarget target_{letter_};
    FakeHost host_;
    KeyCache cache_;
    RequestRoads roads_{*app_, cache_, request_, sink_, host_};
};

TEST_F(RequestRoadsTest, PasswordEncryptsThenTheKeptKeyOpensWithoutAsking) {
    Gesture();
    EXPECT_EQ(host_.events, (std::vector<std::string>{"show"}));
    EXPECT_FALSE(HoldsBlock());

    TypeAndConfirm("secret password");
    EXPECT_TRUE(HoldsBlock());
    EXPECT_FALSE(host_.shown);
    EXPECT_TRUE(host_.busyDuringTransform);
    EXPECT_FALSE(roads_.Busy());
    EXPECT_EQ(app_->keyPresent, 1);
    EXPECT_EQ(cache_.Count(), 1u);
    // Nothing of the letter or the password stays behind in memory.
    EXPECT_TRUE(AllZero(app_->textBuffer, sizeof app_->textBuffer));
    EXPECT_TRUE(AllZero(app_->resultBuffer, sizeof app_->resultBuffer));
    EXPECT_TRUE(AllZero(app_->scratchBuffer, sizeof app_->scratchBuffer));
    EXPECT_TRUE(AllZero(roads_.password, sizeof roads_.password));
    EXPECT_TRUE(AllZero(app_->senderTag, sizeof app_->senderTag));
    EXPECT_EQ(roads_.probeResult, ProbeResult::NothingToDo);
    EXPECT_EQ(app_->clipboardState, 2);

    Gesture();
    EXPECT_EQ(host_.events, (std::vector<std::string>{"decrypt"}));
    EXPECT_EQ(target_.Text(), letter_);
    EXPECT_TRUE(sink_.shown.empty());
}

TEST_F(RequestRoadsTest, WithoutKeepingEveryRequestAsksAndAWrongPasswordLeavesTheWindowOpen) {
    app_->config.keepPassword = 0;
    roads_.keepPasswordBox = 0;
    Gesture();
    TypeAndConfirm("secret password");
    ASSERT_TRUE(HoldsBlock());
    EXPECT_EQ(app_->keyPresent, 0);
    EXPECT_TRUE(AllZero(&app_->currentKey, sizeof app_->currentKey));
    EXPECT_EQ(cache_.Count(), 0u) << "the cache is neither read nor filled";

    Gesture();
    EXPECT_EQ(host_.events, (std::vector<std::string>{"show"}));
    TypeAndConfirm("wrong password");
    EXPECT_EQ(sink_.Ids(), std::vector<uint32_t>{IDS_WRONG_PASSWORD});
    EXPECT_EQ(sink_.shown[0].style, uint32_t(kStyleInformation));
    EXPECT_TRUE(host_.shown) << "the window stays open for another try";
    EXPECT_TRUE(AllZero(roads_.password, sizeof roads_.password)) << "the field is emptied";
    EXPECT_TRUE(HoldsBlock());

    TypeAndConfirm("secret password");
    EXPECT_EQ(target_.Text(), letter_);
    EXPECT_FALSE(host_.shown);
    EXPECT_EQ(app_->keyPresent, 0);
}

TEST_F(RequestRoadsTest, ACachedKeyOpensABlockTheKeptKeyDoesNot) {
    FakeTextTarget other("Второе письмо, другой пароль.");
    Gesture();
    TypeAndConfirm("first password");
    const std::string firstBlock = target_.Text();
    // A second letter under another password: that key is now the kept one.
    host_.runTransform = [&](TransformMode mode) { transform_.TransformEditText(&other, mode); };
    roads_.probeResult = transform_.TransformEditText(&other, TransformMode::Probe);
    app_->keyPresent = 0;
    roads_.EncryptRequest();
    TypeAndConfirm("second password");
    ASSERT_EQ(cache_.Count(), 2u);

    host_.runTransform = [this](TransformMode mode) {
        transform_.TransformEditText(&target_, mode);
    };
    Gesture();
    EXPECT_EQ(host_.events, (std::vector<std::string>{"decrypt"}));
    EXPECT_EQ(target_.Text(), letter_);
    EXPECT_EQ(cache_.Uses(0), 2u) << "the slot that opened it is touched";
}

TEST_F(RequestRoadsTest, ErasingThePasswordMakesTheNextDecryptionAsk) {
    Gesture();
    TypeAndConfirm("secret password");
    roads_.ErasePassword();
    EXPECT_EQ(app_->keyPresent, 0);
    EXPECT_EQ(cache_.Count(), 0u);
    EXPECT_TRUE(AllZero(&app_->currentKey, sizeof app_->currentKey));
    Gesture();
    EXPECT_EQ(host_.events, (std::vector<std::string>{"show"}));
}

TEST_F(RequestRoadsTest, RefusedPasswordsLeaveTheWindowOpenAndTheTextAlone) {
    struct Case {
        const char* password;
        uint32_t message;
    } cases[] = {{"", IDS_ENTER_PASSWORD}, {"abc", IDS_PASSWORD_TOO_SHORT}};
    for (const Case& c : cases) {
        Gesture();
        TypeAndConfirm(c.password);
        EXPECT_EQ(sink_.Ids(), std::vector<uint32_t>{c.message}) << c.password;
        EXPECT_TRUE(host_.shown);
        EXPECT_EQ(target_.Text(), letter_);
    }
}

TEST_F(RequestRoadsTest, TrayRequestWithoutTargetForgetsTheKeyUnlessKept) {
    for (int32_t keep : {0, 1}) {
        app_->config.keepPassword = keep;
        roads_.keepPasswordBox = keep;
        app_->keyPresent = 0;
        app_->trayRequest = 1;
        host_.events.clear();
        TypeAndConfirm("secret password");
        EXPECT_EQ(host_.events, (std::vector<std::string>{"refresh", "find"}));
        EXPECT_EQ(app_->keyPresent, keep) << keep;
        EXPECT_EQ(target_.Text(), letter_);
    }
}

TEST_F(RequestRoadsTest, TrayRequestActsOnTheTargetFoundAfterOk) {
    app_->trayRequest = 1;
    host_.findTarget = [this] {
        roads_.probeResult = transform_.TransformEditText(&target_, TransformMode::Probe);
        return true;
    };
    TypeAndConfirm("secret password");
    EXPECT_TRUE(HoldsBlock());
}

TEST_F(RequestRoadsTest, OkForARequestThatHasGoneDecryptsNothing) {
    Gesture();  // the password window opens for the letter ...
    target_.SetUserText("");
    Gesture();  // ... then a gesture on an empty text finds nothing to do
    ASSERT_EQ(roads_.probeResult, ProbeResult::NothingToDo);
    TypeAndConfirm("secret password");
    EXPECT_EQ(host_.events, (std::vector<std::string>{"refresh", "hide"}));
    EXPECT_TRUE(sink_.shown.empty());
}

TEST_F(RequestRoadsTest, WindowThatCannotTakeTheFocusStaysHidden) {
    host_.takesFocus = false;
    Gesture();
    EXPECT_FALSE(host_.shown);
    EXPECT_EQ(target_.Text(), letter_);
}

TEST_F(RequestRoadsTest, ClipboardRoadAsksModallyUntilTheRightPasswordOrCancel) {
    Gesture();
    TypeAndConfirm("secret password");
    roads_.ErasePassword();
    host_.viewerOpen = true;

    host_.answers = {std::nullopt};
    Gesture();
    EXPECT_EQ(host_.cancelled, 1);
    EXPECT_TRUE(HoldsBlock());

    host_.answers = {std::string("wrong password"), std::string("secret password")};
    Gesture();
    EXPECT_EQ(host_.events, (std::vector<std::string>{"ask", "ask", "decrypt"}));
    EXPECT_EQ(sink_.Ids(), std::vector<uint32_t>{IDS_WRONG_PASSWORD});
    EXPECT_EQ(target_.Text(), letter_);
    EXPECT_EQ(cache_.Count(), 1u);

    roads_.ErasePassword();
    host_.answers = {std::string("secret password")};
    Gesture();
    EXPECT_EQ(host_.events, (std::vector<std::string>{"ask", "encrypt"}));
    EXPECT_TRUE(HoldsBlock());
}

}  // namespace
}  // namespace velkaro
