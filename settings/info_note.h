#pragma once
// InfoNote: the informational note put in front of every encrypted message, so that a
// recipient without the program learns what the unreadable block is. The free functions
// build its text and its two prepared forms; AppState::LoadInfoNote uses them, and so does
// velkaro-cli through the small InfoNote value, so the program and the command-line tool put
// the same note in front of a block.
//
// The note file ("msgtext.txt" beside the program) holds ANSI text with CR LF line breaks,
// no header and no terminating zero. Only its first kInfoNoteReadLimit bytes are used, and
// the text ends at the first zero byte.

#include <cstddef>
#include <string>

namespace velkaro {

constexpr char kInfoNoteFileName[] = "msgtext.txt";
constexpr size_t kInfoNoteReadLimit = 1024;
constexpr size_t kInfoNoteRuleLength = 50;

// Reads at most kInfoNoteReadLimit bytes of the file at `path` (binary) into `buffer`, which
// is cleared with SecureWipe first. Answers the number of bytes read: 0 when the file is
// missing, cannot be opened or is empty.
size_t ReadInfoNoteFile(const std::string& path, char (&buffer)[kInfoNoteReadLimit]);

// The note text that the n bytes read from a note file give: the bytes up to the first zero
// byte (at most kInfoNoteReadLimit of them). No bytes at all give `defaultText`; a file that
// starts with a zero byte gives an empty text.
std::string InfoNoteTextFromBytes(const char* data, size_t n, const std::string& defaultText);

// "Сообщение зашифровано программой " (string 40002, ANSI) followed by `programCaption`.
std::string DefaultInfoNoteText(const std::string& programCaption);

// infoNoteText: the text, CR LF, a rule of 50 underscores, CR LF.
std::string InfoNotePlainForm(const std::string& text);

// infoNoteHtml: the text with every CR, together with an LF right after it, turned into
// "<br>" (an LF without a CR before it stays), then "<br>", the rule and "<br>".
std::string InfoNoteHtmlForm(const std::string& text);

// A note text with its forms, for code that has no AppState (velkaro-cli). The default text
// is built from the string table: the prefix and the caption "Velkaro Stego" + " Версия 3.1".
class InfoNote {
public:
    static constexpr size_t kMaxFileBytes = kInfoNoteReadLimit;
    static constexpr size_t kRuleLength = kInfoNoteRuleLength;

    // Starts with the default text.
    InfoNote();

    // The note the n bytes of a note file give (InfoNoteTextFromBytes with the default text).
    void LoadFileBytes(const char* data, size_t n);
    void UseDefault();

    const std::string& Text() const { return text_; }
    std::string PlainForm() const { return InfoNotePlainForm(text_); }
    std::string HtmlForm() const { return InfoNoteHtmlForm(text_); }

    // DefaultInfoNoteText(ProgramCaption()), in CP1251.
    static std::string DefaultText();
    // The program caption "Velkaro Stego" with its version suffix, in CP1251.
    static std::string ProgramCaption();

private:
    std::string text_;
};

}  // namespace velkaro
