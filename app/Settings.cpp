#include "app/Settings.h"

#include "engine/FileSystem.h"
#include "engine/IntegerText.h"
#include "engine/TextFile.h"

#include <QFileInfo>

void TSettings::LoadFromFile(const QString& fileName)
{
    lines_.clear();
    if (QFileInfo(fileName).isFile())
        lines_ = ReadTextFileLines(fileName);
}

QString TSettings::FindValue(const QString& name) const
{
    for (const QString& line : lines_) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        if (QStringView(line).left(eq).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        // Never null: a present key with an empty value is not an absent key.
        QString value = line.mid(eq + 1);
        return value.isNull() ? QStringLiteral("") : value;
    }
    return {};
}

bool TSettings::GetBoolOption(const QString& name, bool defaultValue) const
{
    const QString value = FindValue(name);
    if (value.isNull())
        return defaultValue;
    int32_t number = 0;
    if (TryParseInteger(value, number))
        return number != 0;
    if (value.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (value.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    if (log_)
        log_(QStringLiteral("Invalid boolean option: %1=%2. Assuming default (%3).")
                 .arg(name, value, defaultValue ? QStringLiteral("True") : QStringLiteral("False")));
    return defaultValue;
}

int32_t TSettings::GetIntOption(const QString& name, int32_t defaultValue) const
{
    const QString value = FindValue(name);
    if (value.isNull())
        return defaultValue;
    int32_t number = 0;
    if (TryParseInteger(value, number))
        return number;
    if (log_)
        log_(QStringLiteral("Invalid integer option: %1=%2. Assuming default (%3).")
                 .arg(name, value, QString::number(defaultValue)));
    return defaultValue;
}

QString TSettings::GetStringOption(const QString& name, const QString& defaultValue) const
{
    const QString value = FindValue(name);
    return value.isNull() ? defaultValue : value;
}
