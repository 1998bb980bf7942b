#pragma once

#include "engine/CommandHandlers.h"
#include "engine/KvtEngine.h"

#include <cstdint>
#include <deque>
#include <vector>

// A command line split once and its handler looked up once. The lines of a
// script never change between loads, so a loop that runs the same lines a
// million times splits each of them only the first time.
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

    // The command at a line already split, or null; lets the step loop go
    // straight to it without looking at the line's text again.
    const TParsedCommand* Find(int32_t line);
    // The parsed command at a line that starts with "@". The reference is
    // valid until the next load of a script.
    const TParsedCommand& At(int32_t line);

private:
    void DropWhenStale();

    const TKvtParser& parser_;
    const TCommandManager& commands_;
    // One pointer per line, filled only for the lines that run, so a large
    // script costs little before its commands execute.
    std::vector<TParsedCommand*> slots_;
    // The commands in the order they first ran: a loop over a long stretch
    // of script then walks memory in order instead of jumping about.
    std::deque<TParsedCommand> parsedInOrder_;
    uint64_t generation_ = UINT64_MAX;
};
