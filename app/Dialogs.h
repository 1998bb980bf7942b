#pragma once

#include "app/KvtParser_Form_Saves.h"
#include "app/KvtParser_Form_VarEdit.h"

#include <QString>

#include <optional>

class QWidget;
class TKvtParser;

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
    virtual void ShowDependencies(const TKvtParser& parser) = 0;
    virtual std::optional<TVariableEntry> AddVariable() = 0;
    // The new value of the variable.
    virtual std::optional<QString> EditVariable(const QString& name, const QString& value) = 0;
    // A save slot of `folder`, 1-based.
    virtual std::optional<int> ChooseSaveSlot(TSlotMode mode, const QString& folder) = 0;
};

class TQtDialogs final : public TDialogs {
public:
    // `guard` reports the errors a dialog's buttons raise.
    TQtDialogs(QWidget* parent, TGuard guard) : parent_(parent), guard_(std::move(guard)) {}
    void ShowError(const QString& text) override;
    void ShowMessage(const QString& caption, const QString& text) override;
    std::optional<QString> InputBox(const QString& title, const QString& prompt) override;
    std::optional<QString> OpenScriptFile() override;
    void ShowDependencies(const TKvtParser& parser) override;
    std::optional<TVariableEntry> AddVariable() override;
    std::optional<QString> EditVariable(const QString& name, const QString& value) override;
    std::optional<int> ChooseSaveSlot(TSlotMode mode, const QString& folder) override;

private:
    QWidget* parent_;
    TGuard guard_;
};
