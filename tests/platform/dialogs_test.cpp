// Message and input boxes: default buttons, console mode and the test hook.
#include "platform/dialogs.h"

#include "platform/gbk.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

TEST(Dialogs, DefaultButtonFollowsTheFlags)
{
    struct Case { int flags; int expected; };
    const Case cases[] = {
        {MB_OK, IDOK},
        {MB_OK | MB_DEFBUTTON2, IDOK},   // no second button: the first
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_ABORTRETRYIGNORE, IDABORT},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE},
        {MB_YESNOCANCEL | MB_DEFBUTTON2 | MB_ICONQUESTION, IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_YESNOCANCEL | MB_DEFBUTTON4, IDYES},
        {MB_YESNO | MB_ICONWARNING, IDYES},
        {MB_RETRYCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {0xE, IDOK},                     // unknown button set: OK alone
    };
    for (const Case& c : cases)
        EXPECT_EQ(defaultButton(c.flags), c.expected) << std::hex << c.flags;
}

TEST(Dialogs, ConsoleModeWritesUtf8AndAnswersTheDefault)
{
    DialogMode saved = dialogMode();
    setDialogMode(DialogMode::Console);
    testing::internal::CaptureStdout();
    int button = messageBox(utf8ToGbk("所选打印机错误"), utf8ToGbk("错误"), MB_YESNO | MB_DEFBUTTON2);
    std::string entered = inputBox("", "Name?", "Bob");
    std::string value = "kept";
    bool confirmed = inputQuery("Q", "Value", value);
    std::string out = testing::internal::GetCapturedStdout();
    setDialogMode(saved);

    EXPECT_EQ(button, IDNO);
    EXPECT_EQ(entered, "Bob");
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(value, "kept");
    EXPECT_EQ(out, "错误: 所选打印机错误\nName?\nQ: Value\n");
}

TEST(Dialogs, HookReceivesEveryBoxAndAnswers)
{
    std::vector<DialogRequest> seen;
    {
        ScopedDialogHook hook([&](const DialogRequest& r) {
            seen.push_back(r);
            if (r.kind == DialogRequest::Kind::Message)
                return DialogAnswer{IDRETRY, {}};
            return r.text == "cancel" ? DialogAnswer{IDCANCEL, "ignored"} : DialogAnswer{IDOK, "typed"};
        });
        EXPECT_EQ(messageBox("text", "caption", MB_RETRYCANCEL | MB_ICONERROR), IDRETRY);
        EXPECT_EQ(inputBox("c", "p", "default"), "typed");
        EXPECT_EQ(inputBox("c", "cancel", "default"), "default");
        std::string value = "old";
        EXPECT_FALSE(inputQuery("c", "cancel", value));
        EXPECT_EQ(value, "old");
        EXPECT_TRUE(inputQuery("c", "p", value));
        EXPECT_EQ(value, "typed");
        showMessage("hello");
        EXPECT_EQ(dialogMode(), DialogMode::Hook);
    }
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0].caption, "caption");
    EXPECT_EQ(seen[0].text, "text");
    EXPECT_EQ(seen[0].flags, MB_RETRYCANCEL | MB_ICONERROR);
    EXPECT_EQ(seen[1].kind, DialogRequest::Kind::Input);
    EXPECT_EQ(seen[1].defaultText, "default");
    EXPECT_EQ(seen[3].defaultText, "old");
    EXPECT_EQ(seen[5].caption, applicationTitle());
    EXPECT_EQ(seen[5].flags, MB_OK);
    EXPECT_NE(dialogMode(), DialogMode::Hook);
}

TEST(Dialogs, WithoutAQtApplicationQtModeFallsBackToTheConsole)
{
    DialogMode saved = dialogMode();
    setDialogMode(DialogMode::Qt);
    testing::internal::CaptureStdout();
    int button = messageBox("no window", "", MB_OKCANCEL);
    std::string out = testing::internal::GetCapturedStdout();
    setDialogMode(saved);
    EXPECT_EQ(button, IDOK);
    EXPECT_EQ(out, "no window\n");
}

} // namespace
