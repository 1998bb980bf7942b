#pragma once

#include "interpreter/AutoReader.h"
#include "interpreter/ReaderFiles.h"
#include "interpreter/TextHistory.h"

#include <QString>

#include <cstdint>
#include <functional>

class TClock;
class TInterpreter;
class TProductGlobals;
class TSoundPlayer;
class TTextBox;
struct TShownText;

// What the window offers a reader besides the story itself: the history of
// texts shown, the record of lines read with "Skip" passing only those,
// "Auto" forward, and the reader's preferences. The record and the
// preferences are kept per product, beside its globals, and follow the
// product the story names.
class TReaderSession {
public:
    TReaderSession(TInterpreter& story, const TProductGlobals& product, TTextBox& textBox, TSoundPlayer& sound,
                   const TClock& clock, TReaderLog log);

    // Starts listening to the texts the story shows. Headless runs are no
    // reader: without this the session records nothing and writes no files.
    void Attach();
    bool Attached() const { return attached_; }

    const TTextHistory& History() const { return history_; }
    const TSeenLines& SeenLines() const { return seen_; }
    // Whether the text the story shows now had been read before it came.
    bool CurrentTextWasRead() const { return currentRead_; }

    // "Skip" ends by itself at a text not read before and at a menu or a
    // wait for buttons; holding the skip key passes read texts too, but
    // never ends anything.
    void SetSkip(bool on);
    bool Skip() const { return skip_; }
    void SetSkipHeld(bool held) { skipHeld_ = held; }
    bool SkipHeld() const { return skipHeld_; }
    void SetAuto(bool on) { auto_ = on; }
    bool Auto() const { return auto_; }
    // While the reader looks at the history, nothing answers for them.
    void SetPaused(bool paused) { paused_ = paused; }
    // "Skip" or "Auto" turned off by the session itself.
    std::function<void()> OnModesChanged;

    // Once per main-loop pass, after the story's lines: answers a click wait
    // when a mode says so. True when it did, and a frame is due.
    bool Step();
    // Whether a mode may act with time alone, so frames must keep coming.
    bool Active() const { return !paused_ && (skip_ || skipHeld_ || auto_); }

    const TReaderPreferences& Preferences() const { return preferences_; }
    // Applies at once; the product's file is written with the lines read.
    void SetPreferences(const TReaderPreferences& preferences);

    // Follows the story's product: the previous one's files are written,
    // the new one's read. Cheap when nothing changed.
    void SyncProduct();
    // Writes what changed of the current product's files; errors are logged.
    void Save();

private:
    void TextPresented(const TShownText& shown);
    void ApplyPreferences();
    void LoadProductFiles();
    void StopSkipping();
    QString ProductFile(const QString& name) const;

    TInterpreter& story_;
    const TProductGlobals& product_;
    TTextBox& textBox_;
    TSoundPlayer& sound_;
    const TClock& clock_;
    TReaderLog log_;
    TTextHistory history_;
    TSeenLines seen_;
    TReaderPreferences preferences_;
    TAutoReader automatic_;
    QString folder_;  // the product folder the files belong to; empty without one
    qsizetype currentLength_ = 0;
    bool currentRead_ = false;
    bool preferencesChanged_ = false;  // a dragged slider changes them many times a second
    bool attached_ = false;
    bool skip_ = false;
    bool skipHeld_ = false;
    bool auto_ = false;
    bool paused_ = false;
};
