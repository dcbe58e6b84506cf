// Message box and input box: dispatch to Qt dialogs, the console or a test hook.
#include "platform/dialogs.h"

#include "platform/gbk.h"
#include "platform/qtext.h"
#include "platform/version.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <mutex>
#include <vector>

namespace platform {

namespace {

struct DialogState {
    std::mutex mutex;
    DialogMode mode = DialogMode::Qt;
    DialogHook hook;
    std::string title = kProgramName;
};

DialogState& state()
{
    static DialogState s;
    return s;
}

std::vector<int> buttonsOf(int flags)
{
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
    }
}

// The mode in effect for one box, with the hook copied out of the lock so that a
// hook may itself show boxes.
DialogMode currentMode(DialogHook& hook)
{
    DialogState& s = state();
    std::lock_guard lock(s.mutex);
    hook = s.hook;
    if (s.mode == DialogMode::Qt && !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return DialogMode::Console;
    return s.mode;
}

void writeConsole(std::string_view caption, std::string_view text)
{
    std::string line = caption.empty() ? std::string() : gbkToUtf8(caption) + ": ";
    line += gbkToUtf8(text);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

QMessageBox::Icon iconOf(int flags)
{
    switch (flags & MB_ICONMASK) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButton qtButtonOf(int code)
{
    switch (code) {
    case IDOK: return QMessageBox::Ok;
    case IDCANCEL: return QMessageBox::Cancel;
    case IDABORT: return QMessageBox::Abort;
    case IDRETRY: return QMessageBox::Retry;
    case IDIGNORE: return QMessageBox::Ignore;
    case IDYES: return QMessageBox::Yes;
    default: return QMessageBox::No;
    }
}

int qtMessageBox(std::string_view text, std::string_view caption, int flags)
{
    QMessageBox box(iconOf(flags), toQString(caption), toQString(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    std::vector<int> codes = buttonsOf(flags);
    for (int code : codes)
        box.addButton(qtButtonOf(code));
    box.setDefaultButton(qtButtonOf(defaultButton(flags)));
    box.exec();
    for (int code : codes) {
        if (box.clickedButton() == box.button(qtButtonOf(code)))
            return code;
    }
    // Closed without a button: the cancel answer when there is one, else the only button.
    for (int code : codes) {
        if (code == IDCANCEL)
            return code;
    }
    return codes.size() == 1 ? codes.front() : IDCANCEL;
}

DialogAnswer qtInputBox(std::string_view caption, std::string_view prompt, std::string_view defaultText)
{
    bool ok = false;
    QString text = QInputDialog::getText(QApplication::activeWindow(), toQString(caption), toQString(prompt),
                                         QLineEdit::Normal, toQString(defaultText), &ok);
    return ok ? DialogAnswer{IDOK, fromQString(text)} : DialogAnswer{IDCANCEL, std::string(defaultText)};
}

DialogAnswer askInput(std::string_view caption, std::string_view prompt, std::string_view defaultText)
{
    DialogHook hook;
    switch (currentMode(hook)) {
    case DialogMode::Hook:
        if (hook) {
            DialogRequest request{DialogRequest::Kind::Input, std::string(caption), std::string(prompt),
                                  MB_OKCANCEL, std::string(defaultText)};
            return hook(request);
        }
        [[fallthrough]];
    case DialogMode::Console:
        writeConsole(caption, prompt);
        return {IDOK, std::string(defaultText)};
    case DialogMode::Qt:
        break;
    }
    return qtInputBox(caption, prompt, defaultText);
}

} // namespace

void setDialogMode(DialogMode mode)
{
    std::lock_guard lock(state().mutex);
    state().mode = mode;
}

DialogMode dialogMode()
{
    std::lock_guard lock(state().mutex);
    return state().mode;
}

void setDialogHook(DialogHook hook)
{
    std::lock_guard lock(state().mutex);
    state().mode = hook ? DialogMode::Hook : DialogMode::Qt;
    state().hook = std::move(hook);
}

ScopedDialogHook::ScopedDialogHook(DialogHook hook)
{
    std::lock_guard lock(state().mutex);
    savedMode_ = state().mode;
    savedHook_ = std::move(state().hook);
    state().hook = std::move(hook);
    state().mode = DialogMode::Hook;
}

ScopedDialogHook::~ScopedDialogHook()
{
    std::lock_guard lock(state().mutex);
    state().mode = savedMode_;
    state().hook = std::move(savedHook_);
}

int defaultButton(int flags)
{
    std::vector<int> codes = buttonsOf(flags);
    std::size_t index = static_cast<std::size_t>((flags & MB_DEFMASK) >> 8);
    return index < codes.size() ? codes[index] : codes.front();
}

int messageBox(std::string_view text, std::string_view caption, int flags)
{
    DialogHook hook;
    switch (currentMode(hook)) {
    case DialogMode::Hook:
        if (hook)
            return hook(DialogRequest{DialogRequest::Kind::Message, std::string(caption), std::string(text), flags, {}}).button;
        [[fallthrough]];
    case DialogMode::Console:
        writeConsole(caption, text);
        return defaultButton(flags);
    case DialogMode::Qt:
        break;
    }
    return qtMessageBox(text, caption, flags);
}

void showMessage(std::string_view text)
{
    messageBox(text, applicationTitle(), MB_OK);
}

std::string inputBox(std::string_view caption, std::string_view prompt, std::string_view defaultText)
{
    DialogAnswer answer = askInput(caption, prompt, defaultText);
    return answer.button == IDOK ? answer.text : std::string(defaultText);
}

bool inputQuery(std::string_view caption, std::string_view prompt, std::string& value)
{
    DialogAnswer answer = askInput(caption, prompt, value);
    if (answer.button != IDOK)
        return false;
    value = answer.text;
    return true;
}

void setApplicationTitle(std::string_view title)
{
    std::lock_guard lock(state().mutex);
    state().title = title;
}

std::string applicationTitle()
{
    std::lock_guard lock(state().mutex);
    return state().title;
}

} // namespace platform
