#include "interpreter/TextHistory.h"

#include <algorithm>

TTextHistory::TTextHistory(int capacity) : capacity_(std::max(capacity, 1))
{
    ring_.reserve(size_t(capacity_));
}

void TTextHistory::Add(THistoryEntry entry)
{
    if (int(ring_.size()) < capacity_) {
        ring_.push_back(std::move(entry));
        return;
    }
    ring_[oldest_] = std::move(entry);
    oldest_ = (oldest_ + 1) % ring_.size();
}

void TTextHistory::Clear()
{
    ring_.clear();
    oldest_ = 0;
}

const THistoryEntry& TTextHistory::At(int index) const
{
    return ring_[(oldest_ + size_t(index)) % ring_.size()];
}

std::vector<THistoryEntry> TTextHistory::Entries() const
{
    std::vector<THistoryEntry> entries;
    entries.reserve(ring_.size());
    for (int i = 0; i < Count(); ++i)
        entries.push_back(At(i));
    return entries;
}
