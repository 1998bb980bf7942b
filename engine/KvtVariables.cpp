#include "engine/KvtVariables.h"

#include "engine/Exceptions.h"
#include "engine/IntegerText.h"
#include "engine/TextFile.h"

#include <QFile>
#include <QSaveFile>

namespace {

// The file is written without a mark, but one edited in a text editor may
// have gained one; reading it as plain UTF-16LE would glue the mark to the
// first name and turn that global into a local the next save drops.
QString DecodeGlobals(const QByteArray& data)
{
    const QByteArrayView view(data);
    if (view.startsWith("\xFF\xFE") || view.startsWith("\xFE\xFF") || view.startsWith("\xEF\xBB\xBF"))
        return DecodeText(data);
    return DecodeUtf16Le(view);
}

bool HasLineBreak(QStringView text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

} // namespace

bool IsGlobalName(QStringView name)
{
    return !name.isEmpty() && name[0] == u'_';
}

const QString& TKvtVariables::GetName(int index) const
{
    return Item(index).Name;
}

const QString& TKvtVariables::GetValue(int index) const
{
    return Item(index).Value;
}

void TKvtVariables::SetValue(int index, const QString& value)
{
    TKvtVariable& item = Item(index);
    item.Value = value;
    item.IntCacheValid = false;
    Changed();
}

void TKvtVariables::Delete(int index)
{
    CheckIndex(index);
    items_.erase(items_.begin() + index);
    RebuildIndex();
    Changed();
}

int TKvtVariables::IndexOf(const QString& name) const
{
    const auto found = index_.find(QStringView(name));
    return found == index_.end() ? -1 : found->second;
}

QString TKvtVariables::GetStr(const QString& name) const
{
    const int index = IndexOf(name);
    return index < 0 ? QString() : items_[index].Value;
}

void TKvtVariables::SetStr(const QString& name, const QString& value)
{
    const int index = IndexOf(name);
    TKvtVariable& item = index < 0 ? Append(name) : items_[index];
    item.Value = value;
    item.IntCacheValid = false;
    Changed();
}

int32_t TKvtVariables::GetInt(const QString& name) const
{
    const int index = IndexOf(name);
    if (index < 0)
        return 0;
    const TKvtVariable& item = items_[index];
    if (!item.IntCacheValid) {
        int32_t value = 0;
        if (!TryParseInteger(item.Value, value))
            throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(item.Value));
        item.IntCache = value;
        item.IntCacheValid = true;
    }
    return item.IntCache;
}

void TKvtVariables::SetInt(const QString& name, int32_t value)
{
    const int index = IndexOf(name);
    TKvtVariable& item = index < 0 ? Append(name) : items_[index];
    item.Value = QString::number(value);
    item.IntCache = value;
    item.IntCacheValid = true;
    Changed();
}

void TKvtVariables::Define(const QString& name)
{
    SetInt(name, 1);
    Changed();  // listeners have always seen two notifications for a define
}

void TKvtVariables::Undefine(const QString& name)
{
    const int index = IndexOf(name);
    if (index >= 0)
        Delete(index);
}

void TKvtVariables::ClearLocals()
{
    std::erase_if(items_, [](const TKvtVariable& item) { return !IsGlobalName(item.Name); });
    RebuildIndex();
    Changed();
}

void TKvtVariables::ClearAll()
{
    items_.clear();
    index_.clear();
    Changed();
}

void TKvtVariables::LoadFromFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EOSError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EOSError(QStringLiteral("Cannot read file \"%1\". %2").arg(fileName, file.errorString()));
    LoadFromData(data);
}

void TKvtVariables::LoadFromData(const QByteArray& data)
{
    const QStringList lines = SplitTextLines(DecodeGlobals(data));
    ClearAll();
    for (const QString& line : lines) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)  // no "=", or an empty name
            continue;
        SetStr(line.left(equals), line.mid(equals + 1));
    }
}

QByteArray TKvtVariables::GlobalsData() const
{
    QByteArray data;
    for (const TKvtVariable& item : items_) {
        if (!IsGlobalName(item.Name))
            continue;
        // Nothing is escaped, so such a line would come back as another
        // variable or a broken one; leave it out rather than corrupt the file.
        if (item.Name.contains(u'=') || HasLineBreak(item.Name)) {
            if (OnLog)
                OnLog(QStringLiteral("Global variable \"%1\" not saved: its name holds \"=\" or a line break.")
                          .arg(item.Name));
            continue;
        }
        if (HasLineBreak(item.Value)) {
            if (OnLog)
                OnLog(QStringLiteral("Global variable \"%1\" not saved: its value holds a line break.")
                          .arg(item.Name));
            continue;
        }
        AppendUtf16Le(data, item.Name);
        AppendUtf16Le(data, u"=");
        AppendUtf16Le(data, item.Value);
        AppendUtf16Le(data, u"\r\n");
    }
    return data;
}

void TKvtVariables::SaveGlobalsToFile(const QString& fileName) const
{
    const QByteArray data = GlobalsData();
    // The new contents go to a temporary file that replaces the old one only
    // once complete, so a crash mid-save leaves the previous file intact.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EOSError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString()));
    if (file.write(data) != data.size() || !file.commit())
        throw EOSError(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, file.errorString()));
}

void TKvtVariables::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw Exception(QStringLiteral("Variable index is out of bounds."));
}

TKvtVariable& TKvtVariables::Item(int index)
{
    CheckIndex(index);
    return items_[index];
}

const TKvtVariable& TKvtVariables::Item(int index) const
{
    CheckIndex(index);
    return items_[index];
}

TKvtVariable& TKvtVariables::Append(const QString& name)
{
    if (items_.size() == items_.capacity())
        items_.reserve(2 * items_.capacity() + 5);
    index_.insert_or_assign(name, int(items_.size()));
    items_.push_back(TKvtVariable{name, QString(), 0, false});
    return items_.back();
}

void TKvtVariables::RebuildIndex()
{
    index_.clear();
    for (int i = 0; i < Count(); ++i)
        index_.insert_or_assign(items_[i].Name, i);
}

void TKvtVariables::Changed() const
{
    if (OnChanged)
        OnChanged();
}
