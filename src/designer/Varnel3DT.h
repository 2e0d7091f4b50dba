#pragma once

#include "designer/DesignerCommands.h"
#include "designer/DesignerEdits.h"
#include "template/CanvasModel.h"

#include <QWidget>
#include <array>
#include <utility>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QSettings;

namespace ostrivo {

class CanvasView;
class PageCanvas;
class PlatformDialogs;
class VN3Routine;

// One of the four size buttons: a white triangle on a dark square.
class SizeButton : public QWidget {
    Q_OBJECT

public:
    enum class Direction { Up, Down, Left, Right };
    SizeButton(Direction direction, QWidget* parent = nullptr);
    Direction direction() const { return direction_; }

signals:
    void pressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Direction direction_;
};

// The main window and the whole designer: the page canvas with its grid, the size buttons, the
// position readout and the column of commands. It wires them to the designer's edits and commands
// and repaints; the dialogs it shows go through the dialog seam.
class Varnel3DT : public QWidget {
    Q_OBJECT

public:
    // Command indices of SSCommand1: the buttons "Nuovo", "Salva", "Cancella", "Stampa",
    // "Inserisci oggetto", "Cancella oggetto", "Esci" and "Apri".
    enum Command {
        NewTemplate = 0,
        Save = 1,
        DeleteTemplate = 2,
        Print = 3,
        InsertObject = 4,
        DeleteObject = 5,
        Exit = 6,
        Open = 7
    };

    // The platform's dialogs (message boxes, file and colour dialogs) come through dialogs.
    Varnel3DT(VN3Routine& model, PlatformDialogs& dialogs, QWidget* parent = nullptr);

    // The object kinds of Combo1, in order.
    static QStringList objectKinds();

    // Designer mode at start-up: the kind list, "Nuovo.vn3", the default portrait page and its grid.
    void startDesigner();
    // Opens a template as "Apri" does (a file named on the command line); false when it could not.
    bool openTemplate(const QString& path);
    // Runs command i, as a click on SSCommand1(i) does.
    void runCommand(int i);
    // Places the canvas and draws the grid from the model (the canvas set-up).
    void setUpCanvas();

    CanvasModel& canvasModel() { return canvasModel_; }
    DesignerCommands& commands() { return commands_; }
    const CanvasModel& canvasModel() const { return canvasModel_; }
    PageCanvas* Picture1() const { return canvas_; }
    QPushButton* SSCommand1(int i) const { return buttons_.at(static_cast<std::size_t>(i)); }
    QComboBox* Combo1() const { return combo_; }
    QLabel* Label6(int i) const { return readout_.at(static_cast<std::size_t>(i)); }
    SizeButton* Picture2(int i) const { return sizeButtons_.at(static_cast<std::size_t>(i)); }
    QLabel* Picture3() const { return scratch_; }
    // "Annulla modifica" and "Ripeti".
    QPushButton* undoButton() const { return undoButton_; }
    QPushButton* redoButton() const { return redoButton_; }

    // Command 3: the parameter dialog, then the print run when it was not cancelled.
    void printCommand();
    // "Anteprima": the template as it stands in the designer, unsaved edits included, through the
    // parameter dialog into the preview window.
    void previewCommand();
    QPushButton* previewButton() const { return previewButton_; }

    // The window grows from its original size: the command column keeps to the right edge, the
    // working area (canvasView) takes the rest. The page is shown at zoom() percent (zoom box,
    // Ctrl+wheel, Ctrl++, Ctrl+-; Ctrl+0 the original scale).
    CanvasView* canvasView() const { return view_; }
    QComboBox* zoomBox() const { return zoomBox_; }
    int zoom() const;
    void setZoom(int percent);
    // Restores the window's size and zoom from settings and keeps them there from now on.
    void useSettings(QSettings* settings);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Asks to save unsaved changes first; "Annulla" keeps the window open.
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The canvas's keys, and the end of a drag.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pressObject(CanvasRef object, Qt::MouseButton button);
    void dragObject(CanvasRef object, QPointF offsetTwips);
    void showReadout(const std::optional<Readout>& readout);
    void undo();
    void redo();
    void afterHistory();
    // The keys that run commands, undo and redo.
    void addShortcuts();
    // After a command: the title, the canvas's place and its picture.
    void refresh();
    void updateTitle();
    // Puts Picture1 where the canvas model says and repaints it.
    void placeCanvas();
    // Places the command column and the working area for the window's size.
    void layoutForSize();
    // How far the window is wider and higher than its original size.
    QSize growth() const;
    // The zoom box and the settings follow the scale shown.
    void zoomShown(int percent);

    VN3Routine& model_;
    PlatformDialogs& dialogs_;
    CanvasModel canvasModel_;
    DesignerCommands commands_;
    PageCanvas* canvas_ = nullptr;
    std::array<QPushButton*, 8> buttons_{};
    std::array<SizeButton*, 4> sizeButtons_{};
    std::array<QLabel*, 2> readout_{};
    QComboBox* combo_ = nullptr;
    QLabel* scratch_ = nullptr;
    QPushButton* previewButton_ = nullptr;
    CanvasView* view_ = nullptr;
    QComboBox* zoomBox_ = nullptr;
    QSettings* settings_ = nullptr;
    // The command column's widgets with their places in the window of original size.
    std::vector<std::pair<QWidget*, QRect>> column_;
    QPushButton* undoButton_ = nullptr;
    QPushButton* redoButton_ = nullptr;
};

}  // namespace ostrivo
