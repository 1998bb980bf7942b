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

// A script of `lines` typical lines in one file, no includes.
inline QString WriteFlatScript(const QTemporaryDir& dir, qsizetype lines)
{
    QStringList text;
    text.reserve(lines);
    for (qsizetype i = 0; i < lines; ++i)
        text.append(TypicalLine(i));
    return WriteScript(dir, QStringLiteral("flat.kvt"), JoinLines(text));
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

// The workload of a long commercial story, in the proportions such stories
// have: spoken lines and narration blocks several sentences long, a line in
// a second language with accents beside the first, a background per scene,
// a counter, an if/else on it, a call to a subroutine that speaks with its
// parameters, a comment and the goto to the next scene; "@exit" at the end.
// Lines average about 66 bytes, so a million of them are a file of 66 MB.
// The backgrounds are the pictures BackgroundNames() lists.
inline QStringList BackgroundNames()
{
    return {QStringLiteral("harbour"), QStringLiteral("pier"), QStringLiteral("lighthouse"), QStringLiteral("market")};
}

// Written as it is made: the benchmark's own memory stays small, so the
// peak it reports for the program it starts is the program's own.
// Returns the number of scenes.
inline qsizetype WriteBigStory(QIODevice& out, qsizetype totalLines)
{
    const QStringList places = BackgroundNames();
    QByteArray pending;
    qsizetype written = 0;
    auto line = [&](const QString& text) {
        pending += text.toUtf8();
        pending += '\n';
        ++written;
        if (pending.size() >= 64 * 1024) {
            out.write(pending);
            pending.clear();
        }
    };
    line(QStringLiteral("@goto scene0"));
    line(QStringLiteral("#greet"));
    line(QStringLiteral("@inc visits"));
    line(QStringLiteral("Mira: %:1%, you have come down to the quay %visits% times now, and still no boat."));
    line(QStringLiteral("@return"));
    qsizetype scene = 0;
    for (; written < totalLines; ++scene) {
        const QString n = QString::number(scene);
        line(QStringLiteral("#scene") + n);
        line(QStringLiteral("@bg ") + places[scene % places.size()]);
        line(QStringLiteral("Mira: The ferry is late again, and the harbour master says it will be later still, "
                            "because the wind has turned and the tide will not wait for anyone, scene ") + n + u'.');
        line(QString::fromUtf8("Marie : Le ferry est encore en retard, et le capitaine du port dit qu'il le sera "
                               "davantage, car le vent a tourné et la marée n'attend personne, même pas lui."));
        line(QStringLiteral(":-"));
        line(QStringLiteral("The rain had not stopped for three days, and the gulls sat in long grey rows along the "
                            "harbour wall, their feathers puffed up against the cold wind from the sea."));
        line(QStringLiteral("In the little town everyone waited for the boat, and nobody said so out loud, because "
                            "saying it would have made the waiting longer and the evenings colder still."));
        line(QStringLiteral("Down by the nets the old men talked about storms they had seen and storms yet to come, "
                            "and about the one winter when the whole bay froze over from shore to shore."));
        line(QStringLiteral("-:"));
        line(QStringLiteral("@inc turn"));
        line(QStringLiteral("@if turn > 1"));
        line(QStringLiteral("Old Tom: It always comes in the end, child, sooner or later, and then you find yourself "
                            "missing the waiting, the tea and the long talks on the quay at dusk."));
        line(QStringLiteral("@dec turn, 2"));
        line(QStringLiteral("@else"));
        line(QStringLiteral("Old Tom(worried): Sit down and drink your tea, the boat will not come any faster for "
                            "your pacing up and down the planks, and your feet will thank you for it."));
        line(QStringLiteral("@endif"));
        line(QStringLiteral("@call greet, \"Mira, dear\", ") + n);
        line(QStringLiteral("// the next scene follows at once, without a pause"));
        line(QStringLiteral("@goto scene") + QString::number(scene + 1));
    }
    // The last scene's goto lands here.
    line(QStringLiteral("#scene") + QString::number(scene));
    line(QStringLiteral("@exit"));
    out.write(pending);
    return scene;
}

} // namespace bench
