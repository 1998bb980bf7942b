#pragma once

#include <QString>

#include <functional>

// Decides what a command does when an asset file it names is not there: the
// reader should see the story go on while the author fixes the files, so by
// default a missing file is only logged. Handler groups share the one object
// the window owns; the window's "Skip Missing Files" toggle sets the switch.
class TMissingFileReporter {
public:
    explicit TMissingFileReporter(std::function<void(const QString&)> log) : log_(std::move(log)) {}

    // Logs kind + ' file not found: "name"'; raises the same text unless
    // skipping is on. Returns only when the command should go on without it.
    void ReportMissingFile(const QString& kind, const QString& name) const;

    bool SkipMissingFiles = true;

private:
    std::function<void(const QString&)> log_;
};
