#pragma once

#include <QAbstractScrollArea>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class QMenu;

// The script pane: the script's lines with their numbers, the line about to
// run, the breakpoints and a caret line the author picks. Lines are read
// from their source only when they are drawn, so a script of a million
// lines shows at once and costs no copy of its text.
class TScriptView final : public QAbstractScrollArea {
public:
    struct TSource {
        std::function<qsizetype()> Count;
        std::function<QString(qsizetype)> Line;
        std::function<bool(qsizetype)> HasBreakpoint;
    };

    TScriptView(TSource source, QWidget* parent);

    // The lines changed: forgets everything known about the old ones.
    void Refresh();
    qsizetype RowCount() const { return rowCount_; }
    QString RowText(qsizetype row) const { return source_.Line(row); }
    // Marks the line about to run, puts the caret on it and scrolls it into
    // view; -1 marks none.
    void ShowCurrentLine(qsizetype line);
    qsizetype CurrentLine() const { return currentLine_; }
    qsizetype CaretLine() const { return caretLine_; }
    void SetCaretLine(qsizetype line);
    void SetPopupMenu(QMenu* menu) { popup_ = menu; }
    // The author clicked the number of a line.
    std::function<void(qsizetype line)> OnGutterClicked;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // The bars count rows: the whole view is drawn anew on every scroll.
    void scrollContentsBy(int, int) override { viewport()->update(); }

private:
    int LineHeight() const;
    int GutterWidth() const;
    int VisibleRows() const;
    qsizetype RowAt(int y) const;
    void UpdateScrollRanges();
    void ScrollToRow(qsizetype row);
    void PaintRow(QPainter& painter, qsizetype row, int y);
    void PaintGutter(QPainter& painter, qsizetype row, int y);
    bool TextBlockBefore(qsizetype row);

    TSource source_;
    qsizetype rowCount_ = 0;
    qsizetype currentLine_ = -1;
    qsizetype caretLine_ = 0;
    int widestRow_ = 0;
    QMenu* popup_ = nullptr;
    // Whether each line begins inside a text block, found forward from the
    // first line as far as the view has been looked at.
    std::vector<bool> inTextBlock_;
};
