// Draws the demo story's pictures into its images folder:
//   make_demo_pictures examples/demo
// The output is committed; run this again only to change the pictures.
// Everything is painted from shapes and a seeded random sequence, so no
// picture of unknown origin enters the repository.

#include <QDir>
#include <QFont>
#include <QFontDatabase>
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

// ---------------------------------------------------------------- the cast
// Each sprite is a figure on a transparent ground, drawn from the waist up
// to the feet so the text window may cover its lower part. A pose changes
// the arms, the brows and the mouth.

constexpr int SpriteWidth = 260;
constexpr int SpriteHeight = 480;

enum class TArms { Down, Clasped, Waving, Pointing, Open };
enum class TMood { Calm, Worried, Glad, Talking };

struct TLook {
    QColor coat, coatShade, skin, hair;
    bool oldSailor = false;  // cap and white beard
};

const TLook Mira{QColor(0xe8, 0xb8, 0x2c), QColor(0xb0, 0x86, 0x18), QColor(0xf1, 0xc9, 0xa5), QColor(0x3a, 0x24, 0x1c)};
const TLook OldTom{QColor(0x27, 0x3a, 0x5c), QColor(0x18, 0x25, 0x3c), QColor(0xe2, 0xb4, 0x90), QColor(0xe8, 0xe6, 0xe0),
                   true};

void Arm(QPainter& p, const TLook& look, QPointF shoulder, QPointF elbow, QPointF hand)
{
    QPainterPath path(shoulder);
    path.quadTo(elbow, hand);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(look.coatShade, 30, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(look.skin);
    p.drawEllipse(hand, 13, 13);
}

// Elbow and hand of the left and the right arm, in the order of TArms.
struct TArmPose {
    QPointF leftElbow, leftHand, rightElbow, rightHand;
};
const TArmPose ArmPoses[] = {
    {{62, 250}, {70, 330}, {198, 250}, {190, 330}},   // down
    {{70, 250}, {124, 236}, {190, 250}, {136, 236}},  // clasped
    {{62, 250}, {70, 330}, {236, 150}, {222, 62}},    // waving
    {{62, 250}, {70, 330}, {212, 168}, {236, 146}},   // pointing
    {{40, 220}, {26, 250}, {220, 220}, {234, 250}},   // open
};

void Arms(QPainter& p, const TLook& look, TArms arms)
{
    const TArmPose& pose = ArmPoses[static_cast<int>(arms)];
    Arm(p, look, QPointF(88, 168), pose.leftElbow, pose.leftHand);
    Arm(p, look, QPointF(172, 168), pose.rightElbow, pose.rightHand);
}

void Body(QPainter& p, const TLook& look)
{
    QPainterPath coat(QPointF(84, 160));
    coat.quadTo(QPointF(130, 140), QPointF(176, 160));
    coat.lineTo(QPointF(206, 470));
    coat.lineTo(QPointF(54, 470));
    coat.closeSubpath();
    QLinearGradient shade(54, 0, 206, 0);
    shade.setColorAt(0, look.coat);
    shade.setColorAt(1, look.coatShade);
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawPath(coat);
    p.setPen(QPen(look.coatShade.darker(130), 3));
    p.drawLine(QPointF(130, 170), QPointF(130, 470));
    for (int y = 200; y < 460; y += 60)
        p.drawEllipse(QPointF(140, y), 3, 3);
}

void Face(QPainter& p, const TLook& look, TMood mood, bool mouthOpen)
{
    const QPointF centre(130, 88);
    p.setPen(Qt::NoPen);
    p.setBrush(look.skin);
    p.drawRect(QRectF(116, 120, 28, 30));  // neck
    p.drawEllipse(centre, 46, 54);
    if (look.oldSailor) {
        QPainterPath beard(QPointF(86, 92));
        beard.quadTo(QPointF(90, 160), QPointF(130, 168));
        beard.quadTo(QPointF(170, 160), QPointF(174, 92));
        beard.quadTo(QPointF(130, 124), QPointF(86, 92));
        p.setBrush(look.hair);
        p.drawPath(beard);
        p.setBrush(QColor(0x1c, 0x24, 0x38));
        p.drawChord(QRectF(80, 24, 100, 60), 0, 180 * 16);  // the cap
        p.fillRect(QRectF(76, 50, 108, 8), QColor(0x10, 0x14, 0x20));
    } else {
        QPainterPath hair(QPointF(80, 110));
        hair.cubicTo(QPointF(70, 10), QPointF(190, 10), QPointF(180, 110));
        hair.quadTo(QPointF(166, 60), QPointF(130, 54));
        hair.quadTo(QPointF(94, 60), QPointF(80, 110));
        p.setBrush(look.hair);
        p.drawPath(hair);
    }
    p.setBrush(QColor(0x2a, 0x1e, 0x1a));
    p.drawEllipse(QPointF(112, 88), 5, 6);
    p.drawEllipse(QPointF(148, 88), 5, 6);
    // Brows tilt up in the middle when worried.
    const double tilt = mood == TMood::Worried ? 7 : 0;
    p.setPen(QPen(look.oldSailor ? look.hair : look.hair.darker(110), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(102, 74), QPointF(120, 74 - tilt));
    p.drawLine(QPointF(140, 74 - tilt), QPointF(158, 74));
    const QColor lips(0x8a, 0x3a, 0x30);
    if (mouthOpen) {
        p.setPen(Qt::NoPen);
        p.setBrush(lips);
        p.drawEllipse(QPointF(130, 114), 9, 7);
        return;
    }
    p.setPen(QPen(lips, 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    if (mood == TMood::Glad)
        p.drawArc(QRectF(114, 98, 32, 22), 200 * 16, 140 * 16);
    else if (mood == TMood::Worried)
        p.drawArc(QRectF(118, 110, 24, 14), 20 * 16, 140 * 16);
    else
        p.drawLine(QPointF(120, 114), QPointF(140, 114));
}

QImage Figure(const TLook& look, TArms arms, TMood mood, bool mouthOpen = false)
{
    QImage image(SpriteWidth, SpriteHeight, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    Body(p, look);
    Face(p, look, mood, mouthOpen);
    Arms(p, look, arms);
    return image;
}

// Old Tom telling his story: a strip of two frames, mouth shut and open,
// that the images folder's settings cut and animate.
QImage TomTelling()
{
    QImage strip(SpriteWidth * 2, SpriteHeight, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.drawImage(0, 0, Figure(OldTom, TArms::Open, TMood::Talking, false));
    p.drawImage(SpriteWidth, 0, Figure(OldTom, TArms::Open, TMood::Talking, true));
    return strip;
}

// The selection box's cursors: gold arrows pointing at the highlighted
// choice from either side.
QImage ChoiceArrow(bool pointsRight)
{
    QImage image(22, 22, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPolygonF arrow({QPointF(4, 4), QPointF(18, 11), QPointF(4, 18), QPointF(8, 11)});
    if (!pointsRight)
        arrow = QTransform(-1, 0, 0, 1, 22, 0).map(arrow);
    p.setBrush(QColor(0xf2, 0xc7, 0x6b));
    p.setPen(QPen(QColor(0x5a, 0x3e, 0x12), 1.2));
    p.drawPolygon(arrow);
    return image;
}

// A screen button: its normal, pressed and hover looks side by side, each
// a rounded plate whose corners stay transparent, so a click just beside
// the plate is no click on the button.
QImage ButtonStrip(const QString& caption, const QString& family)
{
    constexpr int Width = 220, Height = 64;
    QImage image(3 * Width, Height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(family);
    font.setPixelSize(24);
    p.setFont(font);
    const QColor top[] = {QColor(0x24, 0x3a, 0x5a), QColor(0x12, 0x1e, 0x30), QColor(0x36, 0x56, 0x82)};
    const QColor frame[] = {QColor(0xc8, 0xa2, 0x4a), QColor(0x8a, 0x6e, 0x30), QColor(0xff, 0xd8, 0x80)};
    for (int look = 0; look < 3; ++look) {
        const QRectF plate(look * Width + 3, 3, Width - 6, Height - 6);
        QLinearGradient gradient(plate.topLeft(), plate.bottomLeft());
        gradient.setColorAt(0, top[look]);
        gradient.setColorAt(1, top[look].darker(170));
        p.setBrush(gradient);
        p.setPen(QPen(frame[look], 2.5));
        p.drawRoundedRect(plate, 22, 22);
        p.setPen(frame[look].lighter(115));
        const int sink = look == 1 ? 2 : 0;  // pressed: the caption sinks in
        p.drawText(plate.translated(0, sink), Qt::AlignCenter, caption);
    }
    return image;
}

// The ferry ticket shown above the seat buttons, with notches cut into
// its sides.
QImage Ticket(const QString& family)
{
    QImage image(250, 110, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(2, 2, 246, 106), 6, 6);
    QPainterPath notches;
    notches.addEllipse(QPointF(2, 55), 14, 14);
    notches.addEllipse(QPointF(248, 55), 14, 14);
    p.fillPath(shape.subtracted(notches), QColor(0xf1, 0xe6, 0xc8));
    p.setPen(QPen(QColor(0xb0, 0x30, 0x2a), 1, Qt::DashLine));
    p.drawLine(30, 78, 220, 78);
    QFont font(family);
    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0x2a, 0x2e, 0x36));
    p.drawText(QRect(0, 14, 250, 30), Qt::AlignCenter, QStringLiteral("HARBOUR FERRY"));
    font.setBold(false);
    font.setPixelSize(16);
    p.setFont(font);
    p.drawText(QRect(0, 44, 250, 26), Qt::AlignCenter, QStringLiteral("Two passengers"));
    p.drawText(QRect(0, 82, 250, 22), Qt::AlignCenter, QStringLiteral("No. 0417"));
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
    // The captions are in the story's own font.
    const QString font = QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("fonts/DejaVuSerifCondensed.ttf"));
    const QStringList families = QFontDatabase::applicationFontFamilies(QFontDatabase::addApplicationFont(font));
    const QString family = families.value(0, QStringLiteral("Serif"));
    // Moderate quality keeps the backgrounds small; rain and waves hide it.
    const bool saved = Save(Harbour(), images, "harbour.jpg", 70) && Save(OpenSea(), images, "opensea.jpg", 70)
                    && Save(Panel(), images, "panel.png") && Save(WaveStrip(), images, "wave_strip.png")
                    && Save(Pointer(), images, "pointer_gold.png")
                    && Save(Figure(Mira, TArms::Down, TMood::Calm), images, "mira.png")
                    && Save(Figure(Mira, TArms::Clasped, TMood::Worried), images, "mira_worried.png")
                    && Save(Figure(Mira, TArms::Waving, TMood::Glad), images, "mira_happy.png")
                    && Save(Figure(OldTom, TArms::Down, TMood::Calm), images, "tom.png")
                    && Save(TomTelling(), images, "tom_telling.png")
                    && Save(Figure(OldTom, TArms::Pointing, TMood::Glad), images, "tom_pointing.png")
                    && Save(ChoiceArrow(true), images, "choice_left.png")
                    && Save(ChoiceArrow(false), images, "choice_right.png")
                    && Save(ButtonStrip(QStringLiteral("On deck"), family), images, "button_deck.png")
                    && Save(ButtonStrip(QStringLiteral("In the cabin"), family), images, "button_cabin.png")
                    && Save(Ticket(family), images, "ticket.png");
    return saved ? 0 : 1;
}
