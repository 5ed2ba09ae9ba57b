#pragma once
// DataExchange: copies values between a dialog's controls and the fields of its object, in
// the direction the exchange was made for. Each call names a control by id and a field.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace velkaro::ui {

class DataExchange {
public:
    // saving = true: controls -> fields; false: fields -> controls.
    DataExchange(HWND dialog, bool saving) : dialog_(dialog), saving_(saving) {}

    bool saving() const { return saving_; }
    // A value read was refused; the control has the focus and the user has been told.
    bool failed() const { return failed_; }

    // An edit's text in a fixed buffer of `capacity` bytes, terminator included (for secrets:
    // no copy is made anywhere else). Writing also limits the edit to capacity - 1 characters.
    void Text(int id, char* buffer, size_t capacity);
    // An edit's text as a string of at most `maxChars` characters (the edit is limited so).
    void Text(int id, std::string& value, size_t maxChars);
    // A check box: 1 checked, 0 not.
    void Check(int id, int32_t& value);
    // A group of radio buttons, given in order: index of the checked one, -1 for none.
    void Radio(std::initializer_list<int> ids, int& index);
    // An edit holding a whole number in [min, max]. Reading anything else shows `message`
    // (ANSI, with the owner the dialog) and refuses; the field keeps its value.
    void Integer(int id, int32_t& value, int32_t min, int32_t max, const std::string& message,
                 const std::string& caption);

private:
    HWND dialog_;
    bool saving_;
    bool failed_ = false;
};

// Overwrites the text of an edit control in place before emptying it, so that a password typed
// there does not linger in the control's memory.
void WipeControlText(HWND control);

}  // namespace velkaro::ui
