#pragma once
// InfoNote: the informational note put in front of a sealed block, so that a recipient
// without the program learns what the unreadable block is.
//
// The note text is CP1251. It comes from a note file (the bytes up to the first zero byte,
// at most the first 1024) or, when the file yields no bytes, is the default text: the note
// prefix followed by the program caption. Its plain form, infoNoteText, is what goes in
// front of a block in a plain editor: the text, CR LF, a rule of 50 underscores, CR LF.

#include <cstddef>
#include <string>

namespace velkaro {

class InfoNote {
public:
    static constexpr size_t kMaxFileBytes = 1024;
    static constexpr size_t kRuleLength = 50;

    // Starts with the default text.
    InfoNote();

    // The note a note file gives: `data` is the file's content (or its first bytes; only
    // the first kMaxFileBytes count). No bytes at all give the default text.
    void LoadFileBytes(const char* data, size_t n);
    void UseDefault();

    const std::string& Text() const { return text_; }
    // infoNoteText: the text, CR LF, 50 underscores, CR LF.
    std::string PlainForm() const;

    // "Сообщение зашифровано программой " + programCaption, in CP1251.
    static std::string DefaultText();
    // The program caption "Velkaro Stego" with its version suffix, in CP1251.
    static std::string ProgramCaption();

private:
    std::string text_;
};

}  // namespace velkaro
