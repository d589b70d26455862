#pragma once

#include <QtGui/QImage>

// A picture of the layout table, or the window's icon, as the build prepared it: scaled to its
// box and held as pixels in the program, so that showing it decodes and scales nothing.
struct PreparedPicture
{
    const char *file; // the picture's file in resources/
    int width;
    int height;
    QImage::Format format;
    const quint32 *pixels;
};

// The prepared picture of `file`, which shares the program's pixels; a null image for a file
// the window does not show.
QImage preparedPicture(const char *file);
