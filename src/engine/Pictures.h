#pragma once

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>

namespace ostrivo {

// Pictures are read at this resolution of the printed page at most.
constexpr double kPictureDotsPerInch = 300;

// The pixels a picture needs to print into a rectangle of `units` on a page of `pageUnits` that
// spans `pageInches` (each side at most the page's, so a picture far larger than the page costs
// no more than the page).
QSize picturePixels(QSizeF units, QSizeF pageUnits, QSizeF pageInches);

// Reads a picture no larger than `pixels` in either direction (never enlarged): a large photo is
// decoded straight to the size it prints at, where its format allows. A null image, with the
// reason in *problem, when it cannot be read.
QImage readPicture(const QString& path, QSize pixels, QString* problem);

// What is said of a picture the print leaves out: a missing one (a warning: the print goes on as
// if it were not named), one that cannot be read (an element error).
QString missingPictureWarning(const QString& file);
QString unreadablePictureMessage(const QString& file, const QString& problem);

}  // namespace ostrivo
