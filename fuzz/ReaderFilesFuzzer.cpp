// The reader's files beside the globals, "seen.dat" and "preferences.ini":
// any bytes are read as each of them. Whatever was read must stay in its
// ranges and read back the same from what the program would write.

#include "interpreter/ReaderFiles.h"
#include "support/FuzzEnvironment.h"

namespace {

bool InRange(int value, int lowest, int highest)
{
    return value >= lowest && value <= highest;
}

void CheckPreferences(const QByteArray& bytes)
{
    const TReaderPreferences read = ParseReaderPreferences(bytes, QStringLiteral("fuzz"), [](const QString&) {});
    FuzzCheck(InRange(read.TextSpeed, TReaderPreferences::SlowestTextSpeed, TReaderPreferences::FastestTextSpeed)
                  && InRange(read.AutoPauseMs, 0, TReaderPreferences::LongestAutoPauseMs)
                  && InRange(read.MusicVolume, 0, 255) && InRange(read.BgSoundVolume, 0, 255)
                  && InRange(read.EffectsVolume, 0, 255),
              QStringLiteral("preferences read stay within their ranges"));
    int logged = 0;
    const TReaderPreferences reread = ParseReaderPreferences(FormatReaderPreferences(read), QStringLiteral("fuzz"),
                                                             [&logged](const QString&) { ++logged; });
    FuzzCheck(reread == read && logged == 0, QStringLiteral("written preferences read back as they were"));
}

void CheckSeenLines(const QByteArray& bytes)
{
    TSeenLines seen;
    seen.LoadFromData(bytes, QStringLiteral("fuzz"), [](const QString&) {});
    TSeenLines reread;
    int logged = 0;
    reread.LoadFromData(seen.ToData(), QStringLiteral("fuzz"), [&logged](const QString&) { ++logged; });
    FuzzCheck(reread.ToData() == seen.ToData() && reread.Count() == seen.Count() && logged == 0,
              QStringLiteral("written lines read read back as they were"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = FuzzBytes(data, size);
    CheckPreferences(bytes);
    CheckSeenLines(bytes);
    return 0;
}
