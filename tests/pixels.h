// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>

// Looking at a picture the way the tests need to: how many pixels have a colour, and where.

inline int countOf(const QImage &image, QRgb colour, const QRect &within)
{
    int count = 0;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            count += image.pixel(x, y) == colour;
    return count;
}

inline int countOf(const QImage &image, QRgb colour)
{
    return countOf(image, colour, image.rect());
}

// Pixels of one colour, as a mask.
inline QImage pixelsOf(const QImage &image, QRgb colour)
{
    QImage mask(image.size(), QImage::Format_Mono);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            mask.setPixel(x, y, image.pixel(x, y) == colour ? 1 : 0);
    return mask;
}
