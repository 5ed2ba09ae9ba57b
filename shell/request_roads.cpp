#include "request_roads.h"

#include "password_key.h"
#include "secure_wipe.h"
#include "string_ids.h"

namespace velkaro {

RequestRoads::RequestRoads(AppState& app, KeyCache& cache, RequestContext& request,
                           MessageSink& messages, RequestHost& host)
    : app_(app), cache_(cache), request_(request), messages_(messages), host_(host) {}

RequestRoads::~RequestRoads() { WipePassword(); }

void RequestRoads::EncryptRequest() {
    BusyScope busy(*this);
    if (app_.keyPresent) {
        DoEncrypt();
        return;
    }
    if (!host_.ClipboardViewerOpen()) {
        host_.ShowPasswordWindow();
        return;
    }
    char typed[kPasswordCapacity] = {};
    const bool confirmed = host_.AskPasswordModal(typed, sizeof typed);
    const bool derived =
        confirmed && DeriveKey(typed, app_.currentKey, app_.keyPresent, messages_);
    SecureWipe(typed, sizeof typed);
    if (derived && app_.keyPresent) DoEncrypt();
}

void RequestRoads::DecryptRequest() {
    BusyScope busy(*this);
    if (app_.config.keepPassword) {
        if (app_.keyPresent) {
            if (KeyMatchesHeader(request_.blockHeader, app_.currentKey, app_.keyPresent,
                                 messages_)) {
                DoDecrypt();
            }
            if (app_.keyPresent) return;
        }
        // Every Get overwrites currentKey: after a fruitless search it holds the last key
        // tried, with keyPresent 0.
        for (uint8_t slot = 0; slot < cache_.Capacity(); ++slot) {
            if (!cache_.Get(slot, app_.currentKey)) continue;
            if (!KeyMatchesHeader(request_.blockHeader, app_.currentKey, app_.keyPresent,
                                  messages_)) {
                continue;
            }
            DoDecrypt();
            if (app_.keyPresent) cache_.Touch(slot);
            return;
        }
    }
    if (!host_.ClipboardViewerOpen()) {
        host_.ShowPasswordWindow();
        return;
    }
    for (;;) {
        char typed[kPasswordCapacity] = {};
        const bool confirmed = host_.AskPasswordModal(typed, sizeof typed);
        const bool derived =
            confirmed && DeriveKey(typed, app_.currentKey, app_.keyPresent, messages_);
        SecureWipe(typed, sizeof typed);
        if (!derived) return;
        if (KeyMatchesHeader(request_.blockHeader, app_.currentKey, app_.keyPresent,
                             messages_)) {
            DoDecrypt();
            if (app_.keyPresent) cache_.Add(app_.currentKey);
            return;
        }
        messages_.ShowMessage(IDS_WRONG_PASSWORD, kStyleInformation);
    }
}

void RequestRoads::ConfirmPassword() {
    BusyScope busy(*this);
    app_.config.keepPassword = keepPasswordBox;
    if (!DeriveKey(password, app_.currentKey, app_.keyPresent, messages_)) return;
    // The derivation wiped the buffer; the field shows nothing of the password any more.
    WipePassword();
    host_.RefreshPasswordWindow();

    if (app_.trayRequest) {
        if (!host_.FindTargetUnderCursor()) {
            // No target under the cursor: the key just derived is not kept for a later
            // request the user did not ask for, unless the password is to be kept anyway.
            ForgetKeyUnlessKept();
            return;
        }
    }
    if (probeResult == ProbeResult::PlainText) {
        host_.HidePasswordWindow();
        DoEncrypt();
        return;
    }
    if (probeResult != ProbeResult::BlockFound) {
        // The request this window was opened for has gone (a later gesture found nothing to
        // act on): there is nothing to decrypt, and the header of an older probe must not be
        // used.
        host_.HidePasswordWindow();
        ForgetKeyUnlessKept();
        return;
    }
    if (!KeyMatchesHeader(request_.blockHeader, app_.currentKey, app_.keyPresent, messages_)) {
        messages_.ShowMessage(IDS_WRONG_PASSWORD, kStyleInformation);
        return;
    }
    DoDecrypt();
    if (app_.keyPresent) cache_.Add(app_.currentKey);
    host_.HidePasswordWindow();
}

void RequestRoads::ErasePassword() {
    cache_.Clear();
    app_.keyPresent = 0;
    SecureWipe(&app_.currentKey, sizeof app_.currentKey);
    WipePassword();
    host_.RefreshPasswordWindow();
}

void RequestRoads::WipeRequestState() {
    probeResult = ProbeResult::NothingToDo;
    app_.clipboardState = 2;
    // The whole buffers, not only their start: they held the letter's plain text.
    SecureWipe(app_.textBuffer, sizeof app_.textBuffer);
    SecureWipe(app_.resultBuffer, sizeof app_.resultBuffer);
    SecureWipe(app_.scratchBuffer, sizeof app_.scratchBuffer);
    SecureWipe(app_.senderTag, sizeof app_.senderTag);
    request_.targetTextLength = 0;
}

void RequestRoads::DoEncrypt() {
    RunAndSettleKey(TransformMode::Encrypt);
    if (app_.keyPresent) cache_.Add(app_.currentKey);
    WipeRequestState();
}

void RequestRoads::DoDecrypt() {
    RunAndSettleKey(TransformMode::Decrypt);
    WipeRequestState();
}

void RequestRoads::RunAndSettleKey(TransformMode mode) {
    host_.RunTransform(mode);
    ForgetKeyUnlessKept();
}

void RequestRoads::ForgetKeyUnlessKept() {
    if (app_.config.keepPassword) return;
    app_.keyPresent = 0;
    WipePassword();
    SecureWipe(&app_.currentKey, sizeof app_.currentKey);
}

void RequestRoads::WipePassword() { SecureWipe(password, sizeof password); }

}  // namespace velkaro
