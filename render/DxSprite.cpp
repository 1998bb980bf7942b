#include "render/DxDevice.h"

#include <cmath>

namespace {

// The texture part tinted by the RGB of a modulating colour; only taken
// when the colour is not white, so the common draw copies nothing.
QImage Tinted(const QImage& source, uint32_t color)
{
    QImage result = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const uint32_t r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgba(qRed(p) * r / 255, qGreen(p) * g / 255, qBlue(p) * b / 255, qAlpha(p));
        }
    }
    return result;
}

// A texel modulated by the RGB of a colour; its own alpha stays.
QColor Modulated(QRgb texel, uint32_t color)
{
    const uint32_t r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
    return QColor(qRed(texel) * r / 255, qGreen(texel) * g / 255, qBlue(texel) * b / 255, qAlpha(texel));
}

QColor ArgbColor(uint32_t color)
{
    return QColor::fromRgba(color);
}

} // namespace

// ----------------------------------------------------------------- sprite

TResult TDxSprite::Create(const std::shared_ptr<TDxDevice>& device, std::unique_ptr<TDxSprite>& out)
{
    if (!device)
        return DxResult::InvalidCall;
    if (const TResult fault = device->TakeFault(TDxCall::CreateSprite))
        return fault;
    out = std::make_unique<TDxSprite>(device);
    return DxResult::Ok;
}

TDxSprite::TDxSprite(std::shared_ptr<TDxDevice> device) : device_(std::move(device)) {}

TDxSprite::~TDxSprite() = default;

TResult TDxSprite::Begin(uint32_t /*flags*/)
{
    if (painter_)
        return DxResult::InvalidCall;
    painter_.emplace(&device_->BackBuffer());
    painter_->setRenderHint(QPainter::SmoothPixmapTransform);
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setCompositionMode(device_->AlphaBlend() ? QPainter::CompositionMode_SourceOver
                                                       : QPainter::CompositionMode_Source);
    return DxResult::Ok;
}

TResult TDxSprite::Draw(const TDxTexture& texture, const TRect* source, QPointF position, uint32_t color)
{
    if (const TResult fault = device_->TakeFault(TDxCall::SpriteDraw))
        return fault;
    if (!painter_)
        return DxResult::InvalidCall;
    const QImage& image = texture.Level0().DrawImage();
    const QRect whole = image.rect();
    const QRect part = source ? QRect(source->left, source->top, source->Width(), source->Height()) & whole : whole;
    if (part.isEmpty())
        return DxResult::Ok;
    const int alpha = static_cast<int>(color >> 24);
    if (alpha == 0)
        return DxResult::Ok;
    painter_->setTransform(PaintTransform());
    painter_->setOpacity(alpha / 255.0);
    if (const std::optional<QRgb> uniform = texture.Level0().UniformColor())
        painter_->fillRect(QRectF(position, QSizeF(part.size())), Modulated(*uniform, color));
    else if ((color & 0xFFFFFFu) == 0xFFFFFFu) {
        if (!DrawScaledCopy(texture.Level0(), part, position))
            painter_->drawImage(position, image, part);
    } else
        painter_->drawImage(position, Tinted(image.copy(part), color));
    painter_->setOpacity(1.0);
    return DxResult::Ok;
}

// A texture drawn at the same scale frame after frame (a zoomed background,
// every layer of an enlarged viewport) is scaled once and then copied at
// whole pixels: filtering every pixel on every frame is most of what such
// a draw costs. Copies much larger than the screen are not kept.
bool TDxSprite::DrawScaledCopy(const TDxSurface& surface, const QRect& part, QPointF position)
{
    const QTransform transform = PaintTransform();
    if (transform.type() != QTransform::TxScale || transform.m11() <= 0 || transform.m22() <= 0)
        return false;
    const QRectF target = transform.mapRect(QRectF(position, QSizeF(part.size())));
    const QSize size(qRound(target.width()), qRound(target.height()));
    const QSize screen = device_->BackBuffer().size();
    if (size.isEmpty() || qint64(size.width()) * size.height() > 4 * qint64(screen.width()) * screen.height())
        return false;
    const QImage* scaled = surface.ScaledCopy(part, size);
    if (!scaled)
        return false;
    painter_->setTransform(QTransform());
    painter_->drawImage(QPoint(qRound(target.left()), qRound(target.top())), *scaled);
    return true;
}

TResult TDxSprite::SetTransform(const QTransform& transform)
{
    transform_ = transform;
    return DxResult::Ok;
}

QTransform TDxSprite::PaintTransform() const
{
    return transform_ * device_->ViewTransform();
}

TResult TDxSprite::End()
{
    if (!painter_)
        return DxResult::InvalidCall;
    painter_.reset();
    return DxResult::Ok;
}

QPainter* TDxSprite::Painter()
{
    return painter_ ? &*painter_ : nullptr;
}

// ------------------------------------------------------------------- font

TResult TDxFont::Create(const std::shared_ptr<TDxDevice>& device, const TFontDesc& desc, std::shared_ptr<TDxFont>& out)
{
    if (!device)
        return DxResult::InvalidCall;
    if (const TResult fault = device->TakeFault(TDxCall::CreateFont))
        return fault;
    out = std::make_shared<TDxFont>(device, desc);
    return DxResult::Ok;
}

namespace {

QFont MakeQFont(const TFontDesc& desc)
{
    QFont font(desc.faceName);
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setWeight(desc.weight >= 600 ? QFont::Bold : QFont::Normal);
    font.setItalic(desc.italic);
    // A negative height is the character (em) height; a positive one the
    // whole cell, which we scale back to an em height through the metrics.
    const int magnitude = std::max(1, std::abs(desc.height == 0 ? 16 : desc.height));
    font.setPixelSize(magnitude);
    if (desc.height > 0) {
        const QFontMetrics metrics(font);
        const int cell = metrics.ascent() + metrics.descent();
        if (cell > 0)
            font.setPixelSize(std::max(1, magnitude * magnitude / cell));
    }
    return font;
}

} // namespace

TDxFont::TDxFont(const std::shared_ptr<TDxDevice>& device, const TFontDesc& desc)
    : device_(device), desc_(desc), font_(MakeQFont(desc)), metrics_(font_) {}

int TDxFont::DrawText(TDxSprite* sprite, const QString& text, TRect& rect, uint32_t format, uint32_t color)
{
    const std::shared_ptr<TDxDevice> device = device_.lock();
    if (!device || DxFailed(device->TakeFault(TDxCall::DrawText)))
        return 0;
    const bool singleLine = (format & DrawTextFormat::SingleLine) != 0;
    const QString shown = singleLine ? QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')) : text;
    if (format & DrawTextFormat::CalcRect)
        return Measure(shown, rect, format);
    if (QPainter* painter = sprite ? sprite->Painter() : nullptr) {
        painter->setTransform(sprite->PaintTransform());
        Paint(*painter, shown, rect, format, color);
    } else {
        QPainter direct(&device->BackBuffer());
        direct.setTransform(device->ViewTransform());
        Paint(direct, shown, rect, format, color);
    }
    return TextHeight(shown, singleLine);
}

// Without the single-line flag each line break starts a new line, and the
// text is as wide as its widest line (the selection box sizes multi-line
// choices this way).
int TDxFont::TextHeight(const QString& text, bool singleLine) const
{
    if (singleLine)
        return metrics_.height();
    return metrics_.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::AlignLeft | Qt::AlignTop, text).height();
}

int TDxFont::Measure(const QString& text, TRect& rect, uint32_t format) const
{
    const bool singleLine = (format & DrawTextFormat::SingleLine) != 0;
    const int width = singleLine
        ? metrics_.horizontalAdvance(text)
        : metrics_.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::AlignLeft | Qt::AlignTop, text).width();
    const int height = TextHeight(text, singleLine);
    if (format & DrawTextFormat::Center)
        rect.left += (rect.Width() - width) / 2;
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    return height;
}

void TDxFont::Paint(QPainter& painter, const QString& text, const TRect& rect, uint32_t format, uint32_t color) const
{
    int flags = (format & DrawTextFormat::SingleLine) ? Qt::TextSingleLine : 0;
    flags |= (format & DrawTextFormat::Center) ? Qt::AlignHCenter
           : (format & DrawTextFormat::Right) ? Qt::AlignRight : Qt::AlignLeft;
    flags |= (format & DrawTextFormat::VCenter) ? Qt::AlignVCenter
           : (format & DrawTextFormat::Bottom) ? Qt::AlignBottom : Qt::AlignTop;
    if (format & DrawTextFormat::NoClip)
        flags |= Qt::TextDontClip;
    painter.setFont(font_);
    painter.setPen(ArgbColor(color));
    painter.setOpacity(1.0);
    painter.drawText(QRect(rect.left, rect.top, rect.Width(), rect.Height()), flags, text);
}
