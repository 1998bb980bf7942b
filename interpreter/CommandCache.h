#pragma once

#include "engine/CommandHandlers.h"
#include "engine/KvtEngine.h"

#include <cstdint>
#include <deque>
#include <vector>

// A command line split and its handler looked up. The lines of a script
// never change between loads, so a loop that runs the same lines a million
// times splits each of them only once.
struct TParsedCommand {
    TCmdData Data;
    const TCommandHandler* Handler = nullptr;
    // Some parameter holds "%" or "\" and must be expanded on every run.
    bool NeedsExpansion = false;
};

class TCommandCache {
public:
    TCommandCache(const TKvtParser& parser, const TCommandManager& commands)
        : parser_(parser), commands_(commands) {}

    // The command at a line already kept, or null; lets the step loop go
    // straight to it without looking at the line's text again.
    const TParsedCommand* Find(int32_t line);
    // The parsed command at a line that starts with "@". A line is kept
    // from its second run on; the first time the reference is only valid
    // until the next call.
    const TParsedCommand& At(int32_t line);

private:
    void DropWhenStale();
    void Parse(int32_t line, TParsedCommand& into) const;

    const TKvtParser& parser_;
    const TCommandManager& commands_;
    // One pointer per line, filled only for the lines that ran twice: a
    // story read once from start to end, as a skip through it does, would
    // otherwise keep every command it ever ran.
    std::vector<TParsedCommand*> slots_;
    std::vector<bool> ranOnce_;
    // Split in place line after line, so its strings' buffers are reused.
    TParsedCommand firstRun_;
    // The commands in the order they were kept: a loop over a long stretch
    // of script then walks memory in order instead of jumping about.
    std::deque<TParsedCommand> parsedInOrder_;
    uint64_t generation_ = UINT64_MAX;
};
