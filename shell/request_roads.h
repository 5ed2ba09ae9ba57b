#pragma once
// RequestRoads: the two roads of a request whose probe is done, the encryption road
// (PlainText) and the decryption road (BlockFound), from the key at hand or the password
// window's OK to the transform, and the key bookkeeping around them. The main window owns
// one; the window-specific steps are asked of a RequestHost.
//
// Keys across requests: keyPresent and currentKey survive a request only while keepPassword
// is on; the key cache is searched and filled only then. After every completed request the
// three text buffers are wiped whole and the request state is reset.

#include <cstddef>
#include <cstdint>

#include "app_state.h"
#include "key_cache.h"
#include "message_sink.h"
#include "request_context.h"
#include "request_host.h"
#include "transform_types.h"

namespace velkaro {

class RequestRoads {
public:
    // Room of the password field: at most 32 characters and the terminator.
    static constexpr size_t kPasswordCapacity = 33;

    RequestRoads(AppState& app, KeyCache& cache, RequestContext& request, MessageSink& messages,
                 RequestHost& host);
    ~RequestRoads();
    RequestRoads(const RequestRoads&) = delete;
    RequestRoads& operator=(const RequestRoads&) = delete;

    // The probe gave PlainText: encrypt at once with a kept key, or ask for the password.
    void EncryptRequest();
    // The probe gave BlockFound: try the kept key and the cached keys (keepPassword only),
    // else ask for the password.
    void DecryptRequest();
    // The password window's OK, with `password` and the keep box already read from the
    // controls. Derives the key and finishes the pending request; a wrong password or one
    // the derivation refuses leaves the window open (the field emptied).
    void ConfirmPassword();
    // "Стереть пароль": forgets the kept key, every cached key and the typed password.
    void ErasePassword();
    // Resets the request state and wipes the text buffers and the sender tag.
    void WipeRequestState();

    // True while a road, a probe or a transform is under way. A message box or dialog inside
    // it runs a nested message loop; requests arriving there must be ignored, or they would
    // overwrite the buffers and the header of the request in progress.
    bool Busy() const { return depth_ > 0; }
    // Marks the object busy for its lifetime (the main window holds one around a probe).
    class BusyScope {
    public:
        explicit BusyScope(RequestRoads& roads) : roads_(roads) { ++roads_.depth_; }
        ~BusyScope() { --roads_.depth_; }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        RequestRoads& roads_;
    };

    // The request under way: NoRequest, or what its probe answered.
    ProbeResult probeResult = ProbeResult::NoRequest;
    // The password field (bound to the password window's edit) and its keep box.
    char password[kPasswordCapacity] = {};
    int32_t keepPasswordBox = 1;

private:
    void DoEncrypt();
    void DoDecrypt();
    // Step common to both: run the transform, then forget the key unless keepPassword is on.
    void RunAndSettleKey(TransformMode mode);
    void ForgetKeyUnlessKept();
    void WipePassword();

    AppState& app_;
    KeyCache& cache_;
    RequestContext& request_;
    MessageSink& messages_;
    RequestHost& host_;
    int depth_ = 0;
};

}  // namespace velkaro
