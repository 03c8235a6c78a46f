#pragma once

#include <future>
#include <thread>

namespace tobrin {

// Loads the system's font configuration on a second thread. fontconfig
// parses every file of its XML set-up before the first text can be
// measured: about a fifth of the processor time before the first window,
// spent while the main thread waits. Made at the top of main, before the
// QApplication, the loading runs beside the display connection instead.
//
// Only fontconfig itself runs on the thread, no Qt: the first thread that
// touches Qt's thread data becomes Qt's main thread.
class FontWarmUp {
public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

    // Returns once the configuration is loaded. Qt loads it on the first
    // text it measures, and a load that is still running would be made a
    // second time there; call this before building the first window.
    void Wait();

private:
    std::promise<void> loaded_;
    std::shared_future<void> ready_;
    std::thread thread_;
};

}  // namespace tobrin
