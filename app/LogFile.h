#pragma once

#include <QString>

// The log file: UTF-16 little-endian, a byte-order mark when the file is
// created, messages appended back to back. The file is opened and closed for
// every message so other programs can read it while the player runs.
class TLogFile {
public:
    void SetFileName(const QString& fileName) { fileName_ = fileName; }
    const QString& FileName() const { return fileName_; }
    // Raises EOSError when the file cannot be opened, created or written.
    void AppendToLogFile(const QString& message) const;

private:
    QString fileName_;
};
