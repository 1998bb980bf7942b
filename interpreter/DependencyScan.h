#pragma once

// What a loaded script needs: the labels it defines and jumps to, and the
// backgrounds, music, sounds and fonts it names. Found by reading the lines,
// never by running them, so a branch no reader takes counts like any other.
// The author's dependencies dialog and "--check" both read it.

#include "engine/CommandHandlers.h"
#include "engine/StringUtils.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

class TKvtParser;

// In the order the report offers them.
enum class TDependencyList {
    Labels,
    RequiredLabels,
    MissingLabels,
    DuplicateLabels,
    Backgrounds,
    MissingBackgrounds,
    Music,
    MissingMusic,
    Sounds,
    MissingSounds,
    Fonts,
};

struct TDependencyListInfo {
    TDependencyList List;
    QStringView Caption;
    // A non-empty list of this kind means the story is broken.
    bool IsProblem;
};

extern const std::array<TDependencyListInfo, 11> DependencyLists;

// Names in the order they first appear, each once, letter case ignored.
class TUniqueNames {
public:
    // False when an equal name is held already.
    bool Add(const QString& name);
    bool Contains(QStringView name) const;
    const QStringList& Names() const { return names_; }

private:
    QStringList names_;
    TNameMap<bool> folded_;
};

class TDependencyScan {
public:
    // Reads every line of the parser's script once.
    explicit TDependencyScan(const TKvtParser& parser);

    // The Missing lists look at the asset folders on every call, so a file
    // the author has just added stops being listed.
    QStringList List(TDependencyList list) const;
    // The load of the script this scan read (TKvtParser::Generation).
    uint64_t Generation() const { return generation_; }

private:
    // The names an asset command gave, and those of them that are files:
    // keywords, colours and names built at run time are not.
    struct TAssetNames {
        TUniqueNames Named;
        TUniqueNames Files;
        void Add(const QString& name, bool isFileName);
    };

    void ScanLabel(const QString& line);
    void ScanCommand(const QString& line, TCmdData& cmd);
    QStringList MissingLabels() const;
    static QStringList MissingFiles(const TAssetNames& assets, const QString& folder, const QStringList& extensions);

    uint64_t generation_;
    QString imagesFolder_;
    QString musicFolder_;
    QString soundFolder_;
    TUniqueNames labels_;
    TUniqueNames duplicateLabels_;
    TUniqueNames requiredLabels_;
    TAssetNames backgrounds_;
    TAssetNames music_;
    TAssetNames sounds_;
    TUniqueNames fonts_;
};

// What "--check" prints: for each list that has entries, in the report's
// order, its caption and ":" on a line, then one entry a line indented by
// two blanks.
struct TDependencyReport {
    QString Text;
    bool HasProblems = false;  // something missing or defined twice
};
TDependencyReport BuildDependencyReport(const TKvtParser& parser);
