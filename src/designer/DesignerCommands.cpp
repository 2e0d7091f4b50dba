#include "designer/DesignerCommands.h"

#include "designer/DesignerEdits.h"
#include "core/Dialogs.h"
#include "core/Files.h"
#include "template/CanvasModel.h"
#include "template/Helpers.h"
#include "template/TemplateFiles.h"
#include "template/VN3Routine.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace ostrivo {

namespace {

const QString kNewName = QStringLiteral("Nuovo.vn3");
const QString kExtension = QStringLiteral(".vn3");
const QString kFilterDescription = QStringLiteral("Report 3.0 Ostrivo (*.vn3)|");

QString withExtension(QString name)
{
    if (!name.endsWith(kExtension))
        name += kExtension;
    return name;
}

// Whether a deleted template can go to the desktop's trash. A freedesktop trash lies in the user's
// data folder, which a desktop session makes; without it Qt has nowhere to put the file.
bool hasTrash()
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return true;
#elif defined(Q_OS_UNIX) && !defined(Q_OS_ANDROID) && !defined(Q_OS_IOS) && !defined(Q_OS_WASM)
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return !data.isEmpty() && QDir().mkpath(data);
#else
    return false;
#endif
}

}  // namespace

DesignerCommands::DesignerCommands(VN3Routine& model, CanvasModel& canvas, PlatformDialogs& dialogs,
                                   DesignerWindows windows)
    : model_(model), canvas_(canvas), dialogs_(dialogs), windows_(std::move(windows)), history_(model, canvas)
{
}

QString DesignerCommands::title() const
{
    return QStringLiteral("Gestore report Ostrivo 3.0 - ") + model_.NomeModulo;
}

bool DesignerCommands::changed()
{
    return templateText(model_, canvas_) != savedText_;
}

void DesignerCommands::markUnchanged()
{
    savedText_ = templateText(model_, canvas_);
    history_.setClean();
}

void DesignerCommands::start()
{
    model_.Orientamento = QStringLiteral("Verticale");
    model_.LarghezzaPagina = 80;
    model_.AltezzaPagina = 75;
    clearForNewTemplate();
}

void DesignerCommands::clearForNewTemplate()
{
    model_.NomeModulo = kNewName;
    PulisciPagina(model_, canvas_);
    hasFile_ = false;
    disk_ = {};
    history_.restart();
    markUnchanged();
}

bool DesignerCommands::openTemplate(const QString& path)
{
    try {
        CaricaModulo(path, model_, canvas_);
    } catch (const Error& e) {
        dialogs_.message(notice(QStringLiteral("Apri"), e.description()));
        return false;
    }
    hasFile_ = true;
    history_.restart();
    markUnchanged();
    rememberDisk(path);
    return true;
}

DesignerCommands::DiskState DesignerCommands::diskState(const QString& path)
{
    DiskState state;
    const QFileInfo info(path);
    state.path = info.absoluteFilePath();
    state.exists = info.isFile();
    if (!state.exists)
        return state;
    state.size = info.size();
    try {
        state.hash = QCryptographicHash::hash(readInputFile(path, kMaxTextInputBytes), QCryptographicHash::Sha256);
    } catch (const Error&) {
        // Unreadable now: it stands for a change, whatever it was.
    }
    return state;
}

void DesignerCommands::rememberDisk(const QString& path)
{
    disk_ = diskState(path);
}

bool DesignerCommands::mayOverwrite(const QString& path)
{
    const DiskState now = diskState(path);
    // Another file than the one opened or saved is the save dialog's to confirm; a file gone, or
    // touched without a change of content, loses nothing.
    if (disk_.path.isEmpty() || now.path != disk_.path || !now.exists)
        return true;
    if (disk_.exists && now.size == disk_.size && !now.hash.isEmpty() && now.hash == disk_.hash)
        return true;
    const QString text = QStringLiteral("Il file %1 è stato modificato da un altro programma. Sovrascriverlo?")
                             .arg(NomeFileDaPercorso(path));
    return dialogs_.message(yesNoQuestion(QStringLiteral("Salva"), text)) == MessageAnswer::Yes;
}

bool DesignerCommands::saveTo(const QString& path)
{
    if (!mayOverwrite(path))
        return false;
    try {
        SalvaModulo(path, model_, canvas_);
    } catch (const Error& e) {
        // The template keeps its name: nothing was written under the new one.
        dialogs_.message(notice(QStringLiteral("Salva"), e.description(), MessageIcon::Critical));
        return false;
    }
    model_.NomeModulo = path;
    hasFile_ = true;
    markUnchanged();
    rememberDisk(path);
    return true;
}

bool DesignerCommands::settleChanges(const QString& text)
{
    if (!changed())
        return true;
    MessageRequest question =
        yesNoQuestion(QStringLiteral("Gestore report Ostrivo 3.0"), text.arg(NomeFileDaPercorso(model_.NomeModulo)));
    question.buttons = MessageButtons::YesNoCancel;
    // Enter keeps the work.
    question.defaultAnswer = MessageAnswer::Yes;
    switch (dialogs_.message(question)) {
    case MessageAnswer::Yes:
        return hasFile_ ? saveTo(model_.NomeModulo) : save();
    case MessageAnswer::No:
        return true;
    default:
        return false;
    }
}

void DesignerCommands::newTemplate()
{
    if (!settleChanges())
        return;
    if (windows_.newPage)
        windows_.newPage(model_);
    clearForNewTemplate();
}

bool DesignerCommands::save()
{
    const QString name = withExtension(model_.NomeModulo);
    FileRequest request;
    request.action = FileRequest::Action::Save;
    request.title = QStringLiteral("Salva");
    request.initialDir = QStringLiteral(".\\");
    request.fileName = name;
    // The pattern is the file's own name: the dialog lists only that file.
    request.filter = kFilterDescription + name;
    const std::optional<QString> chosen = dialogs_.chooseFile(request);
    if (!chosen || chosen->isEmpty())
        return false;
    return saveTo(withExtension(*chosen));
}

bool DesignerCommands::confirmPrint()
{
    // Nothing was ever opened in the designer (a print request): the file prints as it is.
    if (savedText_.isNull())
        return true;
    return settleChanges(QStringLiteral("Salvare le modifiche a %1 prima di stampare?"));
}

void DesignerCommands::deleteTemplate()
{
    const QString title = QStringLiteral("Cancella modulo");
    // A template never saved has no file of its own: a file that merely bears its name stays.
    const bool ownsFile = hasFile_ && QFile::exists(model_.NomeModulo);
    const bool toTrash = ownsFile && hasTrash();
    QString question = QStringLiteral("Confermi la cancellazione del modulo di stampa?");
    if (ownsFile && !toTrash)
        question += QStringLiteral("\r\nNon c'è un cestino: il file sarà cancellato definitivamente.");
    if (dialogs_.message(yesNoQuestion(title, question)) != MessageAnswer::Yes)
        return;
    const QString name = NomeFileDaPercorso(model_.NomeModulo);
    bool trashed = false;
    if (toTrash) {
        QFile file(model_.NomeModulo);
        trashed = file.moveToTrash();
        // A trash the file cannot reach (another disk, no room): deleted only when the user agrees.
        if (!trashed && dialogs_.message(yesNoQuestion(
                            title, QStringLiteral("Il modulo di stampa %1 non può essere spostato nel cestino: %2\r\n"
                                                  "Cancellarlo definitivamente?")
                                       .arg(name, file.errorString()))) != MessageAnswer::Yes)
            return;
    }
    if (ownsFile && !trashed) {
        QFile file(model_.NomeModulo);
        if (!file.remove()) {
            dialogs_.message(notice(QStringLiteral("Cancella modulo"),
                                    QStringLiteral("Il modulo di stampa %1 non è stato cancellato: %2")
                                        .arg(model_.NomeModulo, file.errorString()),
                                    MessageIcon::Critical));
            return;
        }
    }
    if (trashed)
        dialogs_.message(notice(title, QStringLiteral("Il modulo di stampa %1 è stato spostato nel cestino.").arg(name),
                                MessageIcon::Information));
    // The file is gone: its changes are not offered for saving.
    if (windows_.newPage)
        windows_.newPage(model_);
    clearForNewTemplate();
}

void DesignerCommands::insertObject(const QString& kind)
{
    if (kind.isEmpty()) {
        dialogs_.message(notice(QStringLiteral("Inserisci oggetto"),
                                QStringLiteral("Scegliere il tipo di oggetto da inserire"), MessageIcon::Information));
        return;
    }
    if (kind == QLatin1String("PARAMETRI")) {
        if (windows_.parameters)
            history_.record(QStringLiteral("Parametri"), [&] { windows_.parameters(model_); });
        return;
    }
    history_.record(QStringLiteral("Inserisci oggetto"), [&] {
        // The new object is current, so that the size buttons and the arrow keys act on it.
        if (const std::optional<CanvasRef> inserted = ostrivo::insertObject(model_, canvas_, kind, dialogs_))
            pressObject(model_, canvas_, *inserted, PressButton::Left);
    });
}

void DesignerCommands::deleteObject()
{
    history_.record(QStringLiteral("Cancella oggetto"), [&] { deleteCurrentObject(model_, canvas_, dialogs_); });
}

bool DesignerCommands::resizeObject(SizeStep step)
{
    return history_.record(QStringLiteral("Dimensioni"), [&] { return resizeCurrentObject(model_, canvas_, step); });
}

std::optional<Readout> DesignerCommands::canvasKey(const CanvasKey& key)
{
    switch (key.action) {
    case CanvasKey::Action::Move:
        return history_.record(QStringLiteral("Sposta oggetto"),
                               [&] { return moveCurrentObject(model_, canvas_, key.dx, key.dy); });
    case CanvasKey::Action::Resize:
        resizeObject(key.step);
        break;
    case CanvasKey::Action::Delete:
        deleteObject();
        break;
    case CanvasKey::Action::None:
        break;
    }
    return std::nullopt;
}

void DesignerCommands::chooseAndOpen()
{
    if (!settleChanges())
        return;
    FileRequest request;
    request.action = FileRequest::Action::Open;
    request.title = QStringLiteral("Apri");
    request.initialDir = QStringLiteral(".\\");
    request.filter = kFilterDescription + QStringLiteral("*.vn3");
    const std::optional<QString> chosen = dialogs_.chooseFile(request);
    if (!chosen || chosen->isEmpty())
        return;
    openTemplate(*chosen);
}

}  // namespace ostrivo
