// "globals.dat": any bytes (UTF-16 with or without a byte-order mark, odd
// byte counts, no line break at the end) read into the variable store; what
// the store then saves must read back as the same globals.

#include "engine/Exceptions.h"
#include "engine/KvtVariables.h"
#include "support/FuzzEnvironment.h"

#include <QList>
#include <QPair>

namespace {

using TEntries = QList<QPair<QString, QString>>;

TEntries Globals(const TKvtVariables& variables)
{
    TEntries entries;
    for (int i = 0; i < variables.Count(); ++i)
        if (IsGlobalName(variables.GetName(i)))
            entries.append({variables.GetName(i), variables.GetValue(i)});
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TKvtVariables variables;
    variables.LoadFromData(FuzzBytes(data, size));
    for (int i = 0; i < variables.Count(); ++i) {
        // Reading the integer view of every value: "inc" and "@if" do.
        try {
            variables.GetInt(variables.GetName(i));
        } catch (const Exception&) {
        }
    }
    const TEntries loaded = Globals(variables);

    TKvtVariables reread;
    reread.LoadFromData(variables.GlobalsData());
    FuzzCheck(Globals(reread) == loaded && reread.Count() == loaded.size(),
              QStringLiteral("saved globals read back as they were"));
    return 0;
}
