#pragma once

// Synthetic scripts for the benchmarks, written into a temporary folder. Every
// generator is deterministic, so runs on different days measure the same text.

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <stdexcept>

namespace bench {

inline QString WriteScript(const QTemporaryDir& dir, const QString& name, const QString& text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0)
        throw std::runtime_error("cannot write benchmark script " + path.toStdString());
    return path;
}

// The mix a long story is made of: commands with parameters, dialogue,
// narration blocks, labels and comments, so loading sees lines of every kind.
inline QString TypicalLine(qsizetype i)
{
    switch (i % 12) {
    case 0: return QStringLiteral("#scene%1").arg(i);
    case 1: return QStringLiteral("@set score, %1").arg(i % 97);
    case 2: return QStringLiteral("Mira: The ferry is late again, line %1.").arg(i);
    case 3: return QStringLiteral("@if score > 40, goto scene%1").arg(i - 3);
    case 4: return QStringLiteral(":-");
    case 5: return QStringLiteral("The rain had not stopped for three days in the little harbour town.");
    case 6: return QStringLiteral("-:");
    case 7: return QStringLiteral("// chapter two starts after this");
    case 8: return QStringLiteral("Old Tom(worried, left): It always comes, sooner or later.");
    case 9: return QStringLiteral("@inc visits");
    case 10: return QString();
    default: return QStringLiteral("@call greet, \"Mira, dear\", 3");
    }
}

inline QString JoinLines(const QStringList& lines)
{
    return lines.join(u'\n') + u'\n';
}

// A main file and `includeCount` included files whose expanded script has
// `totalLines` lines; the includes sit evenly between the main file's own
// lines. Returns the main file's path.
inline QString WriteIncludedScript(const QTemporaryDir& dir, qsizetype totalLines, int includeCount)
{
    const qsizetype share = totalLines / (includeCount + 1);
    qsizetype next = 0;
    QStringList main;
    for (int f = 0; f < includeCount; ++f) {
        QStringList part;
        for (qsizetype i = 0; i < share; ++i)
            part.append(TypicalLine(next++));
        const QString name = QStringLiteral("part%1.kvt").arg(f);
        WriteScript(dir, name, JoinLines(part));
        for (qsizetype i = 0; i < share / includeCount && next < totalLines; ++i)
            main.append(TypicalLine(next++));
        main.append(QStringLiteral("@include ") + name);
    }
    while (next < totalLines)
        main.append(TypicalLine(next++));
    return WriteScript(dir, QStringLiteral("main.kvt"), JoinLines(main));
}

// Lines that never wait: variables, short-form conditions and jumps. Every
// jump lands on the label right after it, so each line runs exactly once and
// a pass over the script runs LineCount lines.
inline QString StepLoopScript(qsizetype totalLines)
{
    QStringList lines;
    lines.reserve(totalLines);
    for (qsizetype block = 0; lines.size() < totalLines; ++block) {
        const QString here = QStringLiteral("b%1").arg(block);
        const QString next = QStringLiteral("b%1").arg(block + 1);
        const QString after = QStringLiteral("b%1x").arg(block);
        lines << u'#' + here
              << QStringLiteral("@set score, 10")
              << QStringLiteral("@inc score")
              << QStringLiteral("@inc score, 5")
              << QStringLiteral("@if score > 1000, goto ") + here  // false: falls through
              << QStringLiteral("@set name, Mira")
              << QStringLiteral("@if score = 16, goto ") + after    // true: jumps one line on
              << u'#' + after
              << QStringLiteral("@goto ") + next;
    }
    lines.resize(totalLines);
    return JoinLines(lines);
}

// One false "@if" whose branch holds `branchLines` lines, nested blocks
// included, then the line after the "@endif".
inline QString FalseBranchScript(qsizetype branchLines)
{
    QStringList lines{QStringLiteral("@set flag, 0"), QStringLiteral("@if flag = 1")};
    for (qsizetype i = 0; i < branchLines; ++i) {
        switch (i % 20) {
        case 5: lines << QStringLiteral("@if score > 3"); break;
        case 9: lines << QStringLiteral("@else"); break;
        case 14: lines << QStringLiteral("@endif"); break;
        default: lines << TypicalLine(i); break;
        }
    }
    // Close a nested block the cut may have left open.
    if (branchLines % 20 > 5 && branchLines % 20 <= 14)
        lines.last() = QStringLiteral("@endif");
    lines << QStringLiteral("@endif") << QStringLiteral("@set done, 1");
    return JoinLines(lines);
}

// A story the way authors write one: dialogue, narration blocks, variables,
// if/else blocks, calls with returns and gotos every few lines; "@exit" at
// the end. About `totalLines` lines.
inline QString StoryScript(qsizetype totalLines)
{
    QStringList lines;
    lines.reserve(totalLines + 16);
    lines << QStringLiteral("@set visits, 0") << QStringLiteral("@goto scene0")
          << QStringLiteral("#greet")
          << QStringLiteral("@inc visits")
          << QStringLiteral("Mira: Hello again, %visits% times now.")
          << QStringLiteral("@return");
    qsizetype scene = 0;
    for (; lines.size() < totalLines; ++scene) {
        const QString next = QStringLiteral("scene%1").arg(scene + 1);
        lines << QStringLiteral("#scene%1").arg(scene)
              << QStringLiteral("Mira: The ferry is late again, scene %1.").arg(scene)
              << QStringLiteral(":-")
              << QStringLiteral("The rain had not stopped for three days.")
              << QStringLiteral("In the little harbour town, everyone waited.")
              << QStringLiteral("-:")
              << QStringLiteral("@set score, %1").arg(scene % 50)
              << QStringLiteral("@if score > 25")
              << QStringLiteral("Old Tom: It always comes, sooner or later.")
              << QStringLiteral("@inc score, 2")
              << QStringLiteral("@else")
              << QStringLiteral("Old Tom(worried): Sit down, child.")
              << QStringLiteral("@dec score")
              << QStringLiteral("@endif")
              << QStringLiteral("@call greet")
              << QStringLiteral("// the next scene starts at once")
              << QStringLiteral("@goto ") + next;
    }
    // The last scene's goto lands here.
    lines << QStringLiteral("#scene%1").arg(scene) << QStringLiteral("@exit");
    return JoinLines(lines);
}

} // namespace bench
