// TKSCompressThread: compresses one finished prepared page's object stream
// away from the user-interface thread.
#pragma once

#include "platform/uithread.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class TKSCompressThread {
public:
    // Starts compressing `input` at the level (TKSCompressionLevel). The bytes
    // must stay untouched until onTerminate has run; it runs in the
    // user-interface thread with the result (none when compression failed).
    TKSCompressThread(std::string_view input, int compressionLevel,
                      std::function<void(std::optional<std::string>)> onTerminate);

    bool Terminated() const { return task_.completed(); }
    // Lets the user interface run until onTerminate has run.
    void WaitFor() { task_.waitAndComplete(); }

private:
    std::optional<std::string> output_;
    platform::BackgroundTask task_;  // last: stopped before output_ goes away
};
