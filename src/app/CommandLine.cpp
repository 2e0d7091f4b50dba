#include "app/CommandLine.h"

#include "app/Designer.h"
#include "app/ImportCommand.h"
#include "app/PrintCommand.h"
#include "app/ResaveCommand.h"
#include "core/Files.h"
#include "core/Version.h"
#include "print/QtPrintSink.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcessEnvironment>
#include <QTextStream>
#include <cstdio>

namespace ostrivo {

// The manual page is made from this text at build time (packaging/help_to_man.cpp), so it follows
// a form: the first line is "ostrivo-report - summary"; a line at the margin ending in ":" heads a
// section; a line indented by two blanks is an entry (a command, an option, a value), which may
// carry its description after two blanks or more; lines indented by six blanks describe the entry
// above them; other lines at the margin are paragraphs, and an empty line separates them.
QString usageText()
{
    return QStringLiteral(
               "ostrivo-report - Gestore report Ostrivo 3.0: disegna i modelli di stampa (.vn3)\n"
               "e li stampa con i dati dell'albergo.\n"
               "\n"
               "Uso:\n"
               "  ostrivo-report\n"
               "      Apre il designer con un modello nuovo. Se nella cartella corrente c'è la\n"
               "      richiesta di stampa Varnil3<PCLocal>.pss, stampa invece il modello che vi\n"
               "      è indicato, cancella la richiesta e termina, senza mostrare il designer.\n"
               "  ostrivo-report FILE.vn3\n"
               "      Apre il designer con quel modello.\n"
               "  ostrivo-report print MODELLO [OPZIONI]\n"
               "      Stampa il modello senza finestre né domande, con le opzioni di print.\n"
               "  ostrivo-report check MODELLO\n"
               "      Legge il modello come lo leggono la stampa e il designer ed elenca ogni\n"
               "      problema con la sua riga. Apre, in sola lettura, i database, le tabelle e\n"
               "      i campi che il modello nomina; un'immagine che manca è un avviso, non un\n"
               "      problema. Senza problemi scrive \"nessun problema\".\n"
               "  ostrivo-report resave MODELLO [--output FILE]\n"
               "      Apre il modello come il designer e lo scrive come il suo \"Salva\": sopra\n"
               "      MODELLO, o in FILE.\n"
               "  ostrivo-report import SORGENTE DESTINAZIONE [--replace] [--table NOME]...\n"
               "      Copia le tabelle del file Access o SQLite SORGENTE nel database\n"
               "      PostgreSQL indicato dal file di connessione DESTINAZIONE, ogni valore\n"
               "      esatto, tutte in una transazione: un'importazione che non riesce o è\n"
               "      interrotta lascia il server com'era. SORGENTE è solo letto.\n"
               "  ostrivo-report --help\n"
               "      Mostra questo aiuto.\n"
               "  ostrivo-report --version\n"
               "      Mostra la versione.\n"
               "\n"
               "print, check e resave, come il designer, cercano nella cartella del modello i\n"
               "database e le immagini che il modello nomina; i nomi dati a --output e --trace\n"
               "si intendono invece dalla cartella corrente. Una richiesta di stampa si serve\n"
               "nella cartella corrente, dove si trova la richiesta.\n"
               "\n"
               "Opzioni di print:\n"
               "  --values \"v1,v2,\"\n"
               "      I valori dei parametri come li dà \"Ok\" del dialogo dei parametri, ognuno\n"
               "      seguito da una virgola. I numeri hanno il punto come separatore decimale\n"
               "      (1234.5, non 1.234,5), le date sono gg/mm/aaaa; un parametro senza valore\n"
               "      prende il suo valore predefinito. Un valore che non può essere del tipo\n"
               "      del parametro (una data che non esiste, un numero senza cifre) è\n"
               "      rifiutato con stato 2.\n"
               "  --printer NOME\n"
               "      La stampante (predefinita: quella del sistema, altrimenti \"PDF\").\n"
               "  --output FILE\n"
               "      Il PDF da scrivere (predefinito: %1), solo con la stampante\n"
               "      \"PDF\".\n"
               "  --trace FILE\n"
               "      Scrive in FILE ogni operazione di disegno, una riga JSON ciascuna.\n"
               "  --date \"gg/mm/aaaa hh:mm\"\n"
               "      Stampa con questa data e ora invece di quelle di adesso.\n"
               "  --query-timeout SECONDI\n"
               "      Interrompe la stampa quando una query del modello lavora più a lungo\n"
               "      (predefinito: 60; al più 86400).\n"
               "\n"
               "Opzioni di resave:\n"
               "  --output FILE\n"
               "      Scrive il modello in FILE invece che sopra MODELLO.\n"
               "\n"
               "Opzioni di import:\n"
               "  --replace\n"
               "      Sostituisce le tabelle che il server ha già; senza, sono rifiutate. Due\n"
               "      tabelle i cui nomi differiscono solo per maiuscole e minuscole sono\n"
               "      rifiutate comunque.\n"
               "  --table NOME\n"
               "      Copia solo la tabella NOME; si può ripetere.\n"
               "\n"
               "File di connessione:\n"
               "Un file di connessione è un file di testo con un URI di connessione PostgreSQL,\n"
               "per esempio postgresql://reports@dbserver/hotel. Messo al posto del file .mdb,\n"
               "con lo stesso nome, fa leggere ai modelli il server. La password non vi è\n"
               "scritta: viene da ~/.pgpass o dalla variabile d'ambiente PGPASSWORD. Le\n"
               "sessioni sono di sola lettura; per stampare, una connessione come superutente\n"
               "è rifiutata. Un server che non risponde è lasciato dopo 10 secondi\n"
               "(?connect_timeout=N nell'URI dà un altro limite). Il README mostra come creare\n"
               "un ruolo che importa e uno che può solo leggere.\n"
               "\n"
               "Ambiente:\n"
               "  PCLocal\n"
               "      Variabile d'ambiente che completa il nome della richiesta di stampa:\n"
               "      Varnil3PC2.pss con PCLocal=PC2, Varnil3.pss senza.\n"
               "\n"
               "Stato di uscita:\n"
               "  0  stampato (check: nessun problema; resave: scritto; import: tutto copiato)\n"
               "  1  non riuscito, niente stampato (check: problemi elencati; resave: niente\n"
               "      scritto)\n"
               "  2  uso sbagliato della riga di comando\n"
               "  3  stampato, ma alcuni elementi non sono riusciti\n"
               "\n"
               "Esempi:\n"
               "  ostrivo-report print catering.vn3 --values \"01/01/2026,31/12/2026,\"\n"
               "  ostrivo-report import hotel.mdb hotel-import.txt\n")
        .arg(QtPrintSink::DefaultPdfFile);
}

QString enterTemplateFolder(const QString& templatePath)
{
    const QFileInfo file(templatePath);
    if (!file.absoluteDir().exists() || !QDir::setCurrent(file.absolutePath()))
        return templatePath;
    return file.fileName();
}

QString usageSynopsis()
{
    // The entries of "Uso:", without their descriptions.
    QString synopsis = QStringLiteral("Uso:\n");
    bool inUsage = false;
    for (const QString& line : usageText().split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1Char(' ')) && line.endsWith(QLatin1Char(':')))
            inUsage = line == QLatin1String("Uso:");
        else if (inUsage && line.startsWith(QLatin1String("  ostrivo-report")))
            synopsis += line + QLatin1Char('\n');
    }
    return synopsis + QStringLiteral("ostrivo-report --help spiega comandi e opzioni.\n");
}

namespace {

// stderr carries the program's own messages, which scripts read: the toolkit's notes about the
// desktop session (no runtime folder when run from cron or a service) stay out of it.
void commandLineMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    QTextStream(stderr) << qFormatLogMessage(type, context, message) << '\n';
}

bool isTemplateArgument(const QString& argument)
{
    if (argument.startsWith(QLatin1Char('-')))
        return false;
    return argument.endsWith(QLatin1String(".vn3"), Qt::CaseInsensitive) || QFileInfo(argument).isFile();
}

}  // namespace

int runProgram(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        const std::optional<QString> text = decodedFileName(bytes);
        if (!text) {
            // Any argument may be a file name: one that cannot be read as it is written would
            // name another file.
            QTextStream(stderr) << "ostrivo-report: \"" << bytesForMessage(bytes)
                                << "\": l'argomento non è testo UTF-8: come nome di file ne "
                                   "diventerebbe un altro\n";
            return exitcode::BadUsage;
        }
        args.append(*text);
    }

    if (args.isEmpty())
        return runDesigner(argc, argv);

    QTextStream out(stdout);
    QTextStream errs(stderr);
    if (args.value(0) == QLatin1String("--help") || args.value(0) == QLatin1String("-h")) {
        out << usageText();
        return exitcode::Printed;
    }
    if (args.value(0) == QLatin1String("--version")) {
        out << "ostrivo-report " << programVersion() << '\n';
        return exitcode::Printed;
    }
    const QString command = args.value(0);
    if (command == QLatin1String("print") || command == QLatin1String("check") || command == QLatin1String("resave")) {
        // No display is needed: fonts, pictures and PDF work on the offscreen platform.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(commandLineMessages);
        QGuiApplication app(argc, argv);
        const QStringList rest = args.mid(1);
        const int status = command == QLatin1String("print")   ? runPrintCommand(rest, out, errs)
                           : command == QLatin1String("check") ? runCheckCommand(rest, out, errs)
                                                               : runResaveCommand(rest, out, errs);
        out.flush();
        errs.flush();
        return status;
    }
    if (command == QLatin1String("import")) {
        // No display, no fonts: the import runs on a server as it is.
        qInstallMessageHandler(commandLineMessages);
        QCoreApplication app(argc, argv);
        const int status = runImportCommand(args.mid(1), out, errs);
        out.flush();
        errs.flush();
        return status;
    }
    // What a file manager starts on a double click: the designer with that template.
    if (args.size() == 1 && isTemplateArgument(command))
        return runDesigner(argc, argv, command);
    errs << "ostrivo-report: comando sconosciuto \"" << command << "\"\n\n" << usageSynopsis();
    return exitcode::BadUsage;
}

}  // namespace ostrivo
