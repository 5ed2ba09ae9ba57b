#pragma once
// EditTransformFixture: the program's objects as the main window wires them for the
// plain-text transform: a heap AppState whose settings file lands in a temporary directory,
// the request context, the message cipher over the state's key, tag and scratch buffer, and
// the transform. Shared by the transform's tests, the CLI interop test and the benchmark.

#include <cstring>
#include <memory>
#include <string>

#include "app_state.h"
#include "edit_text_transform.h"
#include "fake_app_platform.h"
#include "message_cipher.h"
#include "password_key.h"
#include "recording_sink.h"
#include "request_context.h"
#include "temp_dir.h"

namespace velkaro {

class EditTransformFixture {
protected:
    // Derives currentKey from `password` (CP1251, under 64 bytes); false when DeriveKey refuses.
    bool UsePassword(const std::string& password) {
        char buffer[64] = {};
        std::memcpy(buffer, password.data(), password.size() < sizeof buffer ? password.size() : sizeof buffer - 1);
        RecordingSink keySink;
        return DeriveKey(buffer, app_->currentKey, app_->keyPresent, keySink);
    }

    TempDir dir_;
    FakeAppPlatform platform_{dir_.File("velkaro.exe")};
    std::unique_ptr<AppState> app_ = std::make_unique<AppState>(platform_);
    RequestContext request_;
    RecordingSink sink_;
    MessageCipher cipher_{sink_, app_->currentKey, app_->senderTag,
                          reinterpret_cast<uint8_t*>(app_->scratchBuffer)};
    EditTextTransform transform_{*app_, request_, cipher_, sink_};
};

}  // namespace velkaro
