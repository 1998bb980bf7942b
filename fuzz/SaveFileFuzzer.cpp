// A save slot's file: any bytes are either refused with a reason or read
// into a whole state, and a state that was read writes out and reads back
// as the same text.

#include "interpreter/SaveFile.h"
#include "support/FuzzEnvironment.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TSaveState state;
    try {
        state = ReadSaveData(FuzzBytes(data, size));
    } catch (const ESaveFileError& e) {
        FuzzCheck(!e.Message().isEmpty(), QStringLiteral("a refused save says why"));
        return 0;
    }
    const QByteArray written = WriteSaveData(state);
    FuzzCheck(WriteSaveData(ReadSaveData(written)) == written, QStringLiteral("a save reads back as written"));
    return 0;
}
