#include "engine/Clock.h"

#include <thread>

TRealClock::TRealClock() : start_(std::chrono::steady_clock::now()) {}

uint32_t TRealClock::TickCount() const
{
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start_);
    // Offset by one so the first reading is never the "no frame yet" value.
    return static_cast<uint32_t>(elapsed.count()) + 1u;
}

void TRealClock::Pause(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
