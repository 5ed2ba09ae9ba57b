#pragma once
// CTemplateDlg: the cover-text chooser of a hidden message (modal, template 149, "Введите
// текст заменяющий скрытый"). It offers the settings' template list, each cut to 78
// characters, in the list box's alphabetical order; OK makes the selected one the cover text.
//
// One 80-byte transfer buffer serves the loading and the choice and is kept between
// showings: OK without a selection takes the text it holds, which is the last template added
// when the list was filled (the last of the settings' list, not the last one shown).

#include <windows.h>

#include <string>

#include "config.h"
#include "cover_text_chooser.h"
#include "dialog.h"

namespace velkaro {

class CTemplateDlg : public ui::Dialog, public CoverTextChooser {
public:
    static constexpr size_t kTransferCapacity = 80;
    // The longest template offered: what an 80-byte buffer holds of it, as the settings keep it.
    static constexpr size_t kMaxOffered = 78;

    explicit CTemplateDlg(HINSTANCE module);
    ~CTemplateDlg() override;

    // Shows the chooser over `config`'s templates. OK: true with the choice in coverText.
    // Cancel, or OK over an empty list: coverText untouched (false for Cancel).
    bool Choose(const CConfig& config, std::string& coverText) override;

private:
    BOOL OnInitDialog() override;
    void OnOK() override;

    const CConfig* config_ = nullptr;
    char transfer_[kTransferCapacity] = {};
    bool offered_ = false;
};

}  // namespace velkaro
