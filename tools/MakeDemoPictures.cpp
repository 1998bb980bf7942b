// Draws the demo story's pictures into its images folder:
//   make_demo_pictures examples/demo
// The output is committed; run this again only to change the pictures.
// Everything is painted from shapes and a seeded random sequence, so no
// picture of unknown origin enters the repository.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <cstdio>

namespace {

void Sky(QPainter& p, const QRect& area, QColor top, QColor horizon)
{
    QLinearGradient gradient(area.topLeft(), area.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, horizon);
    p.fillRect(area, gradient);
}

void Sea(QPainter& p, const QRect& area, QRandomGenerator& random)
{
    QLinearGradient gradient(area.topLeft(), area.bottomLeft());
    gradient.setColorAt(0, QColor(0x3a, 0x52, 0x63));
    gradient.setColorAt(1, QColor(0x0f, 0x1b, 0x25));
    p.fillRect(area, gradient);
    // Glints on the waves, longer and brighter towards the viewer.
    for (int i = 0; i < area.width() / 3; ++i) {
        const double depth = random.bounded(1.0);
        const int y = area.top() + int(depth * depth * area.height());
        const int x = area.left() + random.bounded(area.width());
        const int length = 6 + int(depth * 40);
        p.setPen(QPen(QColor(0xa0, 0xb8, 0xc8, 30 + int(depth * 60)), 1 + depth * 2));
        p.drawLine(x, y, x + length, y);
    }
}

void Hills(QPainter& p, int width, int horizon, QRandomGenerator& random)
{
    QPainterPath path(QPointF(0, horizon));
    for (int x = 0; x <= width; x += 64)
        path.lineTo(x, horizon - 20 - random.bounded(50));
    path.lineTo(width, horizon);
    path.closeSubpath();
    p.fillPath(path, QColor(0x1e, 0x2a, 0x33));
}

void Houses(QPainter& p, int left, int baseline, QRandomGenerator& random)
{
    for (int i = 0; i < 7; ++i) {
        const int w = 40 + random.bounded(30), h = 40 + random.bounded(50);
        const QRect house(left + i * 52, baseline - h, w, h);
        p.fillRect(house, QColor(0x2c, 0x26, 0x2a));
        QPolygon roof({house.topLeft(), QPoint(house.center().x(), house.top() - 22), house.topRight()});
        p.setBrush(QColor(0x3d, 0x2b, 0x2b));
        p.setPen(Qt::NoPen);
        p.drawPolygon(roof);
        for (int window = 0; window < 2; ++window)
            if (random.bounded(3) != 0)
                p.fillRect(house.left() + 8 + window * 18, house.top() + 14, 9, 12, QColor(0xf2, 0xc7, 0x6b));
    }
}

void Lighthouse(QPainter& p, QPoint foot, int height)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x26, 0x26, 0x2b));
    p.drawEllipse(QRect(foot.x() - 90, foot.y() - 30, 180, 60));  // the rock
    const int stripes = 6;
    for (int i = 0; i < stripes; ++i) {
        const double top = double(i) / stripes, bottom = double(i + 1) / stripes;
        const int y0 = foot.y() - int(height * bottom), y1 = foot.y() - int(height * top);
        const int half0 = 14 + int(10 * (1 - bottom)), half1 = 14 + int(10 * (1 - top));
        QPolygon band({QPoint(foot.x() - half1, y1), QPoint(foot.x() + half1, y1), QPoint(foot.x() + half0, y0),
                       QPoint(foot.x() - half0, y0)});
        p.setBrush(i % 2 ? QColor(0xb0, 0x30, 0x2a) : QColor(0xe8, 0xe4, 0xdc));
        p.drawPolygon(band);
    }
    const QPoint lamp(foot.x(), foot.y() - height - 14);
    QRadialGradient glow(lamp, 120);
    glow.setColorAt(0, QColor(0xff, 0xe8, 0x9a, 220));
    glow.setColorAt(1, QColor(0xff, 0xe8, 0x9a, 0));
    p.setBrush(glow);
    p.drawEllipse(lamp, 120, 120);
    p.setBrush(QColor(0x33, 0x33, 0x38));
    p.drawRect(foot.x() - 16, foot.y() - height - 30, 32, 6);
}

void Pier(QPainter& p, int y, int length)
{
    p.fillRect(0, y, length, 14, QColor(0x4a, 0x36, 0x28));
    for (int x = 10; x < length; x += 60)
        p.fillRect(x, y + 14, 8, 90, QColor(0x33, 0x25, 0x1c));
}

void Rain(QPainter& p, const QSize& size, QRandomGenerator& random)
{
    p.setPen(QPen(QColor(0xc8, 0xd8, 0xe8, 70), 1));
    for (int i = 0; i < size.width() * size.height() / 1500; ++i) {
        const int x = random.bounded(size.width()), y = random.bounded(size.height());
        p.drawLine(x, y, x - 6, y + 22);
    }
}

void Boat(QPainter& p, QPoint waterline, double scale, QColor hull)
{
    p.save();
    p.translate(waterline);
    p.scale(scale, scale);
    p.setPen(Qt::NoPen);
    p.setBrush(hull);
    p.drawPolygon(QPolygon({QPoint(-60, -14), QPoint(60, -14), QPoint(44, 8), QPoint(-44, 8)}));
    p.setBrush(QColor(0xd8, 0xd0, 0xc0));
    p.drawPolygon(QPolygon({QPoint(-2, -16), QPoint(-2, -90), QPoint(46, -20)}));
    p.restore();
}

void Ferry(QPainter& p, QPoint waterline)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2a, 0x2e, 0x36));
    p.drawPolygon(QPolygon({waterline + QPoint(-150, -34), waterline + QPoint(160, -34), waterline + QPoint(130, 10),
                            waterline + QPoint(-130, 10)}));
    p.setBrush(QColor(0xe0, 0xdc, 0xd2));
    p.drawRect(QRect(waterline + QPoint(-90, -74), QSize(170, 40)));
    p.setBrush(QColor(0xb0, 0x30, 0x2a));
    p.drawRect(QRect(waterline + QPoint(20, -112), QSize(28, 38)));
    for (int x = -80; x < 70; x += 22)
        p.fillRect(QRect(waterline + QPoint(x, -62), QSize(12, 10)), QColor(0xf2, 0xc7, 0x6b));
}

QImage Harbour()
{
    QImage image(1024, 768, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator random(7);
    Sky(p, QRect(0, 0, 1024, 470), QColor(0x16, 0x22, 0x30), QColor(0x5b, 0x6e, 0x7d));
    Hills(p, 1024, 470, random);
    Sea(p, QRect(0, 470, 1024, 298), random);
    Houses(p, 20, 470, random);
    Lighthouse(p, QPoint(830, 520), 230);
    Boat(p, QPoint(600, 500), 0.5, QColor(0x5a, 0x3a, 0x2a));
    Pier(p, 640, 560);
    Rain(p, image.size(), random);
    return image;
}

// A panorama twice the screen's width, panned across and zoomed into.
QImage OpenSea()
{
    QImage image(2048, 768, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator random(11);
    Sky(p, QRect(0, 0, 2048, 420), QColor(0x24, 0x38, 0x52), QColor(0xc9, 0x9a, 0x7a));
    QRadialGradient sun(QPointF(1650, 420), 260);
    sun.setColorAt(0, QColor(0xff, 0xd8, 0x9a, 200));
    sun.setColorAt(1, QColor(0xff, 0xd8, 0x9a, 0));
    p.fillRect(QRect(1300, 160, 700, 260), sun);
    Sea(p, QRect(0, 420, 2048, 348), random);
    Boat(p, QPoint(360, 470), 0.9, QColor(0x6a, 0x3a, 0x2a));
    Boat(p, QPoint(820, 455), 0.6, QColor(0x2a, 0x4a, 0x5a));
    Boat(p, QPoint(1180, 445), 0.45, QColor(0x5a, 0x5a, 0x3a));
    Ferry(p, QPoint(1650, 432));
    return image;
}

// The text window's panel: dark blue with a gold frame; the window
// stretches it over its own size.
QImage Panel()
{
    QImage image(500, 90, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, 90);
    gradient.setColorAt(0, QColor(0x1c, 0x2c, 0x44));
    gradient.setColorAt(1, QColor(0x0c, 0x14, 0x22));
    p.setBrush(gradient);
    p.setPen(QPen(QColor(0xc8, 0xa2, 0x4a), 2));
    p.drawRoundedRect(QRectF(2, 2, 496, 86), 10, 10);
    p.setPen(QPen(QColor(0xc8, 0xa2, 0x4a, 110), 1));
    p.drawRoundedRect(QRectF(6, 6, 488, 78), 7, 7);
    return image;
}

// The continue cursor: a little boat bobbing over four frames of 16 x 16,
// on magenta, which the images folder's settings make transparent.
QImage WaveStrip()
{
    QImage image(64, 16, QImage::Format_RGB32);
    image.fill(QColor(0xff, 0x00, 0xff));
    QPainter p(&image);
    const int lift[] = {0, 1, 2, 1};
    for (int frame = 0; frame < 4; ++frame) {
        const int x = frame * 16, y = 9 - lift[frame];
        p.fillRect(x + 2, y, 12, 3, QColor(0xf2, 0xc7, 0x6b));
        p.fillRect(x + 7, y - 6, 2, 6, QColor(0xe8, 0xe4, 0xdc));
        p.fillRect(x + 9, y - 5, 3, 4, QColor(0xe8, 0xe4, 0xdc));
        p.fillRect(x, 13, 16, 2, QColor(0x6a, 0x9a, 0xc0));
    }
    return image;
}

// A pointer whose tip is the top-left pixel pair the frame draws it from.
QImage Pointer()
{
    QImage image(24, 24, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPolygonF arrow({QPointF(2, 2), QPointF(2, 19), QPointF(7, 14), QPointF(11, 22), QPointF(14, 20),
                           QPointF(10, 13), QPointF(17, 13)});
    p.setBrush(QColor(0xf2, 0xc7, 0x6b));
    p.setPen(QPen(QColor(0x1c, 0x1c, 0x24), 1.5));
    p.drawPolygon(arrow);
    return image;
}

bool Save(const QImage& image, const QDir& folder, const char* name, int quality = -1)
{
    const QString path = folder.filePath(QString::fromLatin1(name));
    if (image.save(path, nullptr, quality))
        return true;
    std::fprintf(stderr, "make_demo_pictures: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_pictures STORY_FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir images(QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("images")));
    if (!QDir().mkpath(images.path())) {
        std::fprintf(stderr, "make_demo_pictures: cannot create %s\n", qPrintable(images.path()));
        return 1;
    }
    // Moderate quality keeps the backgrounds small; rain and waves hide it.
    const bool saved = Save(Harbour(), images, "harbour.jpg", 70) && Save(OpenSea(), images, "opensea.jpg", 70)
                    && Save(Panel(), images, "panel.png") && Save(WaveStrip(), images, "wave_strip.png")
                    && Save(Pointer(), images, "pointer_gold.png");
    return saved ? 0 : 1;
}
