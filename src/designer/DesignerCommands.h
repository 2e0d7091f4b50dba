#pragma once

#include "designer/DesignerEdits.h"
#include "designer/EditHistory.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace ostrivo {

class CanvasModel;
class PlatformDialogs;
class VN3Routine;

// The designer's own modal windows, which the commands open: the window passes the real ones,
// tests their stand-ins.
struct DesignerWindows {
    // NuovoMD: leaves the chosen page in the model on "Ok".
    std::function<void(VN3Routine&)> newPage;
    // The report parameter editor.
    std::function<void(VN3Routine&)> parameters;
};

// The designer's commands on the open template (model and canvas), asking through the dialog
// seam. Also remembers what was last opened or saved, to ask before changes are lost, and keeps
// the history of changes: every edit made through it is one step; "Apri", "Nuovo" and "Cancella"
// start a new history.
class DesignerCommands {
public:
    DesignerCommands(VN3Routine& model, CanvasModel& canvas, PlatformDialogs& dialogs, DesignerWindows windows);

    // The designer at start-up: "Nuovo.vn3", an empty portrait page of 80 by 75 units.
    void start();
    // Opens a template file (as "Apri" does after its dialog); a file that cannot be loaded is
    // reported and the open template stays. Returns whether it opened.
    bool openTemplate(const QString& path);

    // The commands. "Stampa" and "Esci" are the window's; before it closes, the window asks
    // confirmClose().
    void newTemplate();
    bool save();  // true when the template was saved
    void deleteTemplate();
    void insertObject(const QString& kind);
    void deleteObject();
    void chooseAndOpen();
    // Asks to save unsaved changes; false when the user chose "Annulla" (or a save failed).
    bool confirmClose() { return settleChanges(); }

    // Before "Stampa", which prints the file: asks to save unsaved changes first. True when the
    // print may go on ("Sì" and saved, or "No"); false on "Annulla" or when the save failed.
    bool confirmPrint();

    // The edits of the window's buttons and keys, each one step of the history.
    // A size button on the current object; true when a size changed.
    bool resizeObject(SizeStep step);
    // A key on the canvas; returns the readout's new texts when it moved an object.
    std::optional<Readout> canvasKey(const CanvasKey& key);
    EditHistory& history() { return history_; }

    // Whether "Salva" would write something else than what was last opened or saved.
    bool changed();
    // The window's title for the open template.
    QString title() const;

private:
    // "Salvare le modifiche a ...?" (question holds %1 for the file's name) when the template
    // changed; true when the command may go on.
    bool settleChanges(const QString& question = QStringLiteral("Salvare le modifiche a %1?"));
    void clearForNewTemplate();
    bool saveTo(const QString& path);
    void markUnchanged();
    // "Il file ... è stato modificato da un altro programma": true when the save may go on.
    bool mayOverwrite(const QString& path);
    void rememberDisk(const QString& path);

    VN3Routine& model_;
    CanvasModel& canvas_;
    PlatformDialogs& dialogs_;
    DesignerWindows windows_;
    QString savedText_;
    // False while the template has never been opened from or saved to a file.
    bool hasFile_ = false;
    EditHistory history_;
    // The file as it was opened or last saved, to notice another program's change before a
    // save replaces it.
    struct DiskState {
        QString path;  // absolute; empty when none
        bool exists = false;
        qint64 size = 0;
        QByteArray hash;  // of the content: a file only touched is no change
    };
    static DiskState diskState(const QString& path);
    DiskState disk_;
};

}  // namespace ostrivo
