#include "support/SoundFiles.h"

#include <QtEndian>

#include <cmath>

namespace {

void Append32(QByteArray& bytes, quint32 value)
{
    const quint32 le = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char*>(&le), 4);
}

void Append16(QByteArray& bytes, quint16 value)
{
    const quint16 le = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char*>(&le), 2);
}

} // namespace

QByteArray ToneWav(int ms)
{
    constexpr quint32 rate = 22050;
    const quint32 frames = rate * quint32(ms) / 1000;
    QByteArray wav("RIFF");
    Append32(wav, 36 + frames * 2);
    wav.append("WAVEfmt ");
    Append32(wav, 16);
    Append16(wav, 1);  // PCM
    Append16(wav, 1);  // mono
    Append32(wav, rate);
    Append32(wav, rate * 2);
    Append16(wav, 2);
    Append16(wav, 16);
    wav.append("data");
    Append32(wav, frames * 2);
    for (quint32 i = 0; i < frames; ++i)
        Append16(wav, quint16(qint16(8000 * std::sin(2 * 3.14159265 * 440 * i / rate))));
    return wav;
}
