#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>

class QLineEdit;
class QPlainTextEdit;

// The console page: the log as it grows, and the line where the author
// types a command.
class TConsolePane final : public QWidget {
public:
    explicit TConsolePane(QWidget* parent);

    void AppendLine(const QString& line);
    // The command box's text when Enter was pressed in it; returns whether
    // the command ran.
    std::function<bool(const QString& text)> OnCommand;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FlushBacklog();
    void DropOldestLines();

    QPlainTextEdit* log_ = nullptr;     // mmConsole
    QLineEdit* command_ = nullptr;      // edtCommand
    // Lines logged while the console was hidden; the pane shows the last
    // MaxLines of everything logged, give or take one drop step.
    QStringList backlog_;
    static constexpr int MaxLines = 20000;
    static constexpr int DropStep = 1000;
};
