#pragma once
// CoverTextChooser: the modal choice of a cover text for a hidden message. The Win32 layer
// shows the chooser dialog over the template list; tests answer from a script.

#include <string>

namespace velkaro {

class CConfig;

class CoverTextChooser {
public:
    virtual ~CoverTextChooser() = default;
    // Offers the templates of `config`. OK: true with the chosen template in coverText.
    // Cancel: false, coverText untouched.
    virtual bool Choose(const CConfig& config, std::string& coverText) = 0;
};

}  // namespace velkaro
