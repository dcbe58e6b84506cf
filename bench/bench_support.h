// What the benchmarks share: the offscreen GUI application the engine's
// canvases need, and the process's peak memory.
#pragma once

#include <QGuiApplication>

#include <sys/resource.h>

namespace bench {

inline void ensureGuiApp()
{
    if (QGuiApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

// Peak resident set size of the process so far, in KiB.
inline long peakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace bench
