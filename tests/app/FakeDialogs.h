#pragma once

#include "app/Dialogs.h"

#include <functional>

// Answers the program's questions with what a test set up, and remembers
// what was asked.
class TFakeDialogs final : public TDialogs {
public:
    void ShowError(const QString& text) override { Errors.append(text); }
    void ShowMessage(const QString&, const QString& text) override { Errors.append(text); }
    std::optional<QString> InputBox(const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> OpenScriptFile() override { return std::nullopt; }
    void ShowDependencies(const TKvtParser& parser) override { DependenciesShownFor = &parser; }
    std::optional<TVariableEntry> AddVariable() override
    {
        if (WhileOpen)
            WhileOpen();
        return NewVariable;
    }
    std::optional<QString> EditVariable(const QString& name, const QString& value) override
    {
        Offered = {name, value};
        if (WhileOpen)
            WhileOpen();
        return EditedValue;
    }

    std::optional<int> ChooseSaveSlot(TSlotMode, const QString& folder) override
    {
        SlotFolder = folder;
        return Slot;
    }

    QStringList Errors;
    std::optional<int> Slot;
    QString SlotFolder;
    const TKvtParser* DependenciesShownFor = nullptr;
    // What the story does behind a modal dialog.
    std::function<void()> WhileOpen;
    std::optional<TVariableEntry> NewVariable;
    std::optional<QString> EditedValue;
    TVariableEntry Offered;
};
