#pragma once
// How the COM fakes of a browser document behave where the page model leaves a choice.

#include <functional>

namespace velkaro {

// How a getter refuses a string that the page does not give (FakeHtmlPage::givesUrl,
// givesDesignMode or elementGivesStrings false): as a failed call (E_FAIL), or as a call
// that succeeds with a null BSTR, as the browser control answers for an empty text.
enum class FakeRefusal { FailedCall, NullString };

struct FakeComOptions {
    FakeRefusal refusal = FakeRefusal::FailedCall;
    // Called after every write to the page (puts and background colours), for instance to
    // repaint the window that shows it. May be empty.
    std::function<void()> changed;
};

}  // namespace velkaro
