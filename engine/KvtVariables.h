#pragma once

// The script's variables: names with text values, an integer view of each
// value cached beside it. Names starting with "_" are globals, which outlive
// a restart and are persisted per product in "globals.dat".

#include "engine/StringUtils.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <vector>

// At least one character, and the first is an underscore.
bool IsGlobalName(QStringView name);

struct TKvtVariable {
    QString Name;
    QString Value;
    // Filled lazily by the const reader GetInt.
    mutable int32_t IntCache = 0;
    mutable bool IntCacheValid = false;
};

class TKvtVariables {
public:
    // Called after every change; the tools panel rebuilds its list from it.
    std::function<void()> OnChanged;
    // Receives the reasons why a variable could not be saved.
    std::function<void(const QString&)> OnLog;

    int Count() const { return int(items_.size()); }

    // By index, 0-based; an index outside 0..Count-1 raises
    // "Variable index is out of bounds.".
    const QString& GetName(int index) const;
    const QString& GetValue(int index) const;
    void SetValue(int index, const QString& value);
    void Delete(int index);

    // Names are compared with exact letter case.
    int IndexOf(const QString& name) const;
    bool Exists(const QString& name) const { return IndexOf(name) >= 0; }

    // Empty when the variable does not exist.
    QString GetStr(const QString& name) const;
    void SetStr(const QString& name, const QString& value);
    // 0 for a missing variable (which is not created); a value that is no
    // integer raises EConvertError "'<value>' is not a valid integer value".
    int32_t GetInt(const QString& name) const;
    void SetInt(const QString& name, int32_t value);
    void Define(const QString& name);
    void Undefine(const QString& name);

    void ClearLocals();
    void ClearAll();

    // Replaces every variable by the entries of a "globals.dat" file, in file
    // order. A file that cannot be read raises EOSError and changes nothing;
    // a damaged one yields whatever lines can still be read.
    void LoadFromFile(const QString& fileName);
    void LoadFromData(const QByteArray& data);
    // Writes the globals in store order, replacing the file only once the new
    // contents are complete. Raises EOSError when it cannot be written.
    void SaveGlobalsToFile(const QString& fileName) const;
    // The file's bytes: UTF-16LE without a mark, "name=value" CR LF per
    // global. A global whose line could not be read back as written is left
    // out and reported through OnLog.
    QByteArray GlobalsData() const;

private:
    void CheckIndex(int index) const;
    TKvtVariable& Item(int index);
    const TKvtVariable& Item(int index) const;
    TKvtVariable& Append(const QString& name);
    void RebuildIndex();
    void Changed() const;

    std::vector<TKvtVariable> items_;
    // Name -> position in items_; names are unique, so this is exactly the
    // "first entry with that name" that a linear search would find.
    TNameMap<int> index_;
};
