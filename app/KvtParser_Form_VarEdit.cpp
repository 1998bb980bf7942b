#include "app/KvtParser_Form_VarEdit.h"

#include "engine/Exceptions.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TForm_VarEdit::TForm_VarEdit(QWidget* owner, TGuard guard) : QDialog(owner), guard_(std::move(guard))
{
    setWindowTitle(QStringLiteral("Edit variable"));
    setFixedSize(243, 100);
    auto* nameLabel = new QLabel(QStringLiteral("Name:"), this);
    nameLabel->move(8, 11);
    edtName_ = new QLineEdit(this);
    edtName_->setObjectName(QStringLiteral("edtName"));
    edtName_->setGeometry(72, 8, 161, 21);
    auto* valueLabel = new QLabel(QStringLiteral("Value:"), this);
    valueLabel->move(8, 38);
    edtValue_ = new QLineEdit(this);
    edtValue_->setObjectName(QStringLiteral("edtValue"));
    edtValue_->setGeometry(72, 35, 161, 21);
    btnOk_ = new QPushButton(QStringLiteral("OK"), this);
    btnOk_->setObjectName(QStringLiteral("btnOk"));
    btnOk_->setGeometry(40, 62, 75, 25);
    btnCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    btnCancel_->setGeometry(121, 62, 75, 25);
    // Enter means "next box" in the name and "OK" in the value: no button
    // may take it first as the dialog's default.
    for (QPushButton* button : {btnOk_, btnCancel_}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(edtName_, &QLineEdit::returnPressed, this, [this] { edtNameKeyPress(); });
    connect(edtValue_, &QLineEdit::returnPressed, this, [this] { edtValueKeyPress(); });
    connect(btnOk_, &QPushButton::clicked, this, [this] { guard_([this] { btnOkClick(); }); });
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm_VarEdit::SetNameLocked(bool locked)
{
    nameLocked_ = locked;
    edtName_->setEnabled(!locked);
    QPalette colours = edtName_->palette();
    colours.setColor(QPalette::Base, palette().color(locked ? QPalette::Button : QPalette::Base));
    edtName_->setPalette(colours);
}

void TForm_VarEdit::btnOkClick()
{
    if (!nameLocked_ && edtName_->text().isEmpty())
        throw Exception(QStringLiteral("You must specify a variable name."));
    resultValue_ = edtValue_->text();
    accept();
}

void TForm_VarEdit::edtNameKeyPress()
{
    edtValue_->setFocus();
}

void TForm_VarEdit::edtValueKeyPress()
{
    btnOk_->click();
}

std::optional<TVariableEntry> AddVariableDialog(QWidget* owner, const TGuard& guard)
{
    TForm_VarEdit dialog(owner, guard);
    dialog.SetNameLocked(false);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return TVariableEntry{dialog.NameEdit().text(), dialog.ResultValue()};
}

std::optional<QString> EditVariableDialog(QWidget* owner, const QString& name, const QString& value,
                                          const TGuard& guard)
{
    TForm_VarEdit dialog(owner, guard);
    dialog.NameEdit().setText(name);
    dialog.ValueEdit().setText(value);
    dialog.SetNameLocked(true);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.ResultValue();
}
