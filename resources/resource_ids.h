// Resource numbers of the tray program: dialog templates, controls, commands, menus, icons,
// bitmaps and timers. They are fixed (other programs' documentation and the string table
// refer to them) and shared by velkaro.rc and the C++ code, so this header holds plain
// #defines that windres reads too. String ids are generated from strings.tsv (string_ids.h).
#pragma once

// ---- Dialog templates
#define IDD_MAIN 102  // the main window, which is also the password window
#define IDD_PASSWORD 102  // the modal password dialog uses the same template
#define IDD_CLIPBOARD 136     // the clipboard viewer, "Буфер обмена"
#define IDD_ABOUT 142         // the about box, "О программе"
#define IDD_TEMPLATE 149      // the cover-text chooser
#define IDD_CFG_MAIN 165      // settings page "Общие настройки"
#define IDD_CFG_STEGO 166     // settings page "Стегонаграфия"
#define IDD_CFG_SHIFR_TXT 167 // settings page "Шифрование текста"
#define IDD_INFO_NOTE 174     // the note editor

// ---- Controls of template 102
#define IDC_PASSWORD 1002           // edit, ES_PASSWORD, at most 32 characters
#define IDC_KEEP_PASSWORD 1003      // auto check box without text
#define IDC_LAYOUT_INDICATOR 1057   // static, a centred bitmap after initialisation

// ---- Controls of template 136 (clipboard viewer)
#define IDC_CLIPBOARD_TEXT 1010  // multi-line edit with the clipboard's text

// ---- Controls of template 142 (about box)
#define IDC_ABOUT_VERSION 1015  // static: " Версия 3.1"

// ---- Controls of template 149 (cover-text chooser)
#define IDC_TEMPLATE_LIST 1051  // sorted list box of the templates

// ---- Controls of template 165 (general settings page)
#define IDC_CFG_KEEP_PASSWORD 1027     // "Сохранять пароль в памяти"
#define IDC_CFG_AUTOSTART 1028         // "Загружать вместе с Windows"
#define IDC_CFG_DESKTOP_LINK 1029      // "Разместить линк на рабочем столе"
#define IDC_CFG_UNLOAD_IDLE 1030       // hidden: "Выгружать программу из памяти или"
#define IDC_CFG_ERASE_KEYS_IDLE 1031   // hidden: "стирать ключи"
#define IDC_CFG_IDLE_MINUTES 1042      // hidden, disabled: digits only
#define IDC_CFG_IDLE_SPIN 1044         // hidden: up-down control, buddy 1042, 0..30

// ---- Controls of template 167 (text encryption page)
#define IDC_CFG_COLOUR_BACKGROUND 1032  // "Менять цвет фона у зашифрованного сообщения"
#define IDC_CFG_ADD_INFO_NOTE 1030      // "Добавлять информационное сообщение в зашифрованное письмо"
#define IDC_CFG_EDIT_NOTE 1045          // bitmap button 171: opens the note editor

// ---- Controls of template 166 (steganography page)
#define IDC_STEGO_CTRL 1036          // radio "CTRL": stegoModifierKey 17
#define IDC_STEGO_INS 1037           // radio "INS": stegoModifierKey 45
#define IDC_STEGO_SHIFT 1038         // radio "SHIFT": stegoModifierKey 16
#define IDC_STEGO_TEMPLATES 1039     // sorted list box of the templates
#define IDC_STEGO_OFFER_LIST 1040    // "Предлагать шаблон из списка "
#define IDC_STEGO_BUTTON_ADD 1046    // hidden, disabled bitmap buttons without a handler
#define IDC_STEGO_BUTTON_DELETE 1047
#define IDC_STEGO_BUTTON_EDIT 1048
#define IDC_STEGO_OWN_TEMPLATE 1050  // edit, at most 78 characters

// ---- Controls of template 174 (note editor)
#define IDC_INFO_NOTE_TEXT 1052  // multi-line edit with the note

// ---- Buttons of the settings sheet that it hides
#define IDC_SHEET_APPLY 12321  // ID_APPLY_NOW
#define IDC_SHEET_HELP 9       // IDHELP

// ---- Toolbars (TOOLBAR resources with a bitmap of the same id, buttons 16 x 15)
#define IDR_TOOLBAR_CLIPBOARD 161  // 32789, separator, 32788, 32792, 32785, 32793, 32784, 32813
#define IDR_TOOLBAR_NOTE 162       // 32789, 32785, 32784, 32813

// ---- Toolbar commands (their tooltips are the string-table texts of the same ids)
#define ID_TB_CLEAR 32789         // clipboard viewer: empty the clipboard; note editor: empty the text
#define ID_TB_CRYPT 32788         // encrypt or decrypt the viewer's text
#define ID_TB_CLEAR_KEY 32792     // forget the kept key
#define ID_TB_SAVE 32785          // save to a file
#define ID_TB_COPY 32793          // copy a sealed text back and close
#define ID_TB_HELP 32784          // the help file
#define ID_TB_EXIT 32813          // close

// ---- Icons
#define IDI_APP 128    // the program's icon; also the tray icon's identifier
#define IDI_SLEEP 144  // the tray icon in sleep mode

// ---- Bitmaps
#define IDB_BANNER 130     // the banner of template 102
#define IDB_LAYOUT_EN 179  // 20 x 16, "En": any layout but Russian
#define IDB_LAYOUT_RU 181  // 20 x 16, "Ru": the Russian layout (language id 1049)
#define IDB_ABOUT 147      // the picture of the about box, 213 x 39 units
#define IDB_TEMPLATE 163   // the picture of the cover-text chooser, 128 x 17 units
#define IDB_EDIT_NOTE 171  // 16 x 18: a written sheet with a pencil (the note button)

// ---- Menus
#define IDR_TRAY_MENU 132  // its single popup is the tray menu

// ---- Tray menu commands (positions 0..10, separators at 3 and 7)
#define ID_ERASE_PASSWORD 32788    // "Стереть пароль"
#define ID_CLEAR_CLIPBOARD 32780   // "Очистить буфер обмена"
#define ID_VIEW_CLIPBOARD 32778    // "Просмотр буфера обмена"
#define ID_SETTINGS 32819          // "Настройка"
#define ID_HELP 32784              // "Помощь"
#define ID_ABOUT 32782             // "О программе"
#define ID_CLOSE_MENU 32787        // "Закрыть меню"
#define ID_SLEEP_MODE 32783        // "Спящий режим"
#define ID_EXIT 32799              // "Выход"
#define TRAY_MENU_CLEAR_CLIPBOARD_POSITION 1  // the one item that may be greyed

// ---- Timers
#define IDT_MAIN_LAYOUT 107      // the main window's layout indicator, 500 ms
#define IDT_PASSWORD_LAYOUT 105  // the password dialog's layout indicator, 500 ms
#define LAYOUT_TIMER_PERIOD_MS 500

// ---- Private window messages
#define WM_SHELL_REQUEST 0x0850  // always posted; wParam a window, lParam a RequestKind
#define WM_TRAY_NOTIFY 0x0851    // the tray icon's callback message

// ---- The version resource and the manifest
#define IDR_MANIFEST 1  // CREATEPROCESS_MANIFEST_RESOURCE_ID
