#include "app/Dialogs.h"

#include "app/KvtParser_Form_Dep.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

void TQtDialogs::ShowError(const QString& text)
{
    ShowMessage(QStringLiteral("Error"), text);
}

void TQtDialogs::ShowMessage(const QString& caption, const QString& text)
{
    // Owned by the main window so it always stands in front of it, which a
    // box without an owner does not on every desktop.
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent_);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

std::optional<QString> TQtDialogs::InputBox(const QString& title, const QString& prompt)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(parent_, title, prompt, QLineEdit::Normal, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return answer;
}

std::optional<QString> TQtDialogs::OpenScriptFile()
{
    const QString file = QFileDialog::getOpenFileName(
        parent_, QStringLiteral("Open script"), QString(),
        QStringLiteral("Kvt Scripts (*.kvt);;All Files (*.*)"));
    if (file.isEmpty())
        return std::nullopt;
    return file;
}

void TQtDialogs::ShowDependencies(const TKvtParser& parser)
{
    TForm_Dep dialog(parent_, parser);
    dialog.exec();
}

std::optional<TVariableEntry> TQtDialogs::AddVariable()
{
    return AddVariableDialog(parent_, guard_);
}

std::optional<QString> TQtDialogs::EditVariable(const QString& name, const QString& value)
{
    return EditVariableDialog(parent_, name, value, guard_);
}

std::optional<int> TQtDialogs::ChooseSaveSlot(TSlotMode mode, const QString& folder)
{
    TForm_Saves dialog(parent_, mode, folder);
    dialog.exec();
    return dialog.ChosenSlot();
}
