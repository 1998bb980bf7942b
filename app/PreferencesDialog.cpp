#include "app/PreferencesDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

// Volumes are 0..255 inside, percent for the reader.
int VolumePercent(int volume)
{
    return (volume * 100 + 127) / 255;
}

int VolumeFromPercent(int percent)
{
    return (percent * 255 + 50) / 100;
}

} // namespace

TPreferencesDialog::TPreferencesDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Preferences"));
    auto* grid = new QGridLayout;
    grid->setColumnMinimumWidth(1, 240);
    grid->setColumnMinimumWidth(2, 64);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    textSpeed_ = AddSlider(*grid, QStringLiteral("Text speed"), TReaderPreferences::SlowestTextSpeed,
                           TReaderPreferences::FastestTextSpeed, 25, textSpeedValue_);
    autoPause_ = AddSlider(*grid, QStringLiteral("Auto-forward pause"), 0, TReaderPreferences::LongestAutoPauseMs,
                           100, autoPauseValue_);
    music_ = AddSlider(*grid, QStringLiteral("Music volume"), 0, 100, 5, musicValue_);
    bgSound_ = AddSlider(*grid, QStringLiteral("Background sound volume"), 0, 100, 5, bgSoundValue_);
    effects_ = AddSlider(*grid, QStringLiteral("Effects volume"), 0, 100, 5, effectsValue_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::RestoreDefaults | QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this, [this] {
        SetPreferences(TReaderPreferences{});
        SliderMoved();
    });
    layout->addWidget(buttons);
    SetPreferences(TReaderPreferences{});
}

QSlider* TPreferencesDialog::AddSlider(QGridLayout& grid, const QString& caption, int lowest, int highest, int step,
                                       QLabel*& value)
{
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setAccessibleName(caption);
    slider->setRange(lowest, highest);
    slider->setSingleStep(step);
    slider->setPageStep(step * 4);
    value = new QLabel(this);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(slider, &QSlider::valueChanged, this, [this] { SliderMoved(); });
    const int row = grid.count() / 3;  // caption, slider, value
    grid.addWidget(new QLabel(caption, this), row, 0);
    grid.addWidget(slider, row, 1);
    grid.addWidget(value, row, 2);
    return slider;
}

void TPreferencesDialog::SetPreferences(const TReaderPreferences& preferences)
{
    setting_ = true;
    textSpeed_->setValue(preferences.TextSpeed);
    autoPause_->setValue(preferences.AutoPauseMs);
    music_->setValue(VolumePercent(preferences.MusicVolume));
    bgSound_->setValue(VolumePercent(preferences.BgSoundVolume));
    effects_->setValue(VolumePercent(preferences.EffectsVolume));
    setting_ = false;
    UpdateLabels();
}

TReaderPreferences TPreferencesDialog::Preferences() const
{
    TReaderPreferences preferences;
    preferences.TextSpeed = textSpeed_->value();
    preferences.AutoPauseMs = autoPause_->value();
    preferences.MusicVolume = VolumeFromPercent(music_->value());
    preferences.BgSoundVolume = VolumeFromPercent(bgSound_->value());
    preferences.EffectsVolume = VolumeFromPercent(effects_->value());
    return preferences;
}

void TPreferencesDialog::UpdateLabels()
{
    const int speed = textSpeed_->value();
    textSpeedValue_->setText(speed >= TReaderPreferences::FastestTextSpeed ? QStringLiteral("Instant")
                                                                           : QStringLiteral("%1 %").arg(speed));
    autoPauseValue_->setText(QStringLiteral("%1 s").arg(autoPause_->value() / 1000.0, 0, 'f', 1));
    musicValue_->setText(QStringLiteral("%1 %").arg(music_->value()));
    bgSoundValue_->setText(QStringLiteral("%1 %").arg(bgSound_->value()));
    effectsValue_->setText(QStringLiteral("%1 %").arg(effects_->value()));
}

void TPreferencesDialog::SliderMoved()
{
    UpdateLabels();
    if (!setting_ && OnChanged)
        OnChanged(Preferences());
}
