#pragma once

// Turns an image name a script uses into a loaded picture. The images
// folder may describe its pictures in "_images.code": a transparent colour,
// the frame size of an animation strip and its speed per image, and aliases
// (other names for image files). A name is tried as an alias, then as a
// file name, then with each picture extension.

#include "engine/Clock.h"
#include "engine/Exceptions.h"
#include "render/GraphicControls.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

// A malformed line of "_images.code".
KVT_DECLARE_EXCEPTION(EImageCodeError, Exception);
// An image or an aliased file that is not there.
KVT_DECLARE_EXCEPTION(EResourceMissing, Exception);

struct TImageSettings {
    QString Name;                   // matched ignoring letter case
    TColorValue ColorKey = NoColor;  // NoColor: no transparent colour
    int32_t FrameWidth = 0;         // 0: the whole picture width
    int32_t FrameHeight = 0;        // 0: the whole picture height
    int32_t AnimationSpeed = 0;     // milliseconds per frame
};

struct TImageAlias {
    QString Name;      // matched ignoring letter case
    QString FileName;  // relative to the images folder
};

class TImageManager {
public:
    using TLogHandler = std::function<void(const QString&)>;

    explicit TImageManager(const TClock& clock, TLogHandler onLog = {});

    // The manager holds no device resources; new pictures get the device.
    void SetDevice(std::shared_ptr<TDxDevice> device) { device_ = std::move(device); }
    void DeviceLost() {}
    void DeviceReset() {}

    // Stores the folder (ending in a separator), then LoadImageCode. Raises
    // EImageCodeError for a malformed line; the entries before it stay.
    void SetFolder(const QString& folder);
    const QString& Folder() const { return folder_; }
    // Empties both tables and reads "_images.code" when the folder has one.
    void LoadImageCode();

    const TImageSettings* FindSettings(const QString& name) const;
    // Empty when no alias has the name.
    QString FindAlias(const QString& name) const;
    const std::vector<TImageSettings>& Settings() const { return settings_; }
    const std::vector<TImageAlias>& Aliases() const { return aliases_; }

    // The file relative to the folder; raises EResourceMissing.
    QString ResolveImageFile(const QString& name) const;
    // A new picture owned by the caller; on failure nothing is created.
    std::unique_ptr<TDxPicture> LoadImage(const QString& name) const;
    // Loads into the caller's picture. A name that cannot be resolved leaves
    // the picture untouched; a file that fails to load leaves it empty.
    void ReloadImage(const QString& name, TDxPicture& picture) const;
    static void ApplySettings(TDxPicture& picture, const TImageSettings& entry);

private:
    struct TResolved {
        QString file;
        const TImageSettings* entry;
    };
    TResolved Resolve(const QString& name) const;
    void LoadResolved(const TResolved& image, TDxPicture& picture) const;
    void ReadImageCodeLine(const QString& line, int& section);
    void ReadSettingsLine(const QString& line);
    void ReadAliasLine(const QString& line);
    void Log(const QString& line) const;

    const TClock& clock_;
    TLogHandler onLog_;
    std::shared_ptr<TDxDevice> device_;
    QString folder_;
    std::vector<TImageSettings> settings_;
    std::vector<TImageAlias> aliases_;
};
