#include "interpreter/CommandCache.h"

namespace {

bool HoldsSpecialCharacters(const QStringList& params)
{
    for (const QString& param : params)
        if (param.contains(u'%') || param.contains(u'\\'))
            return true;
    return false;
}

} // namespace

void TCommandCache::DropWhenStale()
{
    if (generation_ == parser_.Generation())
        return;
    slots_.assign(size_t(parser_.LineCount()), nullptr);
    ranOnce_.assign(size_t(parser_.LineCount()), false);
    parsedInOrder_.clear();
    generation_ = parser_.Generation();
}

const TParsedCommand* TCommandCache::Find(int32_t line)
{
    DropWhenStale();
    return slots_[size_t(line)];
}

// A line that fails to split is not kept: it raises every time.
void TCommandCache::Parse(int32_t line, TParsedCommand& into) const
{
    ParseCommandLine(parser_.Line(line), into.Data);
    into.Handler = &commands_.HandlerFor(into.Data.Name);
    into.NeedsExpansion = HoldsSpecialCharacters(into.Data.Params);
}

const TParsedCommand& TCommandCache::At(int32_t line)
{
    DropWhenStale();
    TParsedCommand*& slot = slots_[size_t(line)];
    if (slot)
        return *slot;
    if (!ranOnce_[size_t(line)]) {
        Parse(line, firstRun_);
        ranOnce_[size_t(line)] = true;
        return firstRun_;
    }
    TParsedCommand command;
    Parse(line, command);
    slot = &parsedInOrder_.emplace_back(std::move(command));
    return *slot;
}
