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

const TParsedCommand& TCommandCache::At(int32_t line)
{
    if (generation_ != parser_.Generation()) {
        slots_.clear();
        slots_.resize(size_t(parser_.LineCount()));
        generation_ = parser_.Generation();
    }
    std::unique_ptr<TParsedCommand>& slot = slots_[size_t(line)];
    if (!slot) {
        // A line that fails to split is not cached: it raises every time.
        auto command = std::make_unique<TParsedCommand>();
        ParseCommandLine(parser_.Lines()[line], command->Data);
        command->Handler = &commands_.HandlerFor(command->Data.Name);
        command->NeedsExpansion = HoldsSpecialCharacters(command->Data.Params);
        slot = std::move(command);
    }
    return *slot;
}
