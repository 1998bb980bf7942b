#include "interpreter/AutoReader.h"

#include "interpreter/Interpreter.h"

bool TAutoReader::SkipsCurrentText(const TInterpreter& story) const
{
    return Skip && story.WaitState == WaitStates::Click && (!MaySkip || MaySkip());
}

void TAutoReader::CompleteSkippedText(TInterpreter& story) const
{
    if (SkipsCurrentText(story) && story.IsTyping())
        story.CompleteTyping();
}

bool TAutoReader::AutoPending(const TInterpreter& story) const
{
    return Auto && story.WaitState == WaitStates::Click;
}

bool TAutoReader::Answer(TInterpreter& story, uint32_t now)
{
    if (SkipsCurrentText(story)) {
        CompleteSkippedText(story);
        story.ContinueAfterClick();
        typedAt_.reset();
        return true;
    }
    // The pause counts from the end of the typing, afresh for every text.
    if (!Auto || story.WaitState != WaitStates::Click || story.IsTyping()) {
        typedAt_.reset();
        return false;
    }
    if (!typedAt_)
        typedAt_ = now;
    if (now - *typedAt_ < (AutoPause ? AutoPause() : 0))
        return false;
    story.ContinueAfterClick();
    typedAt_.reset();
    return true;
}
