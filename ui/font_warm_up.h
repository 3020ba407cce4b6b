// The font configuration read on a thread of its own while a program with windows starts.
//
// The first text a window measures makes Qt read the whole font configuration (fontconfig's
// FcInit: its XML files and the font caches), the largest single piece of work before a main
// window shows. Nothing in it depends on the program, so it runs beside the application's start
// (the display connection, the platform plugin, the window bus) on the second processor.
#pragma once

#include <thread>

namespace qx {

// Starts reading the font configuration; join the thread before the first window is built, so that
// Qt's own FcInit finds it in place rather than reading it a second time beside this thread (the
// thread joins itself if the program leaves earlier).
std::jthread ReadFontConfigurationMeanwhile();

}  // namespace qx
