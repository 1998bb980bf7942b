#include "app/KvtParser_Form_Dep.h"
#include "engine/KvtEngine.h"
#include "support/TempDir.h"

#include <QComboBox>
#include <QDir>
#include <QListWidget>

#include <gtest/gtest.h>

namespace {

class DependenciesDialogTest : public testing::Test {
protected:
    void TearDown() override { QDir::setCurrent(savedCwd_); }

    void Load(const QString& script) { parser_.LoadScript(dir_.WriteUtf8(QStringLiteral("story.kvt"), script)); }
    // As the author picks an entry: by its caption.
    QStringList Pick(TForm_Dep& dialog, const QString& caption)
    {
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("cbListType"));
        const int index = types->findText(caption);
        types->setCurrentIndex(index);
        Q_EMIT types->activated(index);
        return Rows(dialog);
    }
    static QStringList Rows(TForm_Dep& dialog)
    {
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("lbList"));
        QStringList rows;
        for (int i = 0; i < list->count(); ++i)
            rows.append(list->item(i)->text());
        return rows;
    }

    TTempDir dir_;
    TKvtParser parser_;

private:
    QString savedCwd_ = QDir::currentPath();
};

} // namespace

TEST_F(DependenciesDialogTest, StartsEmptyAndShowsTheListPicked)
{
    Load(QStringLiteral("#start\n@goto End\n#end\n#start\n@bg forest\n"));
    TForm_Dep dialog(nullptr, parser_);
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("cbListType"));
    EXPECT_EQ(types->count(), 11);
    EXPECT_EQ(types->currentIndex(), -1);
    EXPECT_TRUE(Rows(dialog).isEmpty());
    EXPECT_EQ(Pick(dialog, QStringLiteral("Duplicate #")), QStringList{"start"});
    EXPECT_TRUE(Pick(dialog, QStringLiteral("Missing #")).isEmpty());
    EXPECT_EQ(Pick(dialog, QStringLiteral("Missing bg")), QStringList{"forest"});
}

// The story goes on behind the dialog and may load another script, and the
// author may add the missing files while it is open.
TEST_F(DependenciesDialogTest, PickingAgainSeesANewScriptAndNewFiles)
{
    Load(QStringLiteral("@bg forest\n"));
    TForm_Dep dialog(nullptr, parser_);
    EXPECT_EQ(Pick(dialog, QStringLiteral("Missing bg")), QStringList{"forest"});
    dir_.Write(QStringLiteral("images/forest.jpg"), "x");
    EXPECT_TRUE(Pick(dialog, QStringLiteral("Missing bg")).isEmpty());
    Load(QStringLiteral("@bg lake\n"));
    EXPECT_EQ(Pick(dialog, QStringLiteral("bg")), QStringList{"lake"});
}
