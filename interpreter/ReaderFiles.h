#pragma once

// The files a reader leaves beside a product's "globals.dat": the lines read
// so far ("seen.dat") and the reader's preferences ("preferences.ini"). Both
// are outside input: whatever they hold, reading them never fails; what
// cannot be read is ignored and said in the log.

#include <QByteArray>
#include <QSet>
#include <QString>

#include <cstdint>
#include <functional>

using TReaderLog = std::function<void(const QString&)>;

inline const QString SeenLinesFileName = QStringLiteral("seen.dat");
inline const QString PreferencesFileName = QStringLiteral("preferences.ini");

// A line is known by its file (without folder, letter case ignored) and its
// text, blanks at the ends trimmed: edits elsewhere in the story, moving the
// story folder or lines moving within their file keep it read.
uint64_t SeenLineKey(const QString& fileName, const QString& lineText);

class TSeenLines {
public:
    bool Contains(uint64_t key) const { return keys_.contains(key); }
    // Returns whether the key is new.
    bool Insert(uint64_t key);
    int Count() const { return int(keys_.size()); }
    void Clear();
    // Whether lines came in since the last Load, Save or Clear.
    bool Dirty() const { return dirty_; }

    // Replaces the keys by those of the file's bytes. Lines that are no key
    // are skipped; a file that is not ours at all is ignored whole. Each
    // problem is one log line naming `source`.
    void LoadFromData(const QByteArray& data, const QString& source, const TReaderLog& log);
    QByteArray ToData() const;

    void Load(const QString& fileName, const TReaderLog& log);
    // Raises EOSError when the file cannot be written; the old one then stays.
    void Save(const QString& fileName);

private:
    QSet<uint64_t> keys_;
    bool dirty_ = false;
};

// What a reader sets for every story of a product. The script's own speed
// and volumes stay the script's: these scale them, so a story that fades
// its music still fades, only quieter.
struct TReaderPreferences {
    // Percent of the speed the script types at; FastestTextSpeed shows
    // every text at once.
    int TextSpeed = 100;
    // Auto-forward waits this long after a text is typed out, and
    // AutoPausePerCharacter longer for each of its characters.
    int AutoPauseMs = 1200;
    // 0..255; 255 plays the script's volumes as they are.
    int MusicVolume = 255;
    int BgSoundVolume = 255;
    int EffectsVolume = 255;

    static constexpr int SlowestTextSpeed = 25;
    static constexpr int FastestTextSpeed = 400;
    static constexpr int LongestAutoPauseMs = 5000;
    static constexpr int AutoPausePerCharacter = 30;

    bool operator==(const TReaderPreferences&) const = default;

    // How long auto-forward waits after typing a text of `characters`.
    uint32_t AutoPause(qsizetype characters) const;
    // The milliseconds per character a text types at when the script asks
    // for `scriptMs`; 0 shows it at once.
    int32_t TypingDelay(int32_t scriptMs) const;
};

// "Name=value" lines; unknown names are skipped, values out of range kept
// within it, unreadable ones left at their defaults, each with a log line.
TReaderPreferences ParseReaderPreferences(const QByteArray& data, const QString& source, const TReaderLog& log);
QByteArray FormatReaderPreferences(const TReaderPreferences& preferences);
TReaderPreferences LoadReaderPreferences(const QString& fileName, const TReaderLog& log);
// Raises EOSError when the file cannot be written.
void SaveReaderPreferences(const QString& fileName, const TReaderPreferences& preferences);
