// The settings file: any bytes, read through the program's own loading
// path (byte-order marks, UTF-8 or Windows-1252, three kinds of line
// break), then every key the program reads, as the type it reads it as.

#include "app/Settings.h"
#include "engine/TextFile.h"
#include "support/FuzzEnvironment.h"

#include <QFile>

namespace {

const QString& SettingsFile()
{
    static const QString file = ScratchFolder() + QStringLiteral("/kvtparser.ini");
    return file;
}

void Write(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    FuzzCheck(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
              QStringLiteral("the scratch file can be written"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InitFuzzEnvironment();
    const QByteArray bytes = FuzzBytes(data, size);
    Write(SettingsFile(), bytes);

    // The file is read line by line as it streams in; decoding it whole
    // must give the same lines.
    FuzzCheck(ReadTextFileLines(SettingsFile()) == SplitTextLines(DecodeText(bytes)),
              QStringLiteral("a file read line by line gives the lines of its whole text"));

    TSettings settings([](const QString&) {});
    settings.LoadFromFile(SettingsFile());
    for (const char* key : {"Debug", "DisplayFps", "ShowToolsOnStartup", "ShowConsoleOnStartup",
                            "ShowScriptOnStartup", "Fullscreen"})
        settings.GetBoolOption(QString::fromLatin1(key), false);
    settings.GetIntOption(QStringLiteral("Scramble"), 0);
    for (const char* key : {"LogFilename", "Script", "EntryPoint"})
        settings.GetStringOption(QString::fromLatin1(key), QString());
    return 0;
}
