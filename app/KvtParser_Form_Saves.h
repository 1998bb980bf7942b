#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QListWidget;
class QMenu;
class QPushButton;
class QWidget;
class TGame;
class TSaveGame;
struct TSaveState;

enum class TSlotMode { Save, Load };

// The save slots of one story: each with its thumbnail, date, chapter and
// section. Saving may pick any slot (a taken one is overwritten); loading
// only one that holds a readable save.
class TForm_Saves final : public QDialog {
public:
    static constexpr int SlotCount = 12;

    TForm_Saves(QWidget* parent, TSlotMode mode, const QString& folder);
    // The slot picked, 1-based; none when cancelled.
    std::optional<int> ChosenSlot() const { return chosen_; }

private:
    void AddSlot(int slot, const QString& file);
    void Accept();

    TSlotMode mode_;
    QListWidget* list_ = nullptr;
    QPushButton* ok_ = nullptr;
    std::optional<int> chosen_;
};

// "Save...", "Load...", "Quick Save" (F6) and "Quick Load" (F8) in the File
// menu, and "Reload script" (Ctrl+R) for authors; also what the command
// line's "--save" and "--load" call.
class TSaveActions {
public:
    using TThumbnail = std::function<QByteArray()>;
    TSaveActions(TGame& game, TSaveGame& saves, TThumbnail thumbnail)
        : game_(game), saves_(saves), thumbnail_(std::move(thumbnail)) {}

    void AddTo(QMenu& file, QWidget& window, bool debug);

    // Raise ESaveFileError; a load that could not put everything back as it
    // was tells the reader what is different.
    void SaveToFile(const QString& fileName);
    void LoadFromFile(const QString& fileName);
    void Load(const TSaveState& state, const QString& fileName);
    void QuickSave();
    void QuickLoad();
    void ReloadScript();

private:
    QString SlotPath(const QString& name) const;
    void ChooseSlotAndSave();
    void ChooseSlotAndLoad();
    void Report(const QString& caption, const QStringList& problems);

    TGame& game_;
    TSaveGame& saves_;
    TThumbnail thumbnail_;
};
