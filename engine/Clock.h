#pragma once

#include <cstdint>
#include <chrono>

// The one source of time for the interpreter and the layers. Tests and
// headless runs use the virtual clock, so a long "wait" costs no real time.
class TClock {
public:
    virtual ~TClock() = default;
    // Milliseconds since an arbitrary start; wraps like a 32-bit tick counter.
    virtual uint32_t TickCount() const = 0;
    // Lets `ms` milliseconds pass: the real clock sleeps, the virtual one
    // just moves on.
    virtual void Pause(uint32_t ms) = 0;
    virtual bool IsVirtual() const = 0;
};

class TRealClock final : public TClock {
public:
    TRealClock();
    uint32_t TickCount() const override;
    void Pause(uint32_t ms) override;
    bool IsVirtual() const override { return false; }

private:
    std::chrono::steady_clock::time_point start_;
};

class TVirtualClock final : public TClock {
public:
    // Starts at 1: a tick count of 0 means "no frame yet" to the driver.
    explicit TVirtualClock(uint32_t start = 1) : now_(start) {}
    uint32_t TickCount() const override { return now_; }
    void Pause(uint32_t ms) override { Advance(ms); }
    bool IsVirtual() const override { return true; }
    void Advance(uint32_t ms) { now_ += ms; }

private:
    uint32_t now_;
};
