#include "interpreter/ReaderSession.h"

#include "audio/SoundPlayer.h"
#include "engine/Exceptions.h"
#include "engine/ProductGlobals.h"
#include "interpreter/Interpreter.h"
#include "render/TextboxControl.h"

#include <QDir>

TReaderSession::TReaderSession(TInterpreter& story, const TProductGlobals& product, TTextBox& textBox,
                               TSoundPlayer& sound, const TClock& clock, TReaderLog log)
    : story_(story), product_(product), textBox_(textBox), sound_(sound), clock_(clock), log_(std::move(log))
{
    automatic_.MaySkip = [this] { return currentRead_; };
    automatic_.AutoPause = [this] { return preferences_.AutoPause(currentLength_); };
    textBox_.Scroller().SetReaderDelay([this](int32_t scriptMs) { return preferences_.TypingDelay(scriptMs); });
}

void TReaderSession::Attach()
{
    attached_ = true;
    story_.OnTextPresented = [this](const TShownText& shown) { TextPresented(shown); };
    SyncProduct();
}

void TReaderSession::TextPresented(const TShownText& shown)
{
    // The product line usually runs in the same pass as the first text: its
    // record must be read before that text is looked up in it.
    SyncProduct();
    // A character line's body starts after its marker, blank included.
    const QString text = shown.Text.trimmed();
    history_.Add({shown.Speaker, text, shown.Heading});
    currentLength_ = text.size();
    currentRead_ = shown.HasLine() && !seen_.Insert(SeenLineKey(shown.FileName, shown.LineText));
}

void TReaderSession::SetSkip(bool on)
{
    skip_ = on;
}

void TReaderSession::StopSkipping()
{
    skip_ = false;
    if (OnModesChanged)
        OnModesChanged();
}

bool TReaderSession::Step()
{
    if (paused_)
        return false;
    const bool waitsForChoice = story_.WaitState == WaitStates::Choice || story_.WaitState == WaitStates::Button;
    if (skip_ && (waitsForChoice || (story_.WaitState == WaitStates::Click && !currentRead_)))
        StopSkipping();
    automatic_.Skip = skip_ || skipHeld_;
    automatic_.Auto = auto_;
    return automatic_.Answer(story_, clock_.TickCount());
}

void TReaderSession::SetPreferences(const TReaderPreferences& preferences)
{
    preferences_ = preferences;
    preferencesChanged_ = true;
    ApplyPreferences();
}

void TReaderSession::ApplyPreferences()
{
    sound_.SetReaderVolumes(preferences_.MusicVolume, preferences_.BgSoundVolume, preferences_.EffectsVolume);
    // A text typing out now takes the new pace from its next letter.
    textBox_.Scroller().Changed();
}

void TReaderSession::SyncProduct()
{
    if (!attached_ || product_.GlobalsFolder() == folder_)
        return;
    Save();
    folder_ = product_.GlobalsFolder();
    LoadProductFiles();
}

void TReaderSession::LoadProductFiles()
{
    preferencesChanged_ = false;
    if (folder_.isEmpty()) {
        seen_.Clear();
        preferences_ = {};
    } else {
        seen_.Load(ProductFile(SeenLinesFileName), log_);
        preferences_ = LoadReaderPreferences(ProductFile(PreferencesFileName), log_);
    }
    ApplyPreferences();
}

void TReaderSession::Save()
{
    if (!attached_ || folder_.isEmpty() || !(seen_.Dirty() || preferencesChanged_))
        return;
    try {
        // The folder may have gone while the story ran, as the globals know.
        QDir().mkpath(folder_);
        if (seen_.Dirty())
            seen_.Save(ProductFile(SeenLinesFileName));
        if (preferencesChanged_)
            SaveReaderPreferences(ProductFile(PreferencesFileName), preferences_);
        preferencesChanged_ = false;
    } catch (const Exception& e) {
        if (log_)
            log_(DescribeException(e));
    }
}

QString TReaderSession::ProductFile(const QString& name) const
{
    return folder_ + name;
}
