#include "app/KvtParser_Form_Saves.h"
#include "interpreter/SaveGame.h"
#include "support/TempDir.h"

#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

QStringList Rows(TForm_Saves& dialog, bool enabledOnly)
{
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("lstSlots"));
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        if (!enabledOnly || (list->item(i)->flags() & Qt::ItemIsEnabled))
            rows.append(list->item(i)->text().section(u' ', 0, 1));
    return rows;
}

} // namespace

// Saving may overwrite any slot; loading offers only those with a readable
// save, and a damaged one is shown as such rather than hidden.
TEST(SaveSlotsDialog, LoadOffersOnlyReadableSavesAndShowsTheirChapter)
{
    TTempDir dir;
    TSaveState state;
    state.Saved = QDateTime::currentDateTimeUtc();
    state.Chapter = QStringLiteral("2. The Crossing");
    state.Text.Bounds = {10, 585, 1014, 763};
    WriteSaveFile(dir.File(TSaveGame::SlotFileName(3)), state);
    dir.WriteUtf8(TSaveGame::SlotFileName(5), QStringLiteral("{\"format\": \"kvtparser-save\", \"vers"));

    TForm_Saves load(nullptr, TSlotMode::Load, dir.Path());
    EXPECT_EQ(Rows(load, true), QStringList{"Slot 3"});
    auto* list = load.findChild<QListWidget*>(QStringLiteral("lstSlots"));
    EXPECT_TRUE(list->item(2)->text().endsWith(QStringLiteral("\n2. The Crossing")));
    EXPECT_TRUE(list->item(4)->text().contains(QStringLiteral("Damaged")));

    TForm_Saves save(nullptr, TSlotMode::Save, dir.Path());
    EXPECT_EQ(Rows(save, true).size(), TForm_Saves::SlotCount);
    list = save.findChild<QListWidget*>(QStringLiteral("lstSlots"));
    list->setCurrentRow(6);
    for (QPushButton* button : save.findChildren<QPushButton*>())
        if (button->text() == u"Save")
            button->click();
    EXPECT_EQ(save.ChosenSlot(), 7);
}
