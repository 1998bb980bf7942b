#include "app/KvtParser_Form_VarEdit.h"
#include "app/VariableEditing.h"
#include "engine/Exceptions.h"
#include "engine/KvtVariables.h"
#include "FakeDialogs.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class VariableEditorTest : public testing::Test {
protected:
    // Runs the steps on the dialog once its modal loop has started.
    static void WhileModal(const std::function<void(TForm_VarEdit&)>& steps)
    {
        QTimer::singleShot(0, [steps] {
            auto* dialog = dynamic_cast<TForm_VarEdit*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            steps(*dialog);
        });
    }
    static QPushButton& Button(TForm_VarEdit& dialog, const char* name)
    {
        return *dialog.findChild<QPushButton*>(QString::fromLatin1(name));
    }

    QStringList errors_;
    // Reports as the application does: the message, and the dialog lives on.
    TGuard guard_ = [this](const std::function<void()>& action) {
        try {
            action();
        } catch (const Exception& e) {
            errors_.append(e.Message());
        }
    };
};

} // namespace

TEST_F(VariableEditorTest, AddRefusesAnEmptyNameAndStaysOpen_EnterWalksFromNameToValueToOk)
{
    WhileModal([this](TForm_VarEdit& dialog) {
        QTest::keyClicks(&dialog.ValueEdit(), QStringLiteral("10"));
        Button(dialog, "btnOk").click();
        EXPECT_EQ(errors_, QStringList{"You must specify a variable name."});
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.ValueEdit().text(), QStringLiteral("10"));
        EXPECT_FALSE(dialog.NameLocked());
        QTest::keyClicks(&dialog.NameEdit(), QStringLiteral("score"));
        QTest::keyClick(&dialog.NameEdit(), Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), &dialog.ValueEdit());
        QTest::keyClick(&dialog.ValueEdit(), Qt::Key_Return);
    });
    const std::optional<TVariableEntry> entry = AddVariableDialog(nullptr, guard_);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->Name, QStringLiteral("score"));
    EXPECT_EQ(entry->Value, QStringLiteral("10"));
}

TEST_F(VariableEditorTest, EditLocksTheNameAcceptsAnEmptyValue_EscapeAndCancelChangeNothing)
{
    WhileModal([](TForm_VarEdit& dialog) {
        EXPECT_FALSE(dialog.NameEdit().isEnabled());
        EXPECT_EQ(dialog.NameEdit().text(), QStringLiteral("score"));
        dialog.ValueEdit().clear();
        Button(dialog, "btnOk").click();
    });
    EXPECT_EQ(EditVariableDialog(nullptr, QStringLiteral("score"), QStringLiteral("10"), guard_), QString(""));
    EXPECT_TRUE(errors_.isEmpty());

    WhileModal([](TForm_VarEdit& dialog) {
        dialog.ValueEdit().setText(QStringLiteral("11"));
        QTest::keyClick(&dialog.ValueEdit(), Qt::Key_Escape);
    });
    EXPECT_EQ(EditVariableDialog(nullptr, QStringLiteral("score"), QStringLiteral("10"), guard_), std::nullopt);
    WhileModal([](TForm_VarEdit& dialog) { Button(dialog, "btnCancel").click(); });
    EXPECT_EQ(AddVariableDialog(nullptr, guard_).has_value(), false);
}

// The story runs behind the modal dialog: an entry that moved meanwhile
// must get the value, not whichever variable now has its old place.
TEST_F(VariableEditorTest, EditedValueGoesToTheVariableByNameAfterTheStoreChanged)
{
    TKvtVariables variables;
    variables.SetStr(QStringLiteral("a"), QStringLiteral("1"));
    variables.SetStr(QStringLiteral("b"), QStringLiteral("2"));
    TFakeDialogs dialogs;
    dialogs.WhileOpen = [&] { variables.Undefine(QStringLiteral("a")); };
    dialogs.EditedValue = QStringLiteral("20");
    EditVariableThroughDialog(dialogs, variables, 1);
    EXPECT_EQ(dialogs.Offered.Name, QStringLiteral("b"));
    EXPECT_EQ(dialogs.Offered.Value, QStringLiteral("2"));
    EXPECT_EQ(variables.Count(), 1);
    EXPECT_EQ(variables.GetStr(QStringLiteral("b")), QStringLiteral("20"));

    dialogs.WhileOpen = nullptr;
    dialogs.NewVariable = TVariableEntry{QStringLiteral("c"), QStringLiteral("3")};
    AddVariableThroughDialog(dialogs, variables);
    dialogs.NewVariable = TVariableEntry{QStringLiteral("b"), QStringLiteral("21")};
    AddVariableThroughDialog(dialogs, variables);
    EXPECT_EQ(variables.Count(), 2);
    EXPECT_EQ(variables.GetStr(QStringLiteral("b")), QStringLiteral("21"));
    EXPECT_EQ(variables.GetStr(QStringLiteral("c")), QStringLiteral("3"));
}
