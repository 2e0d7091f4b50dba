#include "core/Errors.h"

#include <utility>

namespace ostrivo {

QString quoteInput(QStringView text)
{
    QString quoted = QStringLiteral("\"");
    const QStringView shown = text.left(kQuotedInputCharacters);
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QChar c = shown[i];
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < shown.size() && shown[i + 1].isLowSurrogate()) {
            quoted += c;
            quoted += shown[++i];
            continue;
        }
        if (u == '\r')
            quoted += QLatin1String("\\r");
        else if (u == '\n')
            quoted += QLatin1String("\\n");
        else if (u == '\t')
            quoted += QLatin1String("\\t");
        else if (u < 0x20 || (u >= 0x7F && u < 0xA0))  // C0, DEL, C1: the undefined bytes read as these
            quoted += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else if (c.isSurrogate() || u == 0xFFFD || u == 0xFEFF)
            quoted += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
        else
            quoted += c;
    }
    quoted += QLatin1Char('"');
    if (text.size() > shown.size())
        quoted += QStringLiteral("... (%1 caratteri)").arg(text.size());
    return quoted;
}

QString classicDescription(int number)
{
    // The descriptions an Italian desktop showed for these numbers.
    switch (number) {
    case err::InvalidArgument: return QStringLiteral("Chiamata di routine o argomento non validi");
    case err::Overflow: return QStringLiteral("Overflow");
    case err::SubscriptOutOfRange: return QStringLiteral("Indice non compreso nell'intervallo");
    case err::UserInterrupt: return QStringLiteral("Interruzione da parte dell'utente");
    case err::TypeMismatch: return QStringLiteral("Tipo non corrispondente");
    case err::FileNotFound: return QStringLiteral("Impossibile trovare il file");
    case err::InputPastEndOfFile: return QStringLiteral("Input oltre la fine del file");
    case err::PathFileAccess: return QStringLiteral("Errore di accesso al percorso/file");
    case err::InvalidPropertyValue: return QStringLiteral("Valore della proprietà non valido");
    case err::NoCurrentRecord: return QStringLiteral("Nessun record corrente");
    case err::InvalidOperation: return QStringLiteral("Operazione non valida");
    case err::InvalidPicture: return QStringLiteral("Immagine non valida");
    case err::PrinterError: return QStringLiteral("Errore della stampante");
    case err::DatabaseNotFound: return QStringLiteral("Impossibile trovare il file di database");
    case err::DamagedDatabase: return QStringLiteral("Il database è danneggiato");
    case err::TooFewParameters: return QStringLiteral("Parametri insufficienti");
    case err::QueryTimeout: return QStringLiteral("Tempo massimo della query superato");
    case err::QuerySyntax: return QStringLiteral("Errore di sintassi nell'espressione della query");
    case err::TableNotFound: return QStringLiteral("Impossibile trovare la tabella o la query di input");
    case err::ItemNotFound: return QStringLiteral("Elemento non trovato in questo insieme");
    case err::NotADatabase: return QStringLiteral("Formato di database non riconosciuto");
    case err::ObjectInvalid: return QStringLiteral("Oggetto non valido o non più impostato");
    case err::CancelledDialog: return QStringLiteral("Annullato dall'utente");
    default: return {};
    }
}

Error::Error(int number, QString description) : number_(number)
{
    setDescription(std::move(description));
}

Error::Error(int number) : Error(number, classicDescription(number)) {}

void Error::setDescription(QString description)
{
    description_ = std::move(description);
    utf8_ = description_.toUtf8();
}

static QString templateMessage(const QString& file, int line, const QString& problem)
{
    if (line > 0)
        return QStringLiteral("%1, riga %2: %3").arg(file, QString::number(line), problem);
    return QStringLiteral("%1: %2").arg(file, problem);
}

TemplateError::TemplateError(int number, QString file, int line, QString problem)
    : Error(number, templateMessage(file, line, problem)),
      file_(std::move(file)), line_(line), problem_(std::move(problem))
{
}

static QString databaseMessage(int number, const QString& detail, const QString& file, const QString& sql)
{
    QString message = classicDescription(number);
    if (!detail.isEmpty())
        message = message.isEmpty() ? detail : message + QStringLiteral(": ") + detail;
    if (!file.isEmpty())
        message += QStringLiteral(" (database %1)").arg(file);
    if (!sql.isEmpty())
        message += QStringLiteral(" [SQL: %1]").arg(quoteInput(sql));
    return message;
}

DatabaseError::DatabaseError(int number, QString detail, QString file, QString sql)
    : Error(number, databaseMessage(number, detail, file, sql)),
      detail_(std::move(detail)), file_(std::move(file)), sql_(std::move(sql))
{
}

}  // namespace ostrivo
