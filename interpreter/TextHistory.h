#pragma once

#include "render/HistoryOverlay.h"

#include <vector>

// The last texts the reader was shown, oldest first; the oldest make room
// for new ones once the ring is full.
class TTextHistory {
public:
    static constexpr int DefaultCapacity = 200;

    explicit TTextHistory(int capacity = DefaultCapacity);

    void Add(THistoryEntry entry);
    void Clear();
    int Count() const { return int(ring_.size()); }
    int Capacity() const { return capacity_; }
    // 0 is the oldest entry kept.
    const THistoryEntry& At(int index) const;
    std::vector<THistoryEntry> Entries() const;

private:
    int capacity_;
    std::vector<THistoryEntry> ring_;
    size_t oldest_ = 0;  // where the oldest entry sits once the ring is full
};
