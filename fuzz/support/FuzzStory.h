#pragma once

// The story's objects wired as the main window wires them (the tests'
// wiring, so the targets follow every object that joins), for the targets
// that run script lines: virtual time, the silent sound driver, a device
// without a window, and a host that ends any wait after a bounded number of
// frames, as a headless run's frame limit does. Frames are not drawn: a
// frame costs more than the rest of an input, and drawing reads no input of
// its own.

#include "support/StoryObjects.h"

#include <QString>

#include <chrono>

struct TFuzzStory : TStoryObjects {
    // Frames one input may run, counting those of blocking waits.
    static constexpr int MaxPasses = 400;
    static constexpr std::chrono::milliseconds MaxPlayTime{100};

    TFuzzStory();

    // Opens the script and runs it until it ends, waits for something no
    // reader answers here, or has used its frames; every click wait is
    // answered at once. Errors are dropped as the application logs them.
    void Play(const QString& fileName, int frames);
    // Saves and forgets the product's globals and removes them from disk,
    // so inputs neither see each other's globals nor fill the disk.
    void ForgetProduct();

    int Passes = 0;
};

// One story for the whole process: the sound player may exist only once.
TFuzzStory& SharedStory();
