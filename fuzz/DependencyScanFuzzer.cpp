// The dependencies report: any script, scanned without running it, every
// list built, and the report "--check" prints.

#include "interpreter/DependencyScan.h"
#include "support/FuzzEnvironment.h"
#include "support/FuzzStory.h"

#include <QFile>
#include <QSet>

namespace {

QString WriteScript(const QByteArray& bytes)
{
    const QString name = ScratchFolder() + QStringLiteral("/deps.kvt");
    QFile file(name);
    FuzzCheck(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
              QStringLiteral("the scratch file can be written"));
    return name;
}

bool FreeOfDuplicates(const QStringList& list)
{
    QSet<QString> folded;
    for (const QString& entry : list)
        folded.insert(entry.toCaseFolded());
    return folded.size() == list.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TFuzzStory& story = SharedStory();
    try {
        story.parser.LoadScript(WriteScript(FuzzBytes(data, size)));
    } catch (const Exception&) {
        return 0;  // an include that is not there
    }
    const TDependencyScan scan(story.parser);
    for (const TDependencyListInfo& info : DependencyLists)
        FuzzCheck(FreeOfDuplicates(scan.List(info.List)), QStringLiteral("every list names an entry once"));
    const QStringList required = scan.List(TDependencyList::RequiredLabels);
    for (const QString& missing : scan.List(TDependencyList::MissingLabels))
        FuzzCheck(required.contains(missing, Qt::CaseInsensitive), QStringLiteral("a missing label is a required one"));
    BuildDependencyReport(story.parser);
    return 0;
}
