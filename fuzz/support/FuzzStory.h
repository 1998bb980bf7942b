#pragma once

// The story's objects wired as the main window wires them, for the targets
// that run script lines: virtual time, no window, the silent sound driver,
// and a host that ends any wait after a bounded number of frames, as a
// headless run's frame limit does. Nothing is drawn: a frame costs more
// than the rest of an input, and drawing has no input of its own.

#include "audio/SoundPlayer.h"
#include "engine/Clock.h"
#include "engine/CommandHandlers.h"
#include "engine/KvtEngine.h"
#include "engine/KvtVariables.h"
#include "engine/ProductGlobals.h"
#include "interpreter/AudioCommands.h"
#include "interpreter/Interpreter.h"
#include "interpreter/InterpreterHost.h"
#include "interpreter/MissingFiles.h"
#include "interpreter/TextCommands.h"
#include "render/FontUtils.h"
#include "render/TextboxControl.h"

#include <QString>

class TFuzzStory;

class TFuzzHost final : public TInterpreterHost {
public:
    explicit TFuzzHost(TFuzzStory& story) : story_(story) {}

    void Log(const QString&) override {}
    void RenderFrame() override {}
    void PumpMessages() override;
    void CloseMainWindow() override { Closed = true; }
    void Invalidate() override {}
    void SuspendRepaint() override { suspended_ = true; }
    void ResumeRepaint() override { suspended_ = false; }
    bool RepaintSuspended() const override { return suspended_; }
    void ResetMouseCursor() override {}
    void SetTitle(const QString&) override {}

    void Reset();
    bool Closed = false;
    int Passes = 0;

private:
    TFuzzStory& story_;
    bool suspended_ = false;
};

class TFuzzStory {
public:
    // Frames one input may run, counting those of blocking waits.
    static constexpr int MaxPasses = 400;

    TFuzzStory();

    // Opens the script and runs it until it ends, waits for something no
    // reader answers here, or has used its frames; every click wait is
    // answered at once. Errors are dropped as the application logs them.
    void Play(const QString& fileName, int frames);
    // Saves and forgets the product's globals and removes them from disk,
    // so inputs neither see each other's globals nor fill the disk.
    void ForgetProduct();

    TVirtualClock Clock;
    TFuzzHost Host;
    TKvtParser Parser;
    TKvtVariables Variables;
    TProductGlobals Product;
    TCommandManager Commands;
    TSoundPlayer Sound;
    TFontManager Fonts;
    TTextBox TextBox;
    TTextCommands Text;
    TMissingFileReporter MissingFiles;
    TInterpreter Story;
    TAudioCommands Audio;
};

// One story for the whole process: the sound player may exist only once.
TFuzzStory& SharedStory();
