#pragma once

#include "engine/CommandHandlers.h"
#include "engine/ScriptLines.h"
#include "engine/StringUtils.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// Splits "@name p1, p2" into a TCmdData; raises when the line is no command.
void ParseCommandLine(const QString& line, TCmdData& data);
// Removes one pair of enclosing double quotes from a parameter.
QString UnquoteParam(const QString& text);
// The last part of a path written with "/" or "\\".
QString FileNameWithoutFolder(const QString& path);

// Which stretch of the flat line list came from which file, and from which
// line of it, so any line can be named "file@line".
struct TFileBlock {
    QString FileName;   // as passed to LoadScript or written in the include
    int32_t StartLine;  // 0-based line in that file of the block's first line
    int32_t LineCount;  // at least 1
};

struct TStackFrame {
    int32_t ReturnLine;
    TParams Params;
};

struct TFileBlockHit {
    const TFileBlock* Block;
    int32_t Offset;
};

using TNotification = std::function<void()>;

// Deeper call nesting than this is a runaway script, not a story.
constexpr qsizetype kMaxCallDepth = 100000;

// The loaded script as one flat list of lines, the file blocks it came from,
// the execution position and the call stack.
class TKvtParser {
public:
    // ---- file level
    void LoadScript(const QString& fileName);
    void LoadFileLines(QStringList& target, const QString& fileName) const;
    qsizetype LineCount() const { return lines_.Size(); }
    // A line as text, decoded from its file on every call.
    QString Line(qsizetype index) const { return lines_.At(index); }
    bool LineIsEmpty(qsizetype index) const { return lines_.IsEmpty(index); }
    // Tells comments, labels and commands apart without decoding the line.
    bool LineStartsWith(qsizetype index, QLatin1StringView prefix) const { return lines_.StartsWith(index, prefix); }
    // Every line decoded, for views of the whole script. Named for what it
    // costs: indexing it in a loop would decode the script once per line.
    QStringList DecodeAllLines() const { return lines_.ToStringList(); }
    const std::vector<TFileBlock>& Blocks() const { return blocks_; }
    std::optional<TFileBlockHit> FindFileBlock(qsizetype index) const;
    void ClearFileBlocks();
    QString PositionText(qsizetype index) const;
    // Changes with every load, so callers can tell when cached facts about
    // the lines have gone stale.
    uint64_t Generation() const { return generation_; }

    const QString& ScriptFolder() const { return scriptFolder_; }
    // The main script as found on disk, absolute; empty before a load.
    const QString& ScriptFile() const { return scriptFile_; }
    QString ImagesFolder() const { return scriptFolder_ + QStringLiteral("images/"); }
    QString MusicFolder() const { return scriptFolder_ + QStringLiteral("music/"); }
    QString SoundFolder() const { return scriptFolder_ + QStringLiteral("sound/"); }
    QString FontsFolder() const { return scriptFolder_ + QStringLiteral("fonts/"); }

    uint8_t ScrambleKey = 0;

    // ---- position and stack
    int32_t Position = 0;
    void NextLine();
    void BeginUpdate() { ++updateLock_; }
    void EndUpdate();
    void PushCall(int32_t targetLine, const TParams& params);
    void ReturnFromCall();
    void ReturnTo(int32_t line);
    void ClearStack();
    // A saved call stack (oldest frame first) and position put back.
    void RestoreStack(std::vector<TStackFrame> frames, int32_t position);
    void Rewind();
    QString GetCallParam(const QString& text) const;
    int32_t FindLabel(const QString& name) const;
    QString CurrentPositionText() const { return PositionText(Position); }
    // Newest frame last.
    const std::vector<TStackFrame>& Stack() const { return stack_; }

    // ---- views for the author's tools
    QStringList LabelNames() const;
    QStringList FileBlockDescriptions() const;

    TNotification OnLinesChanged;
    TNotification OnStackChanged;
    TNotification OnPositionChanged;

private:
    struct TScriptSource {
        QString Path;
        bool Scrambled;
    };
    TScriptSource LocateScriptFile(const QString& fileName) const;
    uint32_t ReadScriptSource(const TScriptSource& source);
    bool IsIncludeDirective(const TLineRef& line) const;
    void ExpandInto(const QString& fileName, uint32_t source, std::vector<TLineRef>& out, QStringList& includeChain);
    void AppendBlock(const QString& fileName, int32_t startLine, qsizetype count);
    void NotifyPosition() const;
    void NotifyStack() const;
    void RequireFrame() const;
    void RebuildBlockStarts();

    TScriptLines lines_;
    std::vector<TFileBlock> blocks_;
    std::vector<qsizetype> blockStarts_;  // first line index of each block
    QString scriptFolder_;
    QString scriptFile_;
    std::vector<TStackFrame> stack_;
    int32_t updateLock_ = 0;
    uint64_t generation_ = 0;
    // Case-folded label name -> first line; built on the first lookup.
    mutable TNameMap<int32_t> labelIndex_;
    mutable bool labelIndexBuilt_ = false;
};
