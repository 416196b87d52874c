// Writes the eighteen card faces (Images/1.bmp ... Images/18.bmp): a different shape on a
// different colour each, so that the shape alone tells two pairs apart.
//   duplora-imagegen [folder] [--icon file.png|file.ico size]
#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

// Twice the 51-pixel face, so a doubled screen scale stays sharp.
constexpr int Side = 102;
constexpr int PairCount = 18;

// Colour-blind-safe hues first; lightness differs too, so no two faces share a grey level.
const QColor Backgrounds[PairCount] = {
        {0xD5, 0x5E, 0x00}, {0x00, 0x72, 0xB2}, {0x00, 0x9E, 0x73}, {0xF0, 0xE4, 0x42},
        {0xCC, 0x79, 0xA7}, {0x56, 0xB4, 0xE9}, {0xE6, 0x9F, 0x00}, {0x33, 0x22, 0x88},
        {0x88, 0x22, 0x55}, {0x44, 0xAA, 0x99}, {0x99, 0x99, 0x33}, {0xDD, 0xCC, 0x77},
        {0xAA, 0x44, 0x99}, {0x66, 0x66, 0x66}, {0x8B, 0x5A, 0x2B}, {0xA6, 0xD8, 0x54},
        {0x11, 0x11, 0x11}, {0xEE, 0xEE, 0xEE},
};

QPolygonF regular(int corners, double radius, double turn = -std::numbers::pi / 2, double inner = 0)
{
    QPolygonF polygon;
    const int points = inner > 0 ? corners * 2 : corners;
    for (int i = 0; i < points; ++i) {
        const double r = (inner > 0 && i % 2) ? inner : radius;
        const double a = turn + 2 * std::numbers::pi * i / points;
        polygon << QPointF(r * std::cos(a), r * std::sin(a));
    }
    return polygon;
}

QPainterPath shape(int pairId)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    const double R = 36;
    switch (pairId) {
    case 1:
        path.addEllipse(QPointF(0, 0), R, R);
        break;
    case 2:
        path.addRect(-30, -30, 60, 60);
        break;
    case 3:
        path.addPolygon(regular(3, 40, -std::numbers::pi / 2));
        break;
    case 4:
        path.addPolygon(regular(4, 40));
        break;
    case 5:
        path.addPolygon(regular(5, 40, -std::numbers::pi / 2, 17));
        break;
    case 6:
        path.addPolygon(QPolygonF({{-12, -38},
                                   {12, -38},
                                   {12, -12},
                                   {38, -12},
                                   {38, 12},
                                   {12, 12},
                                   {12, 38},
                                   {-12, 38},
                                   {-12, 12},
                                   {-38, 12},
                                   {-38, -12},
                                   {-12, -12},
                                   {-12, -38}}));
        break;
    case 7: {
        QPainterPath bar;
        bar.addRect(-10, -40, 20, 80);
        path = QTransform().rotate(45).map(bar).united(QTransform().rotate(-45).map(bar));
        break;
    }
    case 8:
        path.addPolygon(regular(6, 38, 0));
        break;
    case 9:
        path.addEllipse(QPointF(0, 0), R, R);
        path.addEllipse(QPointF(0, 0), 18, 18);
        break;
    case 10: {
        path.moveTo(0, 34);
        path.cubicTo(-60, -6, -22, -50, 0, -18);
        path.cubicTo(22, -50, 60, -6, 0, 34);
        break;
    }
    case 11: {
        QPainterPath moon, bite;
        moon.addEllipse(QPointF(0, 0), R, R);
        bite.addEllipse(QPointF(18, -10), 30, 30);
        path = moon.subtracted(bite);
        break;
    }
    case 12:
        path.addPolygon(
                QPolygonF({{-36, -12}, {4, -12}, {4, -32}, {38, 0}, {4, 32}, {4, 12}, {-36, 12}}));
        break;
    case 13:
        path.addRect(-36, -28, 72, 18);
        path.addRect(-36, 10, 72, 18);
        break;
    case 14:
        for (int i = -1; i <= 1; ++i)
            path.addEllipse(QPointF(i * 26, i * 26), 11, 11);
        break;
    case 15:
        path.addPolygon(regular(5, 38));
        break;
    case 16:
        path.addPolygon(regular(8, 38, std::numbers::pi / 8));
        path.addRect(-20, -6, 40, 12);
        break;
    case 17:
        path.addPolygon(QPolygonF({{8, -40}, {-24, 6}, {-2, 6}, {-10, 40}, {24, -8}, {2, -8}}));
        break;
    default:
        path.addPolygon(regular(3, 40, std::numbers::pi / 2));
        path.addEllipse(QPointF(0, -6), 9, 9);
        break;
    }
    return path;
}

QImage face(int pairId, int side)
{
    QImage image(side, side, QImage::Format_RGB32);
    const QColor background = Backgrounds[pairId - 1];
    image.fill(background);
    const bool dark = background.lightnessF() < 0.5;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(side / 2.0, side / 2.0);
    painter.scale(side / double(Side), side / double(Side));
    painter.setPen(QPen(dark ? QColor(0, 0, 0) : QColor(255, 255, 255), 3));
    painter.setBrush(dark ? QColor(255, 255, 255) : QColor(0, 0, 0));
    painter.drawPath(shape(pairId));
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args[0] == QLatin1String("--icon")) {
        // The program's icon: the star face, drawn at the icon's size.
        const int size = args[2].toInt();
        if (!face(5, size).save(args[1])) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(args[1]));
            return 1;
        }
        return 0;
    }
    const QString folder = args.value(0, QStringLiteral("Images"));
    QDir().mkpath(folder);
    for (int k = 1; k <= PairCount; ++k) {
        const QString path = QStringLiteral("%1/%2.bmp").arg(folder).arg(k);
        if (!face(k, Side).convertToFormat(QImage::Format_RGB888).save(path, "BMP")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
