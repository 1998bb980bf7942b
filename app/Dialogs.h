#pragma once

#include <QString>

#include <optional>

class QWidget;

// Every modal question the program asks goes through here, so the rest of the
// window code can be driven without a person at the keyboard.
class TDialogs {
public:
    virtual ~TDialogs() = default;
    // The "Error" box: OK button, no owner window.
    virtual void ShowError(const QString& text) = 0;
    virtual void ShowMessage(const QString& caption, const QString& text) = 0;
    virtual std::optional<QString> InputBox(const QString& title, const QString& prompt) = 0;
    virtual std::optional<QString> OpenScriptFile() = 0;
};

class TQtDialogs final : public TDialogs {
public:
    explicit TQtDialogs(QWidget* parent) : parent_(parent) {}
    void ShowError(const QString& text) override;
    void ShowMessage(const QString& caption, const QString& text) override;
    std::optional<QString> InputBox(const QString& title, const QString& prompt) override;
    std::optional<QString> OpenScriptFile() override;

private:
    QWidget* parent_;
};
