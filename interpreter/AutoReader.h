#pragma once

#include <cstdint>
#include <functional>
#include <optional>

class TInterpreter;

// Answers the story's click waits in the reader's place: skipping shows each
// text whole and goes on at once, auto-forward goes on once the text is
// typed out and a pause has passed. Menus and buttons always wait for the
// reader. Headless "--skip" and "--auto" use it, and so do the window's
// "Skip" and "Auto".
class TAutoReader {
public:
    bool Skip = false;
    bool Auto = false;
    // Which texts skipping may pass (the window's: those read before); all
    // when unset. A text it may not pass waits, or goes to auto-forward.
    std::function<bool()> MaySkip;
    // Auto-forward's pause after the typing ends; none when unset.
    std::function<uint32_t()> AutoPause;

    // Returns whether it answered the wait.
    bool Answer(TInterpreter& story, uint32_t now);
    // Whether a click wait is auto-forward's to answer, later: the caller
    // keeps its own input back meanwhile.
    bool AutoPending(const TInterpreter& story) const;
    // With skipping on, the text that waits for its click is drawn whole in
    // the frame before it is answered, not as its first letters.
    void CompleteSkippedText(TInterpreter& story) const;

private:
    bool SkipsCurrentText(const TInterpreter& story) const;

    std::optional<uint32_t> typedAt_;  // when the waiting text was seen typed out
};
