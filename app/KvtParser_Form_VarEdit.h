#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QLineEdit;
class QPushButton;

// Runs an action and reports what it raises the way the application
// reports every error, so a failure never crosses the dialog's event loop.
using TGuard = std::function<void(const std::function<void()>&)>;

// Adds a variable (name and value editable) or changes one's value (name
// locked). It only collects the text; the caller writes it to the store.
class TForm_VarEdit final : public QDialog {
public:
    TForm_VarEdit(QWidget* owner, TGuard guard);

    void SetNameLocked(bool locked);
    bool NameLocked() const { return nameLocked_; }
    // The value OK accepted.
    const QString& ResultValue() const { return resultValue_; }
    QLineEdit& NameEdit() { return *edtName_; }
    QLineEdit& ValueEdit() { return *edtValue_; }
    // Raises "You must specify a variable name." for an empty new name; the
    // dialog then stays open with what was typed.
    void btnOkClick();

private:
    void edtNameKeyPress();
    void edtValueKeyPress();

    TGuard guard_;
    bool nameLocked_ = false;
    QString resultValue_;
    QLineEdit* edtName_ = nullptr;
    QLineEdit* edtValue_ = nullptr;
    QPushButton* btnOk_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
};

struct TVariableEntry {
    QString Name;
    QString Value;
};

// Empty when the author cancels.
std::optional<TVariableEntry> AddVariableDialog(QWidget* owner, const TGuard& guard);
// The new value; empty when the author cancels.
std::optional<QString> EditVariableDialog(QWidget* owner, const QString& name, const QString& value,
                                          const TGuard& guard);
