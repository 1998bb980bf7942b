#pragma once

#include "interpreter/ReaderFiles.h"

#include <QDialog>

#include <functional>

class QGridLayout;
class QLabel;
class QSlider;

// The reader's preferences: text speed, auto-forward pause and the three
// volumes. Every change applies at once through OnChanged; there is nothing
// to confirm, so the dialog stays open beside the story while it plays.
class TPreferencesDialog final : public QDialog {
public:
    explicit TPreferencesDialog(QWidget* parent = nullptr);

    void SetPreferences(const TReaderPreferences& preferences);
    TReaderPreferences Preferences() const;
    std::function<void(const TReaderPreferences&)> OnChanged;

    QSlider* TextSpeedSlider() const { return textSpeed_; }
    QSlider* AutoPauseSlider() const { return autoPause_; }
    QSlider* MusicSlider() const { return music_; }
    QSlider* BgSoundSlider() const { return bgSound_; }
    QSlider* EffectsSlider() const { return effects_; }

private:
    QSlider* AddSlider(QGridLayout& grid, const QString& caption, int lowest, int highest, int step, QLabel*& value);
    void UpdateLabels();
    void SliderMoved();

    QSlider* textSpeed_ = nullptr;
    QSlider* autoPause_ = nullptr;
    QSlider* music_ = nullptr;
    QSlider* bgSound_ = nullptr;
    QSlider* effects_ = nullptr;
    QLabel* textSpeedValue_ = nullptr;
    QLabel* autoPauseValue_ = nullptr;
    QLabel* musicValue_ = nullptr;
    QLabel* bgSoundValue_ = nullptr;
    QLabel* effectsValue_ = nullptr;
    bool setting_ = false;
};
