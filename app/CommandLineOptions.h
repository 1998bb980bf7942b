#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <stdexcept>

// What the program was asked to do on its command line.
struct TCommandLineOptions {
    QString Script;
    QString Label;
    QString SettingsFile;
    bool Help = false;
    bool Version = false;
    bool Headless = false;
    bool Check = false;
    bool PrintLog = false;
    std::optional<uint32_t> FixedStepMs;
    QString Input;
    bool Auto = false;
    bool Skip = false;
    std::optional<int64_t> MaxFrames;
    bool Transcript = false;
    bool Strict = false;
    QString Screenshot;
    int64_t ScreenshotEvery = 0;
    QString ScreenshotFolder;
    QString SaveFile;
    QString LoadFile;
};

// A usage error: the program prints the one-line message and exits with 2.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses the arguments after the program name; raises EUsageError.
TCommandLineOptions ParseCommandLineOptions(const QStringList& arguments);

// Makes the file and folder options absolute against `startFolder`, the
// folder the program was started in: loading a script changes the current
// folder, and "--screenshot out.png" must not land beside the script.
void ResolveAgainstStartFolder(TCommandLineOptions& options, const QString& startFolder);

QString UsageText();
