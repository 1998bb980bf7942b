// Runs a fuzz target once over every file of the folders named on the
// command line, without libFuzzer: the normal test run replays the inputs
// that once broke a parser, and the seeds, through the same target code.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {


// Every file, named absolutely: a target that loads a script changes the
// current folder.
QStringList InputFiles(int argc, char** argv)
{
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QDir folder(QFileInfo(QFile::decodeName(argv[i])).absoluteFilePath());
        // A target without regression inputs yet has no folder for them.
        for (const QFileInfo& file : folder.entryInfoList(QDir::Files, QDir::Name))
            files.append(file.absoluteFilePath());
    }
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    const QStringList files = InputFiles(argc, argv);
    for (const QString& name : files) {
        QFile input(name);
        if (!input.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "Cannot read %s\n", qPrintable(name));
            return 1;
        }
        const QByteArray bytes = input.readAll();
        std::fprintf(stderr, "%s\n", qPrintable(name));
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    }
    std::printf("%d inputs replayed\n", int(files.size()));
    return files.isEmpty() ? 1 : 0;
}
