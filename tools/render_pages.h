// Prepared pages as PNG files, drawn as the preview draws them (white paper of
// the page's size, background picture, objects), and the widget application
// the engine's windows need when the tool runs without a display.
#pragma once

#include <QApplication>

#include <memory>
#include <string>

class TKSReport;

// OUT.png for one page; OUT-1.png, OUT-2.png ... for several. Returns the exit
// status (1 when a file cannot be written).
int RenderPreparedPages(TKSReport& report, const std::string& output, int dpi);

// A widget application (offscreen when there is no display); null when one exists.
std::unique_ptr<QApplication> MakeToolApplication();
