#include "engine/KvtEngine.h"

#include "engine/Exceptions.h"
#include "engine/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

// ---------------------------------------------------------------- commands

namespace {

// Overwrites the target with the text. A record parsed line after line keeps
// its strings' buffers, so a line whose parts fit in them allocates nothing;
// fresh strings for the name and every parameter were most of the cost of
// running a simple command.
void AssignReusing(QString& target, QStringView text)
{
    if (text.isEmpty()) {
        target = text.toString();  // empty, not null, as a copy would be
        return;
    }
    target.resize(text.size());  // detaches a buffer some handler still shares
    std::copy(text.begin(), text.end(), target.data());
}

// The parameters of a record being refilled: slots left from the previous
// line are overwritten, and those it does not need are dropped at the end.
class TParamWriter {
public:
    explicit TParamWriter(QStringList& params) : params_(params) {}
    ~TParamWriter() { params_.resize(count_); }

    void Put(QStringView text)
    {
        // One pair of enclosing double quotes is removed.
        if (text.size() > 1 && text.front() == u'"' && text.back() == u'"')
            text = text.sliced(1, text.size() - 2);
        if (count_ < params_.size())
            AssignReusing(params_[count_], text);
        else
            params_.append(text.toString());
        ++count_;
    }
    void PutNull()
    {
        if (count_ < params_.size())
            params_[count_] = QString();
        else
            params_.append(QString());
        ++count_;
    }

private:
    QStringList& params_;
    qsizetype count_ = 0;
};

// The one state machine of command-line splitting: quotes protect commas and
// blanks, blanks at either end of a parameter vanish, blanks inside stay.
// So a parameter is always one stretch of the line, from its first to its
// last character that is neither an unquoted blank nor an unquoted comma;
// it is copied when it ends instead of growing character by character.
void SplitParams(QStringView text, QStringList& params)
{
    TParamWriter out(params);
    qsizetype first = -1;
    qsizetype last = -1;
    bool inQuotes = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!inQuotes && c == u' ')
            continue;
        if (!inQuotes && c == u',') {
            if (first >= 0)
                out.Put(text.sliced(first, last - first + 1));
            else
                out.PutNull();  // a comma with nothing before it
            first = -1;
            continue;
        }
        if (c == u'"')
            inQuotes = !inQuotes;
        if (first < 0)
            first = i;
        last = i;
    }
    if (first >= 0)
        out.Put(text.sliced(first, last - first + 1));
}

QString WithScrambledExtension(const QString& fileName)
{
    const QString normal = NormalizeSeparators(fileName);
    const qsizetype slash = normal.lastIndexOf(u'/');
    const qsizetype dot = normal.lastIndexOf(u'.');
    const QString base = (dot > slash) ? normal.left(dot) : normal;
    return base + QStringLiteral(".kvs");
}

QString CannotOpen(const QString& fileName)
{
    return QStringLiteral("Cannot open file \"") + fileName + QStringLiteral("\".");
}

} // namespace

QString FileNameWithoutFolder(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}

void ParseCommandLine(const QString& line, TCmdData& data)
{
    if (line.isEmpty() || line[0] != u'@') {
        data.Name.clear();
        data.Params.clear();
        throw Exception(QStringLiteral("\"%1\" - not a command, missing \"@\" symbol").arg(line));
    }

    qsizetype blank = line.indexOf(u' ', 1);
    if (blank < 0)
        blank = line.size();
    if (blank > 1)
        AssignReusing(data.Name, QStringView(line).sliced(1, blank - 1));
    else
        data.Name = line.mid(1, 0);

    SplitParams(QStringView(line).sliced(blank), data.Params);
}

QString UnquoteParam(const QString& text)
{
    if (text.size() > 1 && text.front() == u'"' && text.back() == u'"')
        return text.mid(1, text.size() - 2);
    return text;
}

// ---------------------------------------------------------------- loading

void TKvtParser::LoadScript(const QString& fileName)
{
    ClearStack();
    ClearFileBlocks();
    lines_.Clear();
    ++generation_;
    labelIndex_.clear();
    labelIndexBuilt_ = false;
    try {
        const TScriptSource source = LocateScriptFile(fileName);
        const uint32_t mainText = ReadScriptSource(source);
        const QFileInfo mainFile(source.Path);
        scriptFile_ = mainFile.absoluteFilePath();
        scriptFolder_ = mainFile.absoluteDir().absolutePath();
        if (!scriptFolder_.endsWith(u'/'))
            scriptFolder_ += u'/';
        // Relative include and asset names are taken from the script's folder.
        QDir::setCurrent(scriptFolder_);

        QStringList chain{mainFile.canonicalFilePath()};
        std::vector<TLineRef> lines;
        ExpandInto(fileName, mainText, lines, chain);
        lines_.Assign(std::move(lines));
        RebuildBlockStarts();
    } catch (...) {
        // Never leave a half-expanded script behind.
        lines_.Clear();
        ClearFileBlocks();
        if (OnLinesChanged)
            OnLinesChanged();
        NotifyStack();
        throw;
    }
    if (OnLinesChanged)
        OnLinesChanged();
    NotifyStack();
}

void TKvtParser::LoadFileLines(QStringList& target, const QString& fileName) const
{
    const TScriptSource source = LocateScriptFile(fileName);
    TScriptLines file;
    file.Assign(file.SplitSource(file.AddSource(ReadTextBytes(source.Path, source.Scrambled ? ScrambleKey : 0))));
    target = file.ToStringList();
}

// A ".kvt" name is read as plain text when it exists; every other name, and a
// missing ".kvt" file, is read from the scrambled ".kvs" file of that name.
TKvtParser::TScriptSource TKvtParser::LocateScriptFile(const QString& fileName) const
{
    const QString normal = NormalizeSeparators(fileName);
    if (QFileInfo(normal).suffix().compare(u"kvt", Qt::CaseInsensitive) == 0) {
        const QString plain = ResolvePathIgnoringCase(normal);
        if (QFileInfo(plain).isFile())
            return {plain, false};
    }
    const QString scrambled = ResolvePathIgnoringCase(WithScrambledExtension(normal));
    if (!QFileInfo(scrambled).isFile())
        throw Exception(CannotOpen(fileName));
    return {scrambled, true};
}

uint32_t TKvtParser::ReadScriptSource(const TScriptSource& source)
{
    return lines_.AddSource(ReadTextBytes(source.Path, source.Scrambled ? ScrambleKey : 0));
}

// The same test ParseCommandLine plus a name comparison would make, without
// decoding every line of a large script. No character outside ASCII folds
// to a letter of "include", so comparing ASCII letters is the whole test.
bool TKvtParser::IsIncludeDirective(const TLineRef& line) const
{
    constexpr qsizetype nameEnd = 8;  // "@include"
    return lines_.StartsWith(line, QLatin1StringView("@include"), true)
           && (line.Length == nameEnd || lines_.UnitAt(line, nameEnd) == u' ');
}

// Emits the file's lines into `out`, replacing every include directive by the
// expanded lines of the named file. Each run of lines between directives
// becomes one block, so every line keeps its true number in its file.
void TKvtParser::ExpandInto(const QString& fileName, uint32_t source, std::vector<TLineRef>& out,
                            QStringList& includeChain)
{
    std::vector<TLineRef> fileLines = lines_.SplitSource(source);
    qsizetype runStart = 0;
    auto flushRun = [&](qsizetype end) {
        if (end <= runStart)
            return;
        // A script without includes keeps the records it was split into: a
        // copy would hold a second array of every line during the load.
        if (out.empty() && runStart == 0 && end == qsizetype(fileLines.size()))
            out = std::move(fileLines);
        else
            out.insert(out.end(), fileLines.begin() + runStart, fileLines.begin() + end);
        AppendBlock(fileName, int32_t(runStart), end - runStart);
    };
    const qsizetype count = qsizetype(fileLines.size());
    for (qsizetype i = 0; i < count; ++i) {
        if (!IsIncludeDirective(fileLines[size_t(i)]))
            continue;
        flushRun(i);
        runStart = i + 1;

        TCmdData directive;
        ParseCommandLine(lines_.Text(fileLines[size_t(i)]), directive);
        if (directive.Params.isEmpty())
            throw Exception(QStringLiteral("Invalid include directive - no file specified."));
        const QString included = directive.Params[0];
        const TScriptSource found = LocateScriptFile(included);
        const QString identity = QFileInfo(found.Path).canonicalFilePath();
        if (includeChain.contains(identity))
            throw Exception(QStringLiteral("Recursive include of file \"") + included
                            + QStringLiteral("\": the file includes itself."));
        const uint32_t includedText = ReadScriptSource(found);
        includeChain.append(identity);
        ExpandInto(included, includedText, out, includeChain);
        includeChain.removeLast();
    }
    flushRun(count);
}

void TKvtParser::AppendBlock(const QString& fileName, int32_t startLine, qsizetype count)
{
    blocks_.push_back({fileName, startLine, int32_t(count)});
}

void TKvtParser::RebuildBlockStarts()
{
    blockStarts_.clear();
    blockStarts_.reserve(blocks_.size());
    qsizetype start = 0;
    for (const TFileBlock& block : blocks_) {
        blockStarts_.push_back(start);
        start += block.LineCount;
    }
}

void TKvtParser::ClearFileBlocks()
{
    blocks_.clear();
    blockStarts_.clear();
}

std::optional<TFileBlockHit> TKvtParser::FindFileBlock(qsizetype index) const
{
    if (index < 0 || blocks_.empty())
        return std::nullopt;
    auto it = std::upper_bound(blockStarts_.begin(), blockStarts_.end(), index);
    const size_t b = size_t(it - blockStarts_.begin()) - 1;
    const qsizetype offset = index - blockStarts_[b];
    if (offset >= blocks_[b].LineCount)
        return std::nullopt;
    return TFileBlockHit{&blocks_[b], int32_t(offset)};
}

QString TKvtParser::PositionText(qsizetype index) const
{
    if (index > LineCount())
        return QStringLiteral("end");
    if (auto hit = FindFileBlock(index))
        return FileNameWithoutFolder(hit->Block->FileName) + u'@'
               + QString::number(qint64(hit->Block->StartLine) + hit->Offset);
    return QStringLiteral("abs#") + QString::number(index);
}

QStringList TKvtParser::LabelNames() const
{
    QStringList names;
    for (qsizetype i = 0; i < LineCount(); ++i)
        if (LineStartsWith(i, QLatin1StringView("#")))
            names.append(Line(i).mid(1));
    return names;
}

QStringList TKvtParser::FileBlockDescriptions() const
{
    QStringList entries;
    for (size_t b = 0; b < blocks_.size(); ++b) {
        const TFileBlock& block = blocks_[b];
        // One multi-argument arg: chained ones would replace a "%3" inside
        // the file name.
        entries.append(QStringLiteral("%1. %2: %3-%4")
                           .arg(QString::number(blockStarts_[b]), FileNameWithoutFolder(block.FileName),
                                QString::number(block.StartLine),
                                QString::number(qint64(block.StartLine) + block.LineCount - 1)));
    }
    return entries;
}

// ---------------------------------------------------------------- position

void TKvtParser::NotifyPosition() const
{
    if (OnPositionChanged && updateLock_ <= 0)
        OnPositionChanged();
}

void TKvtParser::NotifyStack() const
{
    if (OnStackChanged)
        OnStackChanged();
}

void TKvtParser::NextLine()
{
    ++Position;
    NotifyPosition();
}

void TKvtParser::EndUpdate()
{
    --updateLock_;
    if (updateLock_ == 0)
        NotifyPosition();
}

void TKvtParser::PushCall(int32_t targetLine, const TParams& params)
{
    if (qsizetype(stack_.size()) >= kMaxCallDepth)
        throw Exception(QStringLiteral("Call stack overflow."));
    stack_.push_back({Position, params});
    NotifyStack();
    Position = targetLine;
}

void TKvtParser::RequireFrame() const
{
    if (stack_.empty())
        throw Exception(QStringLiteral("At the top stack level, nowhere to return."));
}

void TKvtParser::ReturnFromCall()
{
    RequireFrame();
    Position = stack_.back().ReturnLine;
    stack_.pop_back();
    NotifyStack();
}

void TKvtParser::ReturnTo(int32_t line)
{
    RequireFrame();
    Position = line;
    stack_.pop_back();
    NotifyStack();
}

void TKvtParser::ClearStack()
{
    stack_.clear();
    Position = 0;
    NotifyStack();
}

void TKvtParser::RestoreStack(std::vector<TStackFrame> frames, int32_t position)
{
    stack_ = std::move(frames);
    Position = position;
    NotifyStack();
}

void TKvtParser::Rewind()
{
    ClearStack();
    Position = 0;
}

QString TKvtParser::GetCallParam(const QString& text) const
{
    bool ok = false;
    const qlonglong n = text.trimmed().toLongLong(&ok);
    if (!ok || n < 1 || stack_.empty() || n > stack_.back().Params.size())
        return {};
    return stack_.back().Params[qsizetype(n - 1)];
}

int32_t TKvtParser::FindLabel(const QString& name) const
{
    if (!labelIndexBuilt_) {
        for (qsizetype i = 0; i < LineCount(); ++i) {
            if (!LineStartsWith(i, QLatin1StringView("#")))
                continue;
            const QString line = Line(i);
            const TFoldedKey key(QStringView(line).sliced(1));
            if (labelIndex_.find(key.Key()) == labelIndex_.end())  // the first of equal labels wins
                labelIndex_.emplace(key.Key().toString(), int32_t(i));
        }
        labelIndexBuilt_ = true;
    }
    const TFoldedKey key(name);
    const auto found = labelIndex_.find(key.Key());
    return found == labelIndex_.end() ? -1 : found->second;
}
