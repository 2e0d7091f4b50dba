#include "core/Dialogs.h"

#include <QDir>
#include <QFontDatabase>
#include <QRegularExpression>

namespace ostrivo {

MessageRequest yesNoQuestion(const QString& title, const QString& text)
{
    return {title, text, MessageButtons::YesNo, MessageIcon::Question, MessageAnswer::No};
}

MessageRequest notice(const QString& title, const QString& text, MessageIcon icon)
{
    return {title, text, MessageButtons::Ok, icon, MessageAnswer::Ok};
}

QString qtFileFilter(const QString& filter)
{
    // Qt filters by the patterns in brackets at the end of an entry. A description that shows its
    // patterns already ("Report 3.0 Ostrivo (*.vn3)") has them replaced by those that filter, so
    // that they are neither shown twice nor shown other than they are.
    static const QRegularExpression shownPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList qt;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        const QString description = QString(parts[i]).remove(shownPatterns);
        qt << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    if (parts.size() % 2 == 1 && !parts.last().isEmpty())
        qt << parts.last();
    return qt.join(QStringLiteral(";;"));
}

QString initialFolder(const QString& initialDir)
{
    const QString dir = QString(initialDir).replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (dir.isEmpty() || dir == QLatin1String("./") || dir == QLatin1String("."))
        return QDir::currentPath();
    return QDir(dir).exists() ? QDir(dir).absolutePath() : QDir::currentPath();
}

QStringList printerFontNames()
{
    QStringList families;
    // A family that several foundries make is listed as "Family [Foundry]"; templates name the family.
    for (const QString& family : QFontDatabase::families()) {
        const qsizetype foundry = family.indexOf(QLatin1String(" ["));
        families << (foundry > 0 && family.endsWith(QLatin1Char(']')) ? family.left(foundry) : family);
    }
    // Templates name the Windows faces; where the machine has a face with the same metrics, offer
    // the Windows name (fontconfig maps it to that face when printing).
    static const struct {
        const char* windowsName;
        const char* compatible[2];
    } aliases[] = {
        {"Arial", {"Liberation Sans", "Arimo"}},
        {"Times New Roman", {"Liberation Serif", "Tinos"}},
        {"Courier New", {"Liberation Mono", "Cousine"}},
    };
    for (const auto& alias : aliases) {
        const QString name = QString::fromLatin1(alias.windowsName);
        if (families.contains(name))
            continue;
        for (const char* face : alias.compatible) {
            if (families.contains(QString::fromLatin1(face))) {
                families << name;
                break;
            }
        }
    }
    families.sort(Qt::CaseInsensitive);
    families.removeDuplicates();
    return families;
}

}  // namespace ostrivo
