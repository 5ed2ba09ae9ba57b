// Resource numbers of the tray program: dialog templates, controls, commands, menus, icons,
// bitmaps and timers. They are fixed (other programs' documentation and the string table
// refer to them) and shared by velkaro.rc and the C++ code, so this header holds plain
// #defines that windres reads too. String ids are generated from strings.tsv (string_ids.h).
#pragma once

// ---- Dialog templates
#define IDD_MAIN 102  // the main window, which is also the password window
#define IDD_PASSWORD 102  // the modal password dialog uses the same template

// ---- Controls of template 102
#define IDC_PASSWORD 1002           // edit, ES_PASSWORD, at most 32 characters
#define IDC_KEEP_PASSWORD 1003      // auto check box without text
#define IDC_LAYOUT_INDICATOR 1057   // static, a centred bitmap after initialisation

// ---- Icons
#define IDI_APP 128    // the program's icon; also the tray icon's identifier
#define IDI_SLEEP 144  // the tray icon in sleep mode

// ---- Bitmaps
#define IDB_BANNER 130     // the banner of template 102
#define IDB_LAYOUT_EN 179  // 20 x 16, "En": any layout but Russian
#define IDB_LAYOUT_RU 181  // 20 x 16, "Ru": the Russian layout (language id 1049)

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
