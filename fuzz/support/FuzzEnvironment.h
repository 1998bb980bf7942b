#pragma once

// What every fuzz target shares: the process's one application object and
// private folders, the input as text, and the check that turns a broken
// promise of the code under test into a reported crash.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// Once per process, before anything uses Qt or SDL: the offscreen platform,
// SDL's silent audio driver, a private per-user data folder (globals never
// reach the real home) and the GUI application that fonts need.
void InitFuzzEnvironment();

// A folder of this process's own for the files a target writes; in memory
// when the system offers it, since a target may write on every input.
const QString& ScratchFolder();

inline QByteArray FuzzBytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Invalid UTF-8 becomes U+FFFD, so every input is some text.
inline QString FuzzText(const uint8_t* data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Aborts with the message when `holds` is false: libFuzzer keeps the input
// that broke the promise like any other crash.
void FuzzCheck(bool holds, const QString& promise);
