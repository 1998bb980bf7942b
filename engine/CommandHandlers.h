#pragma once

#include "engine/StringUtils.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

using TStringArray = QStringList;
using TParams = QStringList;

// A parsed command line: the name as written (letter case kept) and the
// parameters in order, possibly empty.
struct TCmdData {
    QString Name;
    TStringArray Params;
};

// What a handler asks the driver to do next; stored as its wait state.
using CommandResult = int;
namespace WaitStates {
constexpr CommandResult Run = 0;
constexpr CommandResult Click = 1;
constexpr CommandResult Choice = 2;
constexpr CommandResult Interval = 3;
constexpr CommandResult SoundEnd = 4;
constexpr CommandResult Exit = 5;
constexpr CommandResult Button = 6;
} // namespace WaitStates

using TCommandHandler = std::function<CommandResult(const TCmdData&)>;

struct THandlerReg {
    QString Name;
    TCommandHandler Handler;
};

// Maps command names to handlers. The first registration of a name (letter
// case ignored) wins, exactly as a scan from the first entry would find it;
// an index keeps that answer without scanning on every line.
class TCommandManager {
public:
    void RegisterCommand(const QString& name, TCommandHandler handler);
    void SetDefaultHandler(TCommandHandler handler);
    CommandResult Dispatch(const TCmdData& data) const;
    // The handler Dispatch would run for the name (the default one when no
    // name matches); stays valid as long as the manager lives.
    const TCommandHandler& HandlerFor(const QString& name) const;

    const std::vector<THandlerReg>& Registrations() const { return entries_; }
    // True when a handler (not the default one) is registered under the name.
    bool IsRegistered(const QString& name) const;

private:
    std::vector<THandlerReg> entries_;
    TNameMap<qsizetype> firstByFoldedName_;
    TCommandHandler defaultHandler_;
};

// Parameter checks. Every "Illegal ..." and "Invalid ..." message a handler
// raises is built here, so the wording is the same everywhere.
void RequireParam(const TCmdData& cmd, const QString& what);
void RequireTwoParams(const TCmdData& cmd, const QString& what1, const QString& what2);
void RequireParamCount(const TCmdData& cmd, qsizetype count);
[[noreturn]] void RaiseTooManyParams(const TCmdData& cmd);
[[noreturn]] void RaiseInvalidCommand(const TCmdData& cmd, const QString& text);
[[noreturn]] void RaiseInvalidValue(const TCmdData& cmd, const QString& what, const QString& value);
[[noreturn]] void RaiseInvalidParam(const TCmdData& cmd, const QString& what, qsizetype i);
[[noreturn]] void RaiseInvalidParamPair(const TCmdData& cmd, const QString& what, qsizetype i, qsizetype j);
[[noreturn]] void RaiseInvalidParamQuad(const TCmdData& cmd, const QString& what,
                                        qsizetype i, qsizetype j, qsizetype k, qsizetype l);

// Text the default handler logs for a name nobody registered.
QString UnknownCommandText(const TCmdData& cmd);

// Path helpers.
QString GetModulePath();
bool IsDrivePath(const QString& path);
bool IsUncPath(const QString& path);
// A drive path, a UNC path, or a POSIX absolute path.
bool IsAbsolutePath(const QString& path);
// The per-user application data folder, created when missing; raises
// "Cannot obtain special folder path." when it cannot be had.
QString GetSpecialFolderPath();
