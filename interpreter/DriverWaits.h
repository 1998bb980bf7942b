#pragma once

#include <cstdint>

// The part of the driver a handler group may set: the blocking wait that
// follows its command. The driver implements it; the group sees no more.
class TDriverWaits {
public:
    // After a "sound": wait up to `ms` for the effect to end, then stop the
    // effect when `stopSoundAfterWait` is set.
    virtual void SetSoundWait(uint32_t ms, bool stopSoundAfterWait) = 0;

protected:
    ~TDriverWaits() = default;
};
