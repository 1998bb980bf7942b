#pragma once

#include "interpreter/AutoReader.h"
#include "interpreter/Interpreter.h"

#include <QString>

#include <cstdint>
#include <vector>

// Reader input given in advance ("click; key enter; wait 500; click 10 20"),
// for authors' automated checks and for tests. Each event is delivered when
// the story waits for the reader.
struct TReaderEvent {
    enum class TKind { Click, ClickAt, Key, Move, Wait };
    TKind Kind = TKind::Click;
    int X = 0;
    int Y = 0;
    TReaderKey Key = TReaderKey::Enter;
    uint32_t Ms = 0;
};

// Raises Exception naming the event it cannot read.
std::vector<TReaderEvent> ParseReaderEvents(const QString& text);

class TScriptedReader {
public:
    enum class TOutcome {
        Idle,       // nothing to do now (the story runs, or a wait runs out)
        Delivered,  // an event or an automatic answer reached the story
        Exhausted,  // the story waits for the reader and no input is left
    };

    TScriptedReader(std::vector<TReaderEvent> events, bool autoAnswer, bool skip) : events_(std::move(events))
    {
        automatic_.Auto = autoAnswer;
        automatic_.Skip = skip;
    }

    TOutcome Step(TInterpreter& story, uint32_t now);
    // Between a pass's lines and its frame: with skipping on, a text that
    // waits for its click is drawn whole, not as its first letter.
    void CompleteSkippedText(TInterpreter& story);

private:
    void Deliver(const TReaderEvent& event, TInterpreter& story);

    std::vector<TReaderEvent> events_;
    size_t next_ = 0;
    TAutoReader automatic_;
    bool waiting_ = false;
    uint32_t waitUntil_ = 0;
};
