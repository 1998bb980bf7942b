#pragma once

#include "engine/CommandHandlers.h"
#include "engine/KvtEngine.h"

#include <cstdint>
#include <memory>
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

    // The parsed command at a line that starts with "@". The reference is
    // valid until the next load of a script.
    const TParsedCommand& At(int32_t line);

private:
    const TKvtParser& parser_;
    const TCommandManager& commands_;
    // One pointer per line, filled only for the lines that run, so a large
    // script costs little before its commands execute.
    std::vector<std::unique_ptr<TParsedCommand>> slots_;
    uint64_t generation_ = UINT64_MAX;
};
