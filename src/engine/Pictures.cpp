#include "engine/Pictures.h"

#include "core/Files.h"
#include "engine/ScaledPng.h"

#include <QImageReader>
#include <algorithm>
#include <cmath>

namespace ostrivo {

QSize picturePixels(QSizeF units, QSizeF pageUnits, QSizeF pageInches)
{
    auto side = [](double unitsWanted, double unitsOnPage, double inches) {
        const double pageDots = std::ceil(inches * kPictureDotsPerInch);
        if (!(unitsOnPage > 0) || !std::isfinite(unitsWanted))
            return static_cast<int>(pageDots);
        const double dots = std::ceil(std::fabs(unitsWanted) / unitsOnPage * inches * kPictureDotsPerInch);
        return static_cast<int>(std::clamp(dots, 1.0, pageDots));
    };
    return QSize(side(units.width(), pageUnits.width(), pageInches.width()),
                 side(units.height(), pageUnits.height(), pageInches.height()));
}

QImage readPicture(const QString& path, QSize pixels, QString* problem)
{
    if (const auto kind = notARegularFile(path)) {
        *problem = *kind;
        return {};
    }
    if (std::optional<QImage> png = readScaledPng(path, pixels, problem))
        return *png;
    QImageReader reader(path);
    const QSize natural = reader.size();
    if (natural.isValid() && pixels.isValid() &&
        (natural.width() > pixels.width() || natural.height() > pixels.height()))
        reader.setScaledSize(natural.boundedTo(pixels));
    QImage picture = reader.read();
    if (picture.isNull()) {
        *problem = natural.isValid()
                       ? QStringLiteral("immagine di %1 x %2 pixel illeggibile: file danneggiato, o troppo grande "
                                        "per un formato che si legge solo per intero")
                             .arg(natural.width())
                             .arg(natural.height())
                       : QStringLiteral("formato non riconosciuto o file danneggiato");
    }
    return picture;
}

QString missingPictureWarning(const QString& file)
{
    return QStringLiteral("l'immagine \"%1\" non esiste: la stampa la tralascia").arg(file);
}

QString unreadablePictureMessage(const QString& file, const QString& problem)
{
    return QStringLiteral("Immagine non valida: \"%1\": %2").arg(file, problem);
}

}  // namespace ostrivo
