// Message boxes raised while a test runs, captured instead of shown; each is
// answered as if closed with its default button.
#pragma once

#include "platform/dialogs.h"

#include <vector>

struct CapturedBoxes {
    std::vector<platform::DialogRequest> shown;
    platform::ScopedDialogHook hook{[this](const platform::DialogRequest& request) {
        shown.push_back(request);
        return platform::DialogAnswer{};
    }};
};
