#pragma once

#include "engine/CommandHandlers.h"

#include <QString>
#include <QStringList>

#include <functional>

class TDriverWaits;
class TKvtParser;
class TMissingFileReporter;
class TSoundPlayer;

// "bgmusic", "bgmusicvol", "bgsound", "bgsoundvol" and "sound": files are
// looked up in the script's music and sound folders; "sound" starts the
// driver's sound wait.
class TAudioCommands {
public:
    TAudioCommands(TSoundPlayer& sound, const TKvtParser& parser, const TMissingFileReporter& missing,
                   TDriverWaits& waits, std::function<void(const QString&)> log)
        : sound_(sound), parser_(parser), missing_(missing), waits_(waits), log_(std::move(log)) {}

    CommandResult CmdBgMusic(const TCmdData& cmd);
    CommandResult CmdBgMusicVol(const TCmdData& cmd);
    CommandResult CmdBgSound(const TCmdData& cmd);
    CommandResult CmdBgSoundVol(const TCmdData& cmd);
    CommandResult CmdSound(const TCmdData& cmd);

private:
    void Log(const QString& message) const;
    QString FindAsset(const QString& folder, const QString& file, const QStringList& extensions,
                      const QString& kind) const;

    TSoundPlayer& sound_;
    const TKvtParser& parser_;
    const TMissingFileReporter& missing_;
    TDriverWaits& waits_;
    std::function<void(const QString&)> log_;
};
