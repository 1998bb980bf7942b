#include "interpreter/ReaderFiles.h"

#include "engine/Exceptions.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

#include <algorithm>
#include <optional>

namespace {

const QByteArray SeenHeader = QByteArrayLiteral("KvtParser seen lines 1");
constexpr qint64 LargestReaderFile = 64 * 1024 * 1024;

void Say(const TReaderLog& log, const QString& message)
{
    if (log)
        log(message);
}

// The file's bytes; nothing when it does not exist, or (with a log line)
// when it cannot be read or is far larger than anything we write.
std::optional<QByteArray> ReadReaderFile(const QString& fileName, const TReaderLog& log)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        return std::nullopt;
    QFile file(fileName);
    if (!info.isFile() || info.size() > LargestReaderFile || !file.open(QIODevice::ReadOnly)) {
        Say(log, QStringLiteral("Cannot read \"%1\"; it is ignored.").arg(fileName));
        return std::nullopt;
    }
    return file.readAll();
}

// A crash in the middle of a save leaves the previous file as it was.
void WriteReaderFile(const QString& fileName, const QByteArray& data)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EOSError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString()));
    if (file.write(data) != data.size() || !file.commit())
        throw EOSError(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, file.errorString()));
}

std::optional<uint64_t> ReadKey(QByteArrayView line)
{
    if (line.size() != 16)
        return std::nullopt;
    bool ok = false;
    const uint64_t key = line.toULongLong(&ok, 16);
    return ok ? std::optional<uint64_t>(key) : std::nullopt;
}

} // namespace

uint64_t SeenLineKey(const QString& fileName, const QString& lineText)
{
    const QByteArray identity = fileName.toLower().toUtf8() + '\n' + lineText.trimmed().toUtf8();
    const QByteArray digest = QCryptographicHash::hash(identity, QCryptographicHash::Sha1);
    uint64_t key = 0;
    for (int i = 0; i < 8; ++i)
        key = (key << 8) | uint8_t(digest[i]);
    return key;
}

// ---------------------------------------------------------------- seen lines

bool TSeenLines::Insert(uint64_t key)
{
    if (keys_.contains(key))
        return false;
    keys_.insert(key);
    dirty_ = true;
    return true;
}

void TSeenLines::Clear()
{
    keys_.clear();
    dirty_ = false;
}

void TSeenLines::LoadFromData(const QByteArray& data, const QString& source, const TReaderLog& log)
{
    Clear();
    const QList<QByteArray> lines = data.split('\n');
    if (lines.first().trimmed() != SeenHeader) {
        if (!data.isEmpty())
            Say(log, QStringLiteral("\"%1\" is no list of lines read; it is ignored.").arg(source));
        return;
    }
    int damaged = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        if (const std::optional<uint64_t> key = ReadKey(line))
            keys_.insert(*key);
        else
            ++damaged;
    }
    if (damaged > 0)
        Say(log, QStringLiteral("\"%1\": %2 damaged lines were ignored.").arg(source).arg(damaged));
}

QByteArray TSeenLines::ToData() const
{
    // Sorted: the same lines read always make the same file.
    QList<uint64_t> keys(keys_.begin(), keys_.end());
    std::sort(keys.begin(), keys.end());
    QByteArray data = SeenHeader + '\n';
    data.reserve(data.size() + keys.size() * 17);
    for (uint64_t key : keys)
        data += QByteArray::number(qulonglong(key), 16).rightJustified(16, '0') + '\n';
    return data;
}

void TSeenLines::Load(const QString& fileName, const TReaderLog& log)
{
    const std::optional<QByteArray> data = ReadReaderFile(fileName, log);
    if (data)
        LoadFromData(*data, fileName, log);
    else
        Clear();
}

void TSeenLines::Save(const QString& fileName)
{
    WriteReaderFile(fileName, ToData());
    dirty_ = false;
}

// ---------------------------------------------------------------- preferences

uint32_t TReaderPreferences::AutoPause(qsizetype characters) const
{
    const qsizetype counted = std::clamp<qsizetype>(characters, 0, 2000);
    return uint32_t(std::clamp(AutoPauseMs, 0, LongestAutoPauseMs)) + uint32_t(counted) * AutoPausePerCharacter;
}

int32_t TReaderPreferences::TypingDelay(int32_t scriptMs) const
{
    if (scriptMs <= 0 || TextSpeed >= FastestTextSpeed)
        return 0;
    const int64_t delay = int64_t(scriptMs) * 100 / std::max(TextSpeed, SlowestTextSpeed);
    return int32_t(std::clamp<int64_t>(delay, 1, INT32_MAX));
}

namespace {

struct TPreferenceField {
    const char* name;
    int TReaderPreferences::*value;
    int lowest;
    int highest;
};

constexpr TPreferenceField PreferenceFields[] = {
    {"TextSpeed", &TReaderPreferences::TextSpeed, TReaderPreferences::SlowestTextSpeed,
     TReaderPreferences::FastestTextSpeed},
    {"AutoPause", &TReaderPreferences::AutoPauseMs, 0, TReaderPreferences::LongestAutoPauseMs},
    {"MusicVolume", &TReaderPreferences::MusicVolume, 0, 255},
    {"BgSoundVolume", &TReaderPreferences::BgSoundVolume, 0, 255},
    {"EffectsVolume", &TReaderPreferences::EffectsVolume, 0, 255},
};

const TPreferenceField* FindField(const QString& name)
{
    for (const TPreferenceField& field : PreferenceFields)
        if (name.compare(QLatin1String(field.name), Qt::CaseInsensitive) == 0)
            return &field;
    return nullptr;
}

} // namespace

TReaderPreferences ParseReaderPreferences(const QByteArray& data, const QString& source, const TReaderLog& log)
{
    TReaderPreferences preferences;
    const QStringList lines = QString::fromUtf8(data).split(u'\n');
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        const TPreferenceField* field = equals > 0 ? FindField(line.left(equals).trimmed()) : nullptr;
        if (!field) {
            Say(log, QStringLiteral("\"%1\": the line \"%2\" was ignored.").arg(source, line.left(80)));
            continue;
        }
        bool ok = false;
        const qlonglong value = line.mid(equals + 1).trimmed().toLongLong(&ok);
        if (!ok) {
            Say(log, QStringLiteral("\"%1\": the line \"%2\" was ignored.").arg(source, line.left(80)));
            continue;
        }
        preferences.*field->value = int(std::clamp<qlonglong>(value, field->lowest, field->highest));
    }
    return preferences;
}

QByteArray FormatReaderPreferences(const TReaderPreferences& preferences)
{
    QByteArray data;
    for (const TPreferenceField& field : PreferenceFields)
        data += QByteArray(field.name) + '=' + QByteArray::number(preferences.*field.value) + '\n';
    return data;
}

TReaderPreferences LoadReaderPreferences(const QString& fileName, const TReaderLog& log)
{
    const std::optional<QByteArray> data = ReadReaderFile(fileName, log);
    return data ? ParseReaderPreferences(*data, fileName, log) : TReaderPreferences{};
}

void SaveReaderPreferences(const QString& fileName, const TReaderPreferences& preferences)
{
    WriteReaderFile(fileName, FormatReaderPreferences(preferences));
}
