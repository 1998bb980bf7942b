#include "engine/CommandHandlers.h"

#include "engine/Exceptions.h"
#include "engine/FileSystem.h"

#include <QCoreApplication>
#include <QDir>

namespace {

QString IllegalPrefix(const TCmdData& cmd)
{
    return QStringLiteral("Illegal \"") + cmd.Name + QStringLiteral("\". ");
}

QString ParamAt(const TCmdData& cmd, qsizetype i)
{
    return (i >= 0 && i < cmd.Params.size()) ? cmd.Params[i] : QString();
}

} // namespace

void TCommandManager::RegisterCommand(const QString& name, TCommandHandler handler)
{
    // A later duplicate is kept in the list but never found, as in a scan
    // that stops at the first match.
    firstByFoldedName_.try_emplace(name.toCaseFolded(), qsizetype(entries_.size()));
    entries_.push_back({name, std::move(handler)});
}

void TCommandManager::SetDefaultHandler(TCommandHandler handler)
{
    defaultHandler_ = std::move(handler);
}

bool TCommandManager::IsRegistered(const QString& name) const
{
    const TFoldedKey key(name);
    return firstByFoldedName_.find(key.Key()) != firstByFoldedName_.end();
}

const TCommandHandler& TCommandManager::HandlerFor(const QString& name) const
{
    const TFoldedKey key(name);
    const auto found = firstByFoldedName_.find(key.Key());
    if (found != firstByFoldedName_.end())
        return entries_[size_t(found->second)].Handler;
    return defaultHandler_;
}

CommandResult TCommandManager::Dispatch(const TCmdData& data) const
{
    const TCommandHandler& handler = HandlerFor(data.Name);
    return handler ? handler(data) : WaitStates::Run;
}

void RequireParam(const TCmdData& cmd, const QString& what)
{
    if (cmd.Params.isEmpty())
        throw Exception(IllegalPrefix(cmd) + QStringLiteral("No ") + what + QStringLiteral(" specified."));
}

void RequireTwoParams(const TCmdData& cmd, const QString& what1, const QString& what2)
{
    RequireParam(cmd, what1);
    if (cmd.Params.size() < 2)
        throw Exception(IllegalPrefix(cmd) + QStringLiteral("No ") + what2 + QStringLiteral(" specified."));
}

void RequireParamCount(const TCmdData& cmd, qsizetype count)
{
    if (cmd.Params.size() < count)
        throw Exception(IllegalPrefix(cmd) + QStringLiteral("Not enough params."));
}

void RaiseTooManyParams(const TCmdData& cmd)
{
    throw Exception(IllegalPrefix(cmd) + QStringLiteral("Too many params."));
}

void RaiseInvalidCommand(const TCmdData& cmd, const QString& text)
{
    throw Exception(QStringLiteral("Invalid \"") + cmd.Name + QStringLiteral("\". ") + text);
}

void RaiseInvalidValue(const TCmdData& cmd, const QString& what, const QString& value)
{
    throw Exception(QStringLiteral("Invalid ") + what + QStringLiteral(" in \"") + cmd.Name
                    + QStringLiteral("\": ") + value + QStringLiteral("."));
}

void RaiseInvalidParam(const TCmdData& cmd, const QString& what, qsizetype i)
{
    RaiseInvalidValue(cmd, what, ParamAt(cmd, i));
}

void RaiseInvalidParamPair(const TCmdData& cmd, const QString& what, qsizetype i, qsizetype j)
{
    RaiseInvalidValue(cmd, what, ParamAt(cmd, i) + QStringLiteral(", ") + ParamAt(cmd, j));
}

void RaiseInvalidParamQuad(const TCmdData& cmd, const QString& what,
                           qsizetype i, qsizetype j, qsizetype k, qsizetype l)
{
    const QStringList values{ParamAt(cmd, i), ParamAt(cmd, j), ParamAt(cmd, k), ParamAt(cmd, l)};
    RaiseInvalidValue(cmd, what, values.join(QStringLiteral(", ")));
}

QString UnknownCommandText(const TCmdData& cmd)
{
    return QStringLiteral("Unrecognized command: ") + cmd.Name + QLatin1Char(' ')
           + cmd.Params.join(QStringLiteral(", "));
}

QString GetModulePath()
{
    const QString path = QCoreApplication::applicationFilePath();
    if (path.isEmpty())
        throw EOSError(QStringLiteral("Cannot determine the program's file name."));
    return path;
}

bool IsDrivePath(const QString& path)
{
    return path.size() >= 2 && path[0].unicode() < 128 && path[0].isLetter() && path[1] == u':';
}

bool IsUncPath(const QString& path)
{
    return path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\';
}

bool IsAbsolutePath(const QString& path)
{
    return IsDrivePath(path) || IsUncPath(path) || path.startsWith(u'/');
}

QString GetSpecialFolderPath()
{
    const QString folder = UserDataFolder();
    if (folder.isEmpty() || !QDir().mkpath(folder))
        throw Exception(QStringLiteral("Cannot obtain special folder path."));
    return folder;
}
