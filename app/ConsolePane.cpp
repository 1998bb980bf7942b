#include "app/ConsolePane.h"

#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QVBoxLayout>

TConsolePane::TConsolePane(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    log_ = new QPlainTextEdit(this);
    log_->setObjectName(QStringLiteral("mmConsole"));
    log_->setReadOnly(true);
    log_->setFrameShape(QFrame::NoFrame);
    log_->setStyleSheet(QStringLiteral("QPlainTextEdit { background: black; color: lime; }"));
    log_->installEventFilter(this);
    command_ = new QLineEdit(this);
    command_->setObjectName(QStringLiteral("edtCommand"));
    command_->setStyleSheet(QStringLiteral("QLineEdit { background: black; color: white; border: none;"
                                           " border-top: 1px solid gray; }"));
    layout->addWidget(log_);
    layout->addWidget(command_);
    connect(command_, &QLineEdit::returnPressed, this, [this] {
        // Only a command that ran clears the box; a typo stays to be mended.
        if (OnCommand && OnCommand(command_->text()))
            command_->clear();
    });
}

// Laying out a line in the pane costs far more than running a script line,
// so a hidden pane only keeps the lines it will show; they go in all at once
// when it is shown.
void TConsolePane::AppendLine(const QString& line)
{
    if (!log_->isVisible()) {
        backlog_.append(line);
        if (backlog_.size() > MaxLines + DropStep)
            backlog_.remove(0, backlog_.size() - MaxLines);
        return;
    }
    log_->appendPlainText(line);
    DropOldestLines();
}

bool TConsolePane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == log_ && event->type() == QEvent::Show)
        FlushBacklog();
    return QWidget::eventFilter(watched, event);
}

void TConsolePane::FlushBacklog()
{
    if (backlog_.isEmpty())
        return;
    log_->appendPlainText(backlog_.join(u'\n'));
    backlog_.clear();
    DropOldestLines();
}

// Not the pane's own block limit: a full pane would drop one line per append
// and measure every line left each time. Dropping in steps measures it once
// per step.
void TConsolePane::DropOldestLines()
{
    if (log_->blockCount() <= MaxLines + DropStep)
        return;
    QTextCursor oldest(log_->document());
    oldest.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, log_->blockCount() - MaxLines);
    oldest.removeSelectedText();
}
