#include "app/KvtParser_Form_Saves.h"

#include "app/KvtApplication.h"
#include "interpreter/SaveGame.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr QSize ThumbnailSize(160, 120);

QString Describe(int slot, const TSaveState& state)
{
    QString text = QStringLiteral("Slot %1    %2").arg(slot).arg(state.Saved.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm")));
    if (!state.Chapter.isEmpty())
        text += u'\n' + state.Chapter;
    if (!state.Section.isEmpty())
        text += u'\n' + state.Section;
    return text;
}

QIcon Thumbnail(const QByteArray& png)
{
    QImage image;
    if (png.isEmpty() || !image.loadFromData(png, "PNG")) {
        image = QImage(ThumbnailSize, QImage::Format_RGB32);
        image.fill(Qt::black);
    }
    return QIcon(QPixmap::fromImage(image.scaled(ThumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

} // namespace

TForm_Saves::TForm_Saves(QWidget* parent, TSlotMode mode, const QString& folder) : QDialog(parent), mode_(mode)
{
    setWindowTitle(mode == TSlotMode::Save ? QStringLiteral("Save") : QStringLiteral("Load"));
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("lstSlots"));
    list_->setIconSize(ThumbnailSize);
    list_->setSpacing(2);
    list_->setMinimumSize(480, 560);
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setText(windowTitle());
    ok_->setEnabled(false);
    layout->addWidget(buttons);
    for (int slot = 1; slot <= SlotCount; ++slot)
        AddSlot(slot, QDir(folder).filePath(TSaveGame::SlotFileName(slot)));
    connect(list_, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* item) { ok_->setEnabled(item && (item->flags() & Qt::ItemIsEnabled)); });
    connect(list_, &QListWidget::itemActivated, this, [this] { Accept(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Accept(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TForm_Saves::AddSlot(int slot, const QString& file)
{
    auto* item = new QListWidgetItem(list_);
    item->setData(Qt::UserRole, slot);
    bool usable = mode_ == TSlotMode::Save;
    if (!QFileInfo::exists(file)) {
        item->setText(QStringLiteral("Slot %1    Empty").arg(slot));
        item->setIcon(Thumbnail({}));
    } else {
        try {
            const TSaveState state = ReadSaveFile(file);
            item->setText(Describe(slot, state));
            item->setIcon(Thumbnail(state.Thumbnail));
            usable = true;
        } catch (const ESaveFileError& e) {
            // Shown, so the reader knows the slot is taken, but never loaded.
            item->setText(QStringLiteral("Slot %1    Damaged save").arg(slot));
            item->setToolTip(e.Message());
            item->setIcon(Thumbnail({}));
        }
    }
    if (!usable)
        item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
}

void TForm_Saves::Accept()
{
    const QListWidgetItem* item = list_->currentItem();
    if (!item || !(item->flags() & Qt::ItemIsEnabled))
        return;
    chosen_ = item->data(Qt::UserRole).toInt();
    accept();
}

// ---------------------------------------------------------------- actions

void TSaveActions::AddTo(QMenu& file, QWidget& window, bool debug)
{
    auto add = [&](const QString& text, const QKeySequence& key, void (TSaveActions::*method)()) {
        QAction* action = file.addAction(text);
        action->setShortcut(key);
        // The menu bar is hidden in full screen; the window keeps the keys.
        window.addAction(action);
        QObject::connect(action, &QAction::triggered, &window, [this, method] { game_.Guard([this, method] { (this->*method)(); }); });
        return action;
    };
    file.addSeparator();
    add(QStringLiteral("Save..."), {}, &TSaveActions::ChooseSlotAndSave);
    add(QStringLiteral("Load..."), {}, &TSaveActions::ChooseSlotAndLoad);
    add(QStringLiteral("Quick Save"), QKeySequence(Qt::Key_F6), &TSaveActions::QuickSave);
    add(QStringLiteral("Quick Load"), QKeySequence(Qt::Key_F8), &TSaveActions::QuickLoad);
    QAction* reload = add(QStringLiteral("Reload script"), QKeySequence(Qt::CTRL | Qt::Key_R), &TSaveActions::ReloadScript);
    reload->setVisible(debug);
    reload->setEnabled(debug);
}

QString TSaveActions::SlotPath(const QString& name) const
{
    const QString folder = saves_.SaveFolder();
    if (folder.isEmpty())
        throw ESaveFileError(QStringLiteral("There is no folder for saves: the user data folder is unknown."));
    if (!QDir().mkpath(folder))
        throw ESaveFileError(QStringLiteral("Cannot create the folder for saves \"%1\".").arg(folder));
    return QDir(folder).filePath(name);
}

void TSaveActions::SaveToFile(const QString& fileName)
{
    TSaveState state = saves_.Capture();
    state.Thumbnail = thumbnail_ ? thumbnail_() : QByteArray();
    WriteSaveFile(fileName, state);
    game_.Log(QStringLiteral("Saved to \"%1\".").arg(fileName));
}

void TSaveActions::LoadFromFile(const QString& fileName)
{
    Load(ReadSaveFile(fileName), fileName);
}

void TSaveActions::Load(const TSaveState& state, const QString& fileName)
{
    const QStringList problems = saves_.Apply(state);
    game_.Log(QStringLiteral("Loaded \"%1\".").arg(fileName));
    Report(QStringLiteral("Load"), problems);
}

void TSaveActions::Report(const QString& caption, const QStringList& problems)
{
    for (const QString& problem : problems)
        game_.Log(problem);
    if (!problems.isEmpty())
        game_.ShowMessage(caption, problems.join(u'\n'));
}

void TSaveActions::QuickSave()
{
    SaveToFile(SlotPath(TSaveGame::QuickSaveFileName()));
}

void TSaveActions::QuickLoad()
{
    const QString file = SlotPath(TSaveGame::QuickSaveFileName());
    if (!QFileInfo::exists(file)) {
        game_.ShowMessage(QStringLiteral("Quick Load"), QStringLiteral("There is no quick save yet."));
        return;
    }
    LoadFromFile(file);
}

void TSaveActions::ChooseSlotAndSave()
{
    const QString folder = QFileInfo(SlotPath(QStringLiteral("x"))).absolutePath();
    // The thumbnail is of the screen as it is now, not with the dialog over it.
    TSaveState state = saves_.Capture();
    state.Thumbnail = thumbnail_ ? thumbnail_() : QByteArray();
    std::optional<int> slot;
    game_.RunModal([&] { slot = game_.Dialogs().ChooseSaveSlot(TSlotMode::Save, folder); });
    if (!slot)
        return;
    const QString file = QDir(folder).filePath(TSaveGame::SlotFileName(*slot));
    WriteSaveFile(file, state);
    game_.Log(QStringLiteral("Saved to \"%1\".").arg(file));
}

void TSaveActions::ChooseSlotAndLoad()
{
    const QString folder = QFileInfo(SlotPath(QStringLiteral("x"))).absolutePath();
    std::optional<int> slot;
    game_.RunModal([&] { slot = game_.Dialogs().ChooseSaveSlot(TSlotMode::Load, folder); });
    if (slot)
        LoadFromFile(QDir(folder).filePath(TSaveGame::SlotFileName(*slot)));
}

void TSaveActions::ReloadScript()
{
    if (!game_.DebugMode())
        return;
    const QStringList problems = saves_.ReloadScript();
    game_.Log(QStringLiteral("Script reloaded."));
    Report(QStringLiteral("Reload script"), problems);
}
