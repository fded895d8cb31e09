#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// How a control looks as drawn, for states a text alone does not show (a verdict's colour, a
// cell's fill or outline).

inline bool Near(QRgb pixel, const QColor& colour, int tolerance)
{
    return qAbs(qRed(pixel) - colour.red()) <= tolerance &&
           qAbs(qGreen(pixel) - colour.green()) <= tolerance &&
           qAbs(qBlue(pixel) - colour.blue()) <= tolerance;
}

// The pixels of widget (of area of it, when given), as drawn now, within tolerance of colour in
// each channel.
inline int PixelsOf(QWidget* widget, const QColor& colour, int tolerance = 40,
                    const QRect& area = QRect(QPoint(0, 0), QSize(-1, -1)))
{
    const QImage image = widget->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += Near(image.pixel(x, y), colour, tolerance) ? 1 : 0;
    }
    return count;
}

// The colour drawn at a point of widget, in its own logical coordinates.
inline QColor ColourAt(QWidget* widget, QPoint point)
{
    const QImage image = widget->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    return image.pixelColor(QPoint(qRound(point.x() * ratio), qRound(point.y() * ratio)));
}
