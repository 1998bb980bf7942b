#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <map>

class TKvtParser;

// Breakpoints and stepping for the author's workbench. The driver asks
// before every line whether to stop there; while stopped it runs nothing,
// and the window keeps drawing frames and reading the state.
//
// Breakpoints are kept by line of the flat script and by file and line in
// that file, so they can follow their lines when the script is loaded again.
class TDebugStepper {
public:
    using TLog = std::function<void(const QString&)>;
    TDebugStepper(const TKvtParser& parser, TLog log) : parser_(parser), log_(std::move(log)) {}

    // ---- breakpoints, by index into the flat line list
    // Returns whether the line has a breakpoint afterwards; lines outside
    // the script are refused.
    bool ToggleBreakpoint(int32_t line);
    bool HasBreakpoint(int32_t line) const { return breakpoints_.count(line) != 0; }
    int BreakpointCount() const { return int(breakpoints_.size()); }
    // After a load: every breakpoint moves to its line's new place, and one
    // whose line is gone is dropped and logged.
    void ScriptReloaded();

    // ---- stopping and going on
    bool Paused() const { return paused_; }
    void Continue();
    // Runs the current line, then stops; a call runs to its return first.
    void Step();
    // Runs the current line, then stops at the next line, inside a call too.
    void StepInto();
    // Runs until the current call has returned.
    void StepOut();
    // Forgets a stop and any step under way, as a restart does.
    void Reset();

    // Fast path of the driver's step loop: false while no check can stop.
    bool Armed() const { return !breakpoints_.empty() || mode_ != TMode::Run || skipNext_; }
    // Called before the line at `line` runs. Pauses and returns true when
    // the driver must not run it; logs a stop at a breakpoint.
    bool StopsBefore(int32_t line);

    // The stop began or ended.
    std::function<void()> OnPausedChanged;

private:
    enum class TMode { Run, Over, Into, Out };
    struct TBreakpoint {
        QString FileName;
        int32_t FileLine;
        QString Text;
    };

    void Resume(TMode mode);
    void SetPaused(bool paused);
    int32_t Depth() const;
    bool StopsForStep() const;
    int32_t FindFileLine(const QString& fileName, int32_t fileLine) const;
    int32_t FollowLine(const TBreakpoint& breakpoint) const;
    QString Where(const TBreakpoint& breakpoint) const;

    const TKvtParser& parser_;
    TLog log_;
    std::map<int32_t, TBreakpoint> breakpoints_;
    TMode mode_ = TMode::Run;
    int32_t depth_ = 0;  // the call depth the step began at
    bool paused_ = false;
    // The line stopped at runs when the author goes on, breakpoint or not.
    bool skipNext_ = false;
};
