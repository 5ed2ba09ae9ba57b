// The clipboard viewer over the real roads of a request, the real plain-text transform and
// cipher, and the desktop's clipboard: blocks opened and texts sealed in the viewer, the
// toolbar's button 32788 after each, copy and clear, a cancelled password question, the
// window's place kept across openings, the wipe when it closes and a clipboard held by
// another program. The main window's part (RequestHost) is played by the fixture.

#include "clipboard_dlg.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app_state.h"
#include "clipboard_holder.h"
#include "clipboard_text.h"
#include "cp1251.h"
#include "edit_control_target.h"
#include "edit_text_transform.h"
#include "fake_app_platform.h"
#include "handles.h"
#include "key_cache.h"
#include "message_cipher.h"
#include "password_key.h"
#include "recording_sink.h"
#include "request_context.h"
#include "request_kind.h"
#include "request_roads.h"
#include "resource_ids.h"
#include "string_ids.h"
#include "temp_dir.h"
#include "text_limits.h"
#include "toolbar_driver.h"
#include "wait_until.h"

namespace velkaro {
namespace {

const std::string kPassword = Cp1251::FromUtf8("пароль-42");
const std::string kLetter = Cp1251::FromUtf8("Привет!\r\nВстреча в пятницу, в семь.");

// A text sealed with `password` as the tray program seals it: block and closing marker.
std::string SealText(const std::string& plain, const std::string& password) {
    RecordingSink sink;
    CipherKey key = {};
    int32_t present = 0;
    char typed[RequestRoads::kPasswordCapacity] = {};
    std::memcpy(typed, password.data(), password.size());
    EXPECT_TRUE(DeriveKey(typed, key, present, sink));
    uint8_t tag[36] = {'@', '%'};
    std::vector<char> scratch(kTextBufferCapacity), text(kTextBufferCapacity), out(kTextBufferCapacity);
    std::memcpy(text.data(), plain.data(), plain.size());
    MessageCipher cipher(sink, key, tag, reinterpret_cast<uint8_t*>(scratch.data()));
    EXPECT_TRUE(cipher.Seal(text.data(), out.data(), uint32_t(plain.size())));
    return std::string(out.data()) + kClosingMarker;
}

// The plain text of the first block in `text`, opened with `password`; nullopt when it fails.
std::optional<std::string> OpenText(const std::string& text, const std::string& password) {
    RecordingSink sink;
    CipherKey key = {};
    int32_t present = 0;
    char typed[RequestRoads::kPasswordCapacity] = {};
    std::memcpy(typed, password.data(), password.size());
    if (!DeriveKey(typed, key, present, sink)) return std::nullopt;
    int32_t at = -1;
    if (!FindBlockMarker(text.c_str(), &at, uint32_t(text.size()), kBlockMarker)) return std::nullopt;
    uint8_t tag[36] = {};
    std::vector<char> scratch(kTextBufferCapacity), out(kTextBufferCapacity);
    MessageCipher cipher(sink, key, tag, reinterpret_cast<uint8_t*>(scratch.data()));
    uint32_t n = uint32_t(text.size()) - uint32_t(at);
    if (!cipher.Open(text.c_str() + at, out.data(), &n)) return std::nullopt;
    return std::string(out.data(), n);
}

std::string ClipboardText() {
    std::vector<char> buffer(kTextBufferCapacity);
    return ReadClipboardText(buffer.data()) ? std::string(buffer.data()) : std::string();
}

std::string WindowText(HWND window) {
    std::vector<char> buffer(size_t(GetWindowTextLengthA(window)) + 1);
    GetWindowTextA(window, buffer.data(), int(buffer.size()));
    return buffer.data();
}

// Typing as the user types: characters into the edit at its end (the modified flag is set).
void Type(HWND edit, const std::string& text) {
    SendMessageA(edit, EM_SETSEL, WPARAM(-2), LPARAM(-1));
    SendMessageA(edit, EM_SETSEL, GetWindowTextLengthA(edit), GetWindowTextLengthA(edit));
    for (char c : text) SendMessageA(edit, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 0);
}

class ClipboardViewerTest : public ::testing::Test, protected RequestHost {
protected:
    ClipboardViewerTest() {
        app_->config.keepPassword = 0;
        mainWindow_.reset(CreateWindowExA(0, "STATIC", "main", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                          nullptr, nullptr, nullptr));
    }
    ~ClipboardViewerTest() override {
        viewer_.reset();
        EmptyClipboardText();
    }

    // What the main window does for "Просмотр буфера обмена": the clipboard's text into
    // textBuffer, its probe into clipboardState, then the viewer.
    void OpenViewer() {
        request_.clipboardSource = 1;
        roads_.probeResult = ProbeResult::NothingToDo;
        app_->clipboardState = int32_t(ProbeResult::NothingToDo);
        std::memset(app_->textBuffer, 0, sizeof app_->textBuffer);
        if (ReadClipboardText(app_->textBuffer)) {
            roads_.probeResult = transform_.TransformEditText(nullptr, TransformMode::Probe);
            app_->clipboardState = int32_t(roads_.probeResult);
        }
        viewer_ = std::make_unique<CClipboardDlg>(module_, *app_, roads_, messages_, mainWindow_.get());
        ASSERT_TRUE(viewer_->CreateModeless(nullptr));
        ShowWindow(viewer_->hwnd(), SW_SHOW);
    }

    void Click(UINT command) { ASSERT_TRUE(ClickToolbarButton(viewer_->hwnd(), command)); }
    bool CryptEnabled() const { return ToolbarButtonEnabled(viewer_->hwnd(), ID_TB_CRYPT); }
    std::string Shown() const { return WindowText(viewer_->TextEdit()); }

    // Whether the viewer posted its request to be closed to the main window.
    bool CloseRequested() {
        MSG msg;
        if (!PeekMessageA(&msg, mainWindow_.get(), WM_SHELL_REQUEST, WM_SHELL_REQUEST, PM_REMOVE)) {
            return false;
        }
        EXPECT_EQ(msg.wParam, reinterpret_cast<WPARAM>(mainWindow_.get()));
        EXPECT_EQ(msg.lParam, LPARAM(RequestKind::ViewerClosed));
        return true;
    }

    // --- RequestHost: the main window while the viewer is open
    bool ShowPasswordWindow() override {
        ADD_FAILURE() << "the viewer's requests ask with the modal dialog";
        return false;
    }
    void HidePasswordWindow() override {}
    void RefreshPasswordWindow() override {}
    bool ClipboardViewerOpen() override { return viewer_ != nullptr; }
    bool AskPasswordModal(char* password, size_t capacity) override {
        ++questions_;
        if (whileAsked_) whileAsked_();
        if (answers_.empty()) {
            ADD_FAILURE() << "an unexpected password question";
            return false;
        }
        std::optional<std::string> answer = answers_.front();
        answers_.pop_front();
        if (!answer) {
            viewer_->MarkCancelled();
            return false;
        }
        lstrcpynA(password, answer->c_str(), int(capacity));
        return true;
    }
    void RunTransform(TransformMode mode) override {
        EditControlTarget target(viewer_->TextEdit());
        transform_.TransformEditText(&target, mode);
    }
    bool FindTargetUnderCursor() override { return false; }

    HINSTANCE module_ = GetModuleHandleA(nullptr);
    TempDir dir_;
    FakeAppPlatform platform_{dir_.File("velkaro.exe")};
    std::unique_ptr<AppState> app_ = std::make_unique<AppState>(platform_);
    RecordingSink messages_;
    KeyCache cache_;
    RequestContext request_;
    MessageCipher cipher_{messages_, app_->currentKey, app_->senderTag,
                          reinterpret_cast<uint8_t*>(app_->scratchBuffer)};
    EditTextTransform transform_{*app_, request_, cipher_, messages_};
    RequestRoads roads_{*app_, cache_, request_, messages_, *this};
    ui::UniqueWindow mainWindow_;
    std::unique_ptr<CClipboardDlg> viewer_;

    std::deque<std::optional<std::string>> answers_;  // nullopt: Cancel
    std::function<void()> whileAsked_;
    int questions_ = 0;
};

TEST_F(ClipboardViewerTest, BlockOpensWithTheRightPasswordAndCopyLeavesTheClipboardAlone) {
    const std::string block = SealText(kLetter, kPassword);
    ASSERT_TRUE(WriteClipboardText(block.c_str()));
    OpenViewer();
    EXPECT_EQ(app_->clipboardState, int32_t(ProbeResult::BlockFound));
    EXPECT_EQ(Shown(), block);
    EXPECT_TRUE(CryptEnabled());

    // A wrong password is told and asked again; the right one opens the block.
    answers_ = {Cp1251::FromUtf8("не тот пароль"), kPassword};
    Click(ID_TB_CRYPT);
    EXPECT_EQ(questions_, 2);
    EXPECT_EQ(messages_.Ids(), std::vector<uint32_t>{IDS_WRONG_PASSWORD});
    EXPECT_EQ(Shown(), kLetter);
    EXPECT_EQ(app_->clipboardState, int32_t(ProbeResult::NothingToDo));
    EXPECT_FALSE(CryptEnabled()) << "an opened letter is not sealed or opened again";
    Click(ID_TB_CRYPT);
    EXPECT_EQ(questions_, 2) << "the disabled button does nothing";

    Click(ID_TB_COPY);
    EXPECT_TRUE(viewer_->closed());
    EXPECT_TRUE(CloseRequested());
    EXPECT_EQ(ClipboardText(), block) << "a decrypted letter never reaches the clipboard";
}

TEST_F(ClipboardViewerTest, PlainTextIsSealedAndCopyPutsTheBlockOnTheClipboard) {
    ASSERT_TRUE(WriteClipboardText(kLetter.c_str()));
    OpenViewer();
    EXPECT_EQ(app_->clipboardState, int32_t(ProbeResult::PlainText));
    EXPECT_EQ(Shown(), kLetter);

    answers_ = {kPassword};
    Click(ID_TB_CRYPT);
    const std::string sealed = Shown();
    EXPECT_EQ(sealed.rfind(kBlockMarker, 0), 0u) << sealed;
    EXPECT_EQ(sealed.substr(sealed.size() - kClosingMarkerLength), kClosingMarker);
    EXPECT_FALSE(CryptEnabled());
    EXPECT_TRUE(messages_.Ids().empty());
    EXPECT_EQ(app_->keyPresent, 0) << "keepPassword is off: the key is forgotten";
    EXPECT_FALSE(CloseRequested());

    Click(ID_TB_COPY);
    EXPECT_TRUE(CloseRequested());
    EXPECT_EQ(ClipboardText(), sealed);
    EXPECT_EQ(OpenText(ClipboardText(), kPassword), kLetter);
}

// A cancelled password question leaves the request as it was: the same button tries again.
struct CancelCase {
    const char* name;
    bool block;
};
class CancelledQuestion : public ClipboardViewerTest,
                          public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelledQuestion, LeavesTheButtonAndTheTextAsTheyWere) {
    const std::string onClipboard = GetParam().block ? SealText(kLetter, kPassword) : kLetter;
    ASSERT_TRUE(WriteClipboardText(onClipboard.c_str()));
    OpenViewer();
    const int32_t state = app_->clipboardState;

    answers_ = {std::nullopt};
    Click(ID_TB_CRYPT);
    EXPECT_TRUE(viewer_->cancelled());
    EXPECT_TRUE(CryptEnabled());
    EXPECT_EQ(Shown(), onClipboard);
    EXPECT_EQ(app_->clipboardState, state);
    EXPECT_TRUE(messages_.Ids().empty());

    answers_ = {kPassword};
    Click(ID_TB_CRYPT);
    const std::string result = Shown();
    EXPECT_EQ(GetParam().block ? std::optional<std::string>(result) : OpenText(result, kPassword),
              kLetter);
    EXPECT_FALSE(CryptEnabled());
}

INSTANTIATE_TEST_SUITE_P(Viewer, CancelledQuestion,
                         ::testing::Values(CancelCase{"PlainText", false}, CancelCase{"Block", true}),
                         [](const auto& tested) { return std::string(tested.param.name); });

TEST_F(ClipboardViewerTest, WhileItsPasswordIsAskedTheViewerNeitherClosesNorStartsAgain) {
    ASSERT_TRUE(WriteClipboardText(kLetter.c_str()));
    OpenViewer();
    answers_ = {kPassword};
    whileAsked_ = [this] {
        whileAsked_ = nullptr;
        Click(ID_TB_EXIT);
        Click(ID_TB_CLEAR);
        Click(ID_TB_CRYPT);
        SendMessageA(viewer_->hwnd(), WM_CLOSE, 0, 0);
    };
    Click(ID_TB_CRYPT);
    EXPECT_EQ(questions_, 1);
    EXPECT_FALSE(viewer_->closed());
    EXPECT_FALSE(CloseRequested());
    EXPECT_EQ(OpenText(Shown(), kPassword), kLetter);
    EXPECT_EQ(ClipboardText(), kLetter) << "the clipboard was not cleared under the request";
}

TEST_F(ClipboardViewerTest, ClearEmptiesClipboardAndViewerAndTypedTextIsSealed) {
    ASSERT_TRUE(WriteClipboardText(SealText(kLetter, kPassword).c_str()));
    OpenViewer();
    answers_ = {kPassword};
    Click(ID_TB_CRYPT);
    ASSERT_EQ(Shown(), kLetter);
    ASSERT_FALSE(CryptEnabled());

    Click(ID_TB_CLEAR);
    EXPECT_FALSE(ClipboardHasText());
    EXPECT_EQ(Shown(), "");
    EXPECT_TRUE(CryptEnabled());
    EXPECT_EQ(app_->clipboardState, int32_t(ProbeResult::NothingToDo));
    EXPECT_EQ(std::string(app_->textBuffer, sizeof app_->textBuffer),
              std::string(sizeof app_->textBuffer, '\0'));

    // An empty viewer has nothing to seal: no question.
    Click(ID_TB_CRYPT);
    EXPECT_EQ(questions_, 1);

    const std::string typed = Cp1251::FromUtf8("Новый текст, набранный в окне");
    Type(viewer_->TextEdit(), typed);
    answers_ = {kPassword};
    Click(ID_TB_CRYPT);
    EXPECT_EQ(questions_, 2);
    EXPECT_EQ(OpenText(Shown(), kPassword), typed);
    EXPECT_FALSE(CryptEnabled());
}

TEST_F(ClipboardViewerTest, PlainTextChangedInTheViewerIsWhatIsSealed) {
    ASSERT_TRUE(WriteClipboardText(kLetter.c_str()));
    OpenViewer();
    const std::string added = Cp1251::FromUtf8(" Не опаздывай!");
    Type(viewer_->TextEdit(), added);
    answers_ = {kPassword};
    Click(ID_TB_CRYPT);
    EXPECT_EQ(OpenText(Shown(), kPassword), kLetter + added);
}

TEST_F(ClipboardViewerTest, ForgettingTheKeyMakesTheNextBlockAskAgain) {
    app_->config.keepPassword = 1;
    const std::string block = SealText(kLetter, kPassword);
    ASSERT_TRUE(WriteClipboardText(block.c_str()));
    OpenViewer();
    answers_ = {kPassword};
    Click(ID_TB_CRYPT);
    ASSERT_EQ(Shown(), kLetter);
    ASSERT_EQ(app_->keyPresent, 1) << "keepPassword keeps the key";
    Click(ID_TB_CLEAR_KEY);
    EXPECT_EQ(app_->keyPresent, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&app_->currentKey), sizeof app_->currentKey),
              std::string(sizeof app_->currentKey, '\0'));
    EXPECT_EQ(cache_.Count(), 1u) << "the cache keeps its keys";
}

TEST_F(ClipboardViewerTest, ReopensWhereItWasClosed) {
    ASSERT_TRUE(WriteClipboardText(kLetter.c_str()));
    OpenViewer();
    RECT first = {};
    GetWindowRect(viewer_->hwnd(), &first);
    const int width = first.right - first.left, height = first.bottom - first.top;
    MoveWindow(viewer_->hwnd(), 137, 91, width, height, TRUE);
    Click(ID_TB_EXIT);
    ASSERT_TRUE(CloseRequested());
    viewer_.reset();  // the main window deletes it
    EXPECT_EQ(app_->clipboardViewerPositionSaved, 1);

    OpenViewer();
    RECT second = {};
    GetWindowRect(viewer_->hwnd(), &second);
    EXPECT_EQ(second.left, 137);
    EXPECT_EQ(second.top, 91);
    EXPECT_EQ(second.right - second.left, width);
    EXPECT_EQ(second.bottom - second.top, height);
}

// Without a rectangle to go back to (none saved, or one on no screen) the viewer opens in
// the middle of the screen.
struct FirstPlaceCase {
    const char* name;
    int32_t saved;
    int32_t rect[4];
};
class FirstPlace : public ClipboardViewerTest, public ::testing::WithParamInterface<FirstPlaceCase> {};

TEST_P(FirstPlace, IsTheMiddleOfTheScreen) {
    app_->clipboardViewerPositionSaved = GetParam().saved;
    std::memcpy(app_->clipboardViewerRect, GetParam().rect, sizeof app_->clipboardViewerRect);
    OpenViewer();
    RECT r = {};
    GetWindowRect(viewer_->hwnd(), &r);
    EXPECT_LE(std::abs((r.left + r.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1) << r.left;
    EXPECT_LE(std::abs((r.top + r.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1) << r.top;
}

INSTANTIATE_TEST_SUITE_P(Viewer, FirstPlace,
                         ::testing::Values(FirstPlaceCase{"NothingSaved", 0, {0, 0, 0, 0}},
                                           FirstPlaceCase{"OffEveryScreen", 1, {40000, 40000, 40300, 40200}},
                                           FirstPlaceCase{"Empty", 1, {50, 50, 50, 50}}),
                         [](const auto& tested) { return std::string(tested.param.name); });

// The edit's text at the moment the edit is destroyed, seen from inside the edit.
LRESULT CALLBACK RecordTextAtDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR record) {
    if (message == WM_DESTROY) {
        *reinterpret_cast<int*>(record) = GetWindowTextLengthA(window);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(ClipboardViewerTest, ClosingWipesTheLetterFromTheWindowAndTheTextBuffer) {
    ASSERT_TRUE(WriteClipboardText(SealText(kLetter, kPassword).c_str()));
    OpenViewer();
    answers_ = {kPassword};
    Click(ID_TB_CRYPT);
    ASSERT_EQ(Shown(), kLetter);
    // What a later command might have left in textBuffer goes too.
    std::memcpy(app_->textBuffer, kLetter.c_str(), kLetter.size() + 1);
    int lengthAtDestroy = -1;
    ASSERT_TRUE(SetWindowSubclass(viewer_->TextEdit(), RecordTextAtDestroy, 1,
                                  reinterpret_cast<DWORD_PTR>(&lengthAtDestroy)));

    SendMessageA(viewer_->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(viewer_->closed());
    EXPECT_TRUE(CloseRequested());
    viewer_.reset();
    EXPECT_EQ(lengthAtDestroy, 0);
    EXPECT_EQ(std::string(app_->textBuffer, sizeof app_->textBuffer),
              std::string(sizeof app_->textBuffer, '\0'));
}

// Copy (of a sealed text) and clear need the clipboard; another program holding it gets a
// message, and the viewer stays open with its text.
struct BusyCase {
    const char* name;
    UINT command;
};
class BusyClipboard : public ClipboardViewerTest, public ::testing::WithParamInterface<BusyCase> {};

TEST_P(BusyClipboard, GivesAMessageAndLosesNothing) {
    ASSERT_TRUE(WriteClipboardText(kLetter.c_str()));
    OpenViewer();
    answers_ = {kPassword};
    Click(ID_TB_CRYPT);
    const std::string sealed = Shown();
    ASSERT_EQ(OpenText(sealed, kPassword), kLetter);
    {
        ClipboardHolder holder;
        ASSERT_TRUE(holder.opened());
        Click(GetParam().command);
        EXPECT_EQ(messages_.Ids(), std::vector<uint32_t>{IDS_CLIPBOARD_BUSY});
        EXPECT_EQ(Shown(), sealed);
        EXPECT_FALSE(viewer_->closed());
        EXPECT_FALSE(CloseRequested());
        EXPECT_TRUE(IsWindowEnabled(viewer_->hwnd())) << "enabled again after the message";
    }
    EXPECT_EQ(ClipboardText(), kLetter) << "the clipboard was not touched";
    // Once the clipboard is free the same command works.
    Click(GetParam().command);
    if (GetParam().command == ID_TB_COPY) {
        EXPECT_TRUE(CloseRequested());
        EXPECT_EQ(ClipboardText(), sealed);
    } else {
        EXPECT_EQ(Shown(), "");
        EXPECT_FALSE(ClipboardHasText());
    }
}

INSTANTIATE_TEST_SUITE_P(Viewer, BusyClipboard,
                         ::testing::Values(BusyCase{"Copy", ID_TB_COPY}, BusyCase{"Clear", ID_TB_CLEAR}),
                         [](const auto& tested) { return std::string(tested.param.name); });

TEST_F(ClipboardViewerTest, EmptyClipboardOpensAnEmptyViewerThatSealsWhatIsTyped) {
    EmptyClipboardText();
    OpenViewer();
    EXPECT_EQ(app_->clipboardState, int32_t(ProbeResult::NothingToDo));
    EXPECT_EQ(Shown(), "");
    EXPECT_TRUE(CryptEnabled());
    const std::string typed = "typed into an empty viewer";
    Type(viewer_->TextEdit(), typed);
    answers_ = {kPassword};
    Click(ID_TB_CRYPT);
    EXPECT_EQ(OpenText(Shown(), kPassword), typed);
}

}  // namespace
}  // namespace velkaro
