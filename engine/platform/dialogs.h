// Message box and input box with the platform's flag values and button codes.
// Real Qt dialogs, a console mode for the command-line tool, or a test hook.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Message box flags: buttons (low nibble), icon, default button, modality.
inline constexpr int MB_OK = 0x0;
inline constexpr int MB_OKCANCEL = 0x1;
inline constexpr int MB_ABORTRETRYIGNORE = 0x2;
inline constexpr int MB_YESNOCANCEL = 0x3;
inline constexpr int MB_YESNO = 0x4;
inline constexpr int MB_RETRYCANCEL = 0x5;
inline constexpr int MB_ICONHAND = 0x10;
inline constexpr int MB_ICONERROR = 0x10;
inline constexpr int MB_ICONSTOP = 0x10;
inline constexpr int MB_ICONQUESTION = 0x20;
inline constexpr int MB_ICONEXCLAMATION = 0x30;
inline constexpr int MB_ICONWARNING = 0x30;
inline constexpr int MB_ICONASTERISK = 0x40;
inline constexpr int MB_ICONINFORMATION = 0x40;
inline constexpr int MB_USERICON = 0x80;
inline constexpr int MB_DEFBUTTON1 = 0x0;
inline constexpr int MB_DEFBUTTON2 = 0x100;
inline constexpr int MB_DEFBUTTON3 = 0x200;
inline constexpr int MB_DEFBUTTON4 = 0x300;
inline constexpr int MB_APPLMODAL = 0x0;
inline constexpr int MB_SYSTEMMODAL = 0x1000;
inline constexpr int MB_TASKMODAL = 0x2000;
inline constexpr int MB_HELP = 0x4000;
inline constexpr int MB_NOFOCUS = 0x8000;
inline constexpr int MB_SETFOREGROUND = 0x10000;
inline constexpr int MB_DEFAULT_DESKTOP_ONLY = 0x20000;
inline constexpr int MB_TOPMOST = 0x40000;
inline constexpr int MB_RIGHT = 0x80000;
inline constexpr int MB_RTLREADING = 0x100000;
inline constexpr int MB_SERVICE_NOTIFICATION = 0x200000;
inline constexpr int MB_SERVICE_NOTIFICATION_NT3X = 0x40000;
inline constexpr int MB_TYPEMASK = 0xF;
inline constexpr int MB_ICONMASK = 0xF0;
inline constexpr int MB_DEFMASK = 0xF00;
inline constexpr int MB_MODEMASK = 0x3000;
inline constexpr int MB_MISCMASK = 0xC000;

// Button codes answered by messageBox.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

enum class DialogMode {
    Qt,      // real modal Qt dialogs (falls back to Console without a QApplication)
    Console, // "caption: text" in UTF-8 on standard output, default answer, no window
    Hook,    // every box goes to the hook set with setDialogHook
};

// What a box asks; texts are GBK.
struct DialogRequest {
    enum class Kind { Message, Input } kind = Kind::Message;
    std::string caption;
    std::string text;        // message text, or the prompt of an input box
    int flags = MB_OK;       // message boxes only
    std::string defaultText; // input boxes only
};

// The answer: the button code for a message box; for an input box IDOK or
// IDCANCEL and the text entered.
struct DialogAnswer {
    int button = IDOK;
    std::string text;
};

using DialogHook = std::function<DialogAnswer(const DialogRequest&)>;

void setDialogMode(DialogMode mode);
DialogMode dialogMode();
// Installs the hook and switches to DialogMode::Hook; an empty hook switches to Qt.
void setDialogHook(DialogHook hook);

// Routes boxes to a hook for the lifetime of the object, restoring the previous
// mode and hook afterwards (tests).
class ScopedDialogHook {
public:
    explicit ScopedDialogHook(DialogHook hook);
    ~ScopedDialogHook();
    ScopedDialogHook(const ScopedDialogHook&) = delete;
    ScopedDialogHook& operator=(const ScopedDialogHook&) = delete;

private:
    DialogMode savedMode_;
    DialogHook savedHook_;
};

// The code of the default button of a flag word: button n of MB_DEFBUTTONn when
// the box shows that many buttons, else the first button.
int defaultButton(int flags);

// A modal message box; answers the code of the button pressed.
int messageBox(std::string_view text, std::string_view caption, int flags);
// The simple message box: the text, the application title as caption, OK.
void showMessage(std::string_view text);
// A modal input box; the text entered, or defaultText when cancelled.
std::string inputBox(std::string_view caption, std::string_view prompt, std::string_view defaultText);
// A modal input box editing value in place; false (value unchanged) when cancelled.
bool inputQuery(std::string_view caption, std::string_view prompt, std::string& value);

// The application title used as the caption of showMessage (GBK).
void setApplicationTitle(std::string_view title);
std::string applicationTitle();

} // namespace platform
