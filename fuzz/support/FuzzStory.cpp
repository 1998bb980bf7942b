#include "support/FuzzStory.h"

#include "engine/Exceptions.h"
#include "engine/FileSystem.h"
#include "interpreter/CommandTable.h"
#include "interpreter/ScriptedReader.h"
#include "support/FuzzEnvironment.h"

#include <QDir>

void TFuzzHost::PumpMessages()
{
    // A wait that would outlast the input's frames ends as the program's
    // frame limit ends it.
    if (++Passes >= TFuzzStory::MaxPasses) {
        story_.Story.WaitRemaining = 0;
        story_.Story.StopExecution();
    }
}

void TFuzzHost::Reset()
{
    Closed = false;
    Passes = 0;
    suspended_ = false;
}

TFuzzStory::TFuzzStory()
    : Host(*this),
      Product(Variables),
      Sound(Clock, [](const QString&) {}),
      TextBox(Fonts, Clock),
      Text(TextBox, Fonts, Parser, Variables),
      MissingFiles([](const QString&) {}),
      Story({Parser, Variables, Product, Commands, Sound, Fonts, Clock, Host, TextBox, Text}),
      Audio(Sound, Parser, MissingFiles, Story, [](const QString&) {})
{
    RegisterCommandTable(Commands, {&Story, &Audio});
    // The key byte of a "Scramble=300" setting.
    Parser.ScrambleKey = 44;
    // A script that loops without waiting gives the frame back this soon;
    // the program allows longer, but an input must stay short.
    Story.StepBudgetMs = 1;
    Story.ResetAll();
}

void TFuzzStory::Play(const QString& fileName, int frames)
{
    Host.Reset();
    try {
        Story.OpenScript(fileName);
    } catch (const Exception&) {
        return;
    }
    TScriptedReader reader({}, false, true);
    for (int i = 0; i < frames && !Story.IsFinished() && !Host.Closed && Host.Passes < MaxPasses; ++i) {
        try {
            Story.AdvanceFrame();
        } catch (const Exception&) {
        }
        Host.PumpMessages();
        TScriptedReader::TOutcome outcome = TScriptedReader::TOutcome::Idle;
        try {
            outcome = reader.Step(Story, Clock.TickCount());
        } catch (const Exception&) {
        }
        if (outcome == TScriptedReader::TOutcome::Exhausted)
            break;
        Clock.Advance(16);
    }
}

void TFuzzStory::ForgetProduct()
{
    if (!Product.HasProduct())
        return;
    try {
        Product.ClearProduct();
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
