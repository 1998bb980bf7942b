#pragma once

// Fonts for the viewport: the script's own font files, registered for this
// process only, and one shared font object per face, size and style.

#include "render/DxDevice.h"
#include "render/TypeUtils.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace FontStyle {
inline constexpr uint8_t Bold = 1;
inline constexpr uint8_t Italic = 2;
inline constexpr uint8_t Underline = 4;
inline constexpr uint8_t Strikeout = 8;
// Underline and strikeout are drawn by the text layout, not by the font, so
// they never make a different font object.
inline constexpr uint8_t FontMask = 0xF3;
} // namespace FontStyle

struct TFontInfo {
    QString name;
    int size = 0;       // points
    uint8_t style = 0;  // FontStyle flags
    TColorValue color = 0;
};

// a x b / c rounded to the nearest integer, halves away from zero; -1 when
// c is 0 (the system call the point-to-pixel conversion was defined with).
int MulDiv(int a, int b, int c);

class TFontManager {
public:
    using TLogHandler = std::function<void(const QString&)>;

    explicit TFontManager(TLogHandler onLog = {});
    ~TFontManager();
    TFontManager(const TFontManager&) = delete;
    TFontManager& operator=(const TFontManager&) = delete;

    // Registers every file of `folder` (letter case of the path ignored);
    // files that are not fonts are logged and skipped.
    void LoadFonts(const QString& folder);
    void UnloadFonts();
    const QStringList& FontFiles() const { return fontFiles_; }

    // True for an installed or registered family (letter case ignored) and
    // for the common faces of the scripts' home platform, which we draw with
    // a close installed substitute.
    bool FontExists(const QString& name) const;
    // The family actually used for `name`.
    static QString DrawnFamily(const QString& name);

    void SetDevice(std::shared_ptr<TDxDevice> device);
    void DeviceReset() {}
    void DeviceLost() { ClearCache(); }
    int LogPixelsY() const { return logPixelsY_; }

    // The shared font for these keys; raises ED3DError
    // "D3DXCreateFontW(<name>) failed: <code>." when it cannot be made.
    std::shared_ptr<TDxFont> GetFont(const QString& name, int size, uint8_t style);
    void ClearCache();
    int CacheCount() const { return static_cast<int>(cache_.size()); }

    static TFontInfo MakeFontInfo(const QString& name, int size, uint8_t style, TColorValue color);
    // Whether a user must drop its font object: colour, underline and
    // strikeout do not count.
    static bool FontInfoDiffers(const TFontInfo& a, const TFontInfo& b);

private:
    struct TCachedFont {
        QString name;
        int size;
        uint8_t style;
        std::shared_ptr<TDxFont> font;
    };

    void Log(const QString& line) const;
    void RegisterFile(const QString& folder, const QString& entry);

    QStringList fontFiles_;
    std::vector<int> fontIds_;
    TLogHandler onLog_;
    std::shared_ptr<TDxDevice> device_;
    // The game screen is a fixed 1024 x 768 space, so sizes convert at 96
    // dots per inch whatever the monitor says.
    int logPixelsY_ = 96;
    std::vector<TCachedFont> cache_;
};
