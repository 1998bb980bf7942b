#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The settings file: lines of a name, "=" and a value. Read once at start,
// never written. Lookup ignores letter case and takes the first match.
class TSettings {
public:
    using TLogger = std::function<void(const QString&)>;

    explicit TSettings(TLogger log = {}) : log_(std::move(log)) {}

    // Reads the file when it exists; a missing file leaves no settings.
    void LoadFromFile(const QString& fileName);
    void SetLines(QStringList lines) { lines_ = std::move(lines); }
    void SetLogger(TLogger log) { log_ = std::move(log); }
    void Clear() { lines_.clear(); }

    bool GetBoolOption(const QString& name, bool defaultValue) const;
    int32_t GetIntOption(const QString& name, int32_t defaultValue) const;
    QString GetStringOption(const QString& name, const QString& defaultValue) const;

private:
    // The raw value of the first line whose name matches, or a null string.
    QString FindValue(const QString& name) const;

    QStringList lines_;
    TLogger log_;
};
