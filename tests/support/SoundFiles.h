#pragma once

#include <QByteArray>

// A 16-bit mono WAV file of a 440 Hz tone lasting `ms` milliseconds, for
// tests that need real audio the mixer can decode.
QByteArray ToneWav(int ms);
