#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

namespace ostrivo {

// Qt's reader decodes a PNG straight to a smaller size only when it has 8-bit RGB or RGBA rows
// and no interlacing; any other PNG it reads whole first, and a large one is past its memory
// limit. Such a PNG is read here a row at a time into the size `pixels` (each side at most the
// picture's): memory holds a row of the file and the rows of the result, never the picture.
// Nothing when the file is no PNG of that kind (Qt's reader does better); a null image with the
// reason in *problem when it cannot be read.
std::optional<QImage> readScaledPng(const QString& path, QSize pixels, QString* problem);

}  // namespace ostrivo
