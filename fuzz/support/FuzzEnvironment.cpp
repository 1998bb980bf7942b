#include "support/FuzzEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

QString TemporaryBase()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
}

struct TFuzzEnvironment {
    TFuzzEnvironment() : folder(TemporaryBase() + QStringLiteral("/kvtfuzz-XXXXXX"))
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("SDL_AUDIODRIVER", "dummy");
        const QString dataHome = folder.filePath(QStringLiteral("data"));
        QDir().mkpath(dataHome);
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
        const QString runtime = folder.filePath(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        // Qt's warnings about whatever file names an input invents would
        // bury libFuzzer's own output.
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        scratch = folder.filePath(QStringLiteral("work"));
        QDir().mkpath(scratch);
        app = std::make_unique<QGuiApplication>(argc, argv);
    }

    QTemporaryDir folder;
    QString scratch;
    int argc = 1;
    char name[8] = "fuzzer";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QGuiApplication> app;
};

TFuzzEnvironment& Environment()
{
    static TFuzzEnvironment environment;
    return environment;
}

} // namespace

void InitFuzzEnvironment()
{
    Environment();
}

const QString& ScratchFolder()
{
    return Environment().scratch;
}

void FuzzCheck(bool holds, const QString& promise)
{
    if (holds)
        return;
    std::fprintf(stderr, "Broken promise: %s\n", promise.toUtf8().constData());
    std::abort();
}
