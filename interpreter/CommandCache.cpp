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
    parsedInOrder_.clear();
    generation_ = parser_.Generation();
}

const TParsedCommand* TCommandCache::Find(int32_t line)
{
    DropWhenStale();
    return slots_[size_t(line)];
}

const TParsedCommand& TCommandCache::At(int32_t line)
{
    DropWhenStale();
    TParsedCommand*& slot = slots_[size_t(line)];
    if (!slot) {
        // A line that fails to split is not cached: it raises every time.
        TParsedCommand command;
        ParseCommandLine(parser_.Lines()[line], command.Data);
        command.Handler = &commands_.HandlerFor(command.Data.Name);
        command.NeedsExpansion = HoldsSpecialCharacters(command.Data.Params);
        slot = &parsedInOrder_.emplace_back(std::move(command));
    }
    return *slot;
}
