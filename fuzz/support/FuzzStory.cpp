#include "support/FuzzStory.h"

#include "engine/Exceptions.h"
#include "engine/FileSystem.h"
#include "interpreter/ScriptedReader.h"
#include "support/FuzzEnvironment.h"

#include <QDir>

#include <chrono>

TFuzzStory::TFuzzStory()
{
    host.OnPump = [this] {
        // A wait that would outlast the input's frames ends as the
        // program's frame limit ends it.
        if (++Passes >= MaxPasses) {
            story.WaitRemaining = 0;
            story.StopExecution();
        }
    };
    AttachDevice();
    // The key byte of a "Scramble=300" setting.
    parser.ScrambleKey = 44;
    // A script that loops without waiting gives the frame back this soon;
    // the program allows longer, but an input must stay short.
    story.StepBudgetMs = 1;
    story.ResetAll();
}

void TFuzzStory::Play(const QString& fileName, int frames)
{
    Passes = 0;
    host.LogLines.clear();
    host.CloseRequests = 0;
    host.Suspended = false;
    try {
        story.OpenScript(fileName);
    } catch (const Exception&) {
        return;
    }
    // The driver looks at the clock only every few hundred lines, so a loop
    // of lines that each touch the file system (a missing sound, say) runs
    // far past the step budget under the sanitizers. Real time ends the
    // input then, as the frame limit ends a cheaper one.
    const auto deadline = std::chrono::steady_clock::now() + MaxPlayTime;
    TScriptedReader reader({}, false, true);
    for (int i = 0; i < frames && !story.IsFinished() && host.CloseRequests == 0 && Passes < MaxPasses
                    && std::chrono::steady_clock::now() < deadline;
         ++i) {
        try {
            story.AdvanceFrame();
        } catch (const Exception&) {
        }
        host.PumpMessages();
        TScriptedReader::TOutcome outcome = TScriptedReader::TOutcome::Idle;
        try {
            outcome = reader.Step(story, clock.TickCount());
        } catch (const Exception&) {
        }
        if (outcome == TScriptedReader::TOutcome::Exhausted)
            break;
        clock.Advance(16);
    }
    host.LogLines.clear();
}

void TFuzzStory::ForgetProduct()
{
    if (!product.HasProduct())
        return;
    try {
        product.ClearProduct();
    } catch (const Exception&) {
    }
    QDir(UserDataFolder()).removeRecursively();
}

TFuzzStory& SharedStory()
{
    InitFuzzEnvironment();
    static TFuzzStory story;
    return story;
}
