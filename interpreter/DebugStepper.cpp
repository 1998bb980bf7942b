#include "interpreter/DebugStepper.h"

#include "engine/KvtEngine.h"

#include <cstdlib>
#include <utility>

bool TDebugStepper::ToggleBreakpoint(int32_t line)
{
    if (line < 0 || line >= parser_.LineCount())
        return false;
    if (breakpoints_.erase(line) != 0)
        return false;
    const std::optional<TFileBlockHit> hit = parser_.FindFileBlock(line);
    TBreakpoint breakpoint{hit ? hit->Block->FileName : QString(),
                           hit ? hit->Block->StartLine + hit->Offset : line, parser_.Line(line)};
    breakpoints_.emplace(line, std::move(breakpoint));
    return true;
}

QString TDebugStepper::Where(const TBreakpoint& breakpoint) const
{
    return FileNameWithoutFolder(breakpoint.FileName) + u'@' + QString::number(breakpoint.FileLine);
}

// The flat index of a line of a file, or -1 when no block holds it.
int32_t TDebugStepper::FindFileLine(const QString& fileName, int32_t fileLine) const
{
    int32_t start = 0;
    for (const TFileBlock& block : parser_.Blocks()) {
        if (block.FileName == fileName && fileLine >= block.StartLine && fileLine < block.StartLine + block.LineCount)
            return start + fileLine - block.StartLine;
        start += block.LineCount;
    }
    return -1;
}

// The same place when it still holds the same text; otherwise the nearest
// line of the same file with that text, so a breakpoint stays on its line
// when lines were added or removed above it.
int32_t TDebugStepper::FollowLine(const TBreakpoint& breakpoint) const
{
    const int32_t same = FindFileLine(breakpoint.FileName, breakpoint.FileLine);
    if (same >= 0 && parser_.Line(same) == breakpoint.Text)
        return same;
    int32_t best = -1;
    int32_t bestDistance = 0;
    int32_t start = 0;
    for (const TFileBlock& block : parser_.Blocks()) {
        for (int32_t i = 0; block.FileName == breakpoint.FileName && i < block.LineCount; ++i) {
            const int32_t distance = std::abs(block.StartLine + i - breakpoint.FileLine);
            if ((best < 0 || distance < bestDistance) && parser_.Line(start + i) == breakpoint.Text) {
                best = start + i;
                bestDistance = distance;
            }
        }
        start += block.LineCount;
    }
    return best;
}

void TDebugStepper::ScriptReloaded()
{
    std::map<int32_t, TBreakpoint> followed;
    for (auto& [line, breakpoint] : breakpoints_) {
        const int32_t now = FollowLine(breakpoint);
        if (now < 0 || followed.count(now) != 0) {
            log_(QStringLiteral("Breakpoint at %1 dropped: the line no longer exists.").arg(Where(breakpoint)));
            continue;
        }
        const std::optional<TFileBlockHit> hit = parser_.FindFileBlock(now);
        breakpoint.FileLine = hit ? hit->Block->StartLine + hit->Offset : now;
        followed.emplace(now, std::move(breakpoint));
    }
    breakpoints_ = std::move(followed);
    Reset();
}

// ---------------------------------------------------------------- going on

void TDebugStepper::Continue()
{
    Resume(TMode::Run);
}

void TDebugStepper::Step()
{
    Resume(TMode::Over);
}

void TDebugStepper::StepInto()
{
    Resume(TMode::Into);
}

void TDebugStepper::StepOut()
{
    Resume(TMode::Out);
}

void TDebugStepper::Resume(TMode mode)
{
    mode_ = mode;
    depth_ = Depth();
    // Only a stop has a line to pass; a step asked for while the story waits
    // for the reader stops at the first line after the wait.
    skipNext_ = paused_;
    SetPaused(false);
}

void TDebugStepper::Reset()
{
    mode_ = TMode::Run;
    skipNext_ = false;
    SetPaused(false);
}

void TDebugStepper::SetPaused(bool paused)
{
    if (paused_ == paused)
        return;
    paused_ = paused;
    if (OnPausedChanged)
        OnPausedChanged();
}

int32_t TDebugStepper::Depth() const
{
    return int32_t(parser_.Stack().size());
}

// ---------------------------------------------------------------- stopping

bool TDebugStepper::StopsBefore(int32_t line)
{
    if (std::exchange(skipNext_, false))
        return false;
    const auto breakpoint = breakpoints_.find(line);
    if (breakpoint != breakpoints_.end()) {
        log_(QStringLiteral("Breakpoint at %1.").arg(parser_.PositionText(line)));
    } else if (!StopsForStep() || parser_.LineIsEmpty(line) || parser_.LineStartsWith(line, QLatin1StringView("//"))
               || parser_.LineStartsWith(line, QLatin1StringView("#"))) {
        return false;  // a step passes over what does nothing
    }
    mode_ = TMode::Run;
    SetPaused(true);
    return true;
}

bool TDebugStepper::StopsForStep() const
{
    switch (mode_) {
    case TMode::Into: return true;
    case TMode::Over: return Depth() <= depth_;
    case TMode::Out: return Depth() < depth_;
    case TMode::Run: break;
    }
    return false;
}
