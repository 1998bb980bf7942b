#pragma once

#include "support/QtPrinters.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Bytes of the text as UTF-16 little-endian, built by hand so tests of the
// encoders do not lean on them.
QByteArray Utf16LeBytes(const QString& text);
// The whole file, or "(missing)" when it cannot be read.
QByteArray ReadFileBytes(const QString& fileName);

// A scratch folder that disappears with the test.
class TTempDir {
public:
    QString Path() const { return dir_.path(); }
    QString File(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }
    // Writes raw bytes; creates sub-folders as needed. Returns the full path.
    QString Write(const QString& name, const QByteArray& bytes) const;
    QString WriteUtf8(const QString& name, const QString& text) const { return Write(name, text.toUtf8()); }

private:
    QTemporaryDir dir_;
};
