#include "designer/Varnel3DT.h"

#include "designer/CanvasView.h"
#include "designer/CanvasZoom.h"
#include "designer/NuovoMD.h"
#include "designer/PageCanvas.h"
#include "dialogs/Parametri.h"
#include "dialogs/PropertyDialogs.h"
#include "engine/widgets/InsParametri.h"
#include "engine/widgets/PreviewWindow.h"
#include "engine/widgets/StampaModulo.h"
#include "core/widgets/Twips.h"
#include "core/Dialogs.h"
#include "core/Errors.h"
#include "template/Helpers.h"
#include "template/TemplateFiles.h"
#include "template/VN3Routine.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QTemporaryDir>
#include <functional>
#include <tuple>

namespace ostrivo {

namespace {

// Window units (twips) of the layout.
constexpr int kWindowWidth = 15300;
constexpr int kWindowHeight = 9100;
constexpr int kCommandLeft = 12852, kCommandWidth = 2028, kCommandHeight = 432;
constexpr int kSeparatorX = 12348, kSeparatorBottom = 8820;
constexpr int kFrameLeft = 12600, kFrameTop = 84, kFrameWidth = 2532, kFrameHeight = 8664;
// Our additions to the column, in the lower part of its free space above the kind list.
constexpr int kPreviewTop = 5712, kZoomTop = 6264;
// "Annulla modifica" and "Ripeti": under "Cancella", apart from it as "Cancella" is from "Stampa",
// in the top of the free space above the kind list.
constexpr int kUndoTop = 3192, kRedoTop = 3696;

QFont commandFont()
{
    QFont font;
    // The face of the original buttons, and a serif face where it is not installed.
    font.setFamilies({QStringLiteral("Bodoni MT"), QStringLiteral("Liberation Serif"), QStringLiteral("serif")});
    font.setBold(true);
    font.setPointSizeF(10.5);
    return font;
}

QFont arialFont(bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setBold(bold);
    return font;
}

}  // namespace

SizeButton::SizeButton(Direction direction, QWidget* parent) : QWidget(parent), direction_(direction) {}

void SizeButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(64, 64, 64));
    const QRectF r = QRectF(rect()).adjusted(width() * 0.25, height() * 0.25, -width() * 0.25, -height() * 0.25);
    QPolygonF triangle;
    switch (direction_) {
    case Direction::Up:
        triangle << QPointF(r.center().x(), r.top()) << r.bottomRight() << r.bottomLeft();
        break;
    case Direction::Down:
        triangle << r.topLeft() << r.topRight() << QPointF(r.center().x(), r.bottom());
        break;
    case Direction::Left:
        triangle << QPointF(r.left(), r.center().y()) << r.topRight() << r.bottomRight();
        break;
    case Direction::Right:
        triangle << r.topLeft() << QPointF(r.right(), r.center().y()) << r.bottomLeft();
        break;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(triangle);
}

void SizeButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit pressed();
}

QStringList Varnel3DT::objectKinds()
{
    return {QStringLiteral("PARAMETRI"), QStringLiteral("CAMPO DB"),   QStringLiteral("TESTO"),
            QStringLiteral("TABELLA"),   QStringLiteral("IMMAGINI"),   QStringLiteral("RETTANGOLI"),
            QStringLiteral("DATA"),      QStringLiteral("ORA")};
}

Varnel3DT::Varnel3DT(VN3Routine& model, PlatformDialogs& dialogs, QWidget* parent)
    : QWidget(parent),
      model_(model),
      dialogs_(dialogs),
      commands_(model, canvasModel_, dialogs,
                DesignerWindows{[this](VN3Routine& m) { NuovoMD::ask(m, dialogs_, this); },
                                [this](VN3Routine& m) { showParametri(this, m, dialogs_); }})
{
    setObjectName(QStringLiteral("Varnel3DT"));
    const Twips tw = Twips::forWidget(this);
    // The original size, from which the window may grow.
    resize(tw.size(kWindowWidth, kWindowHeight));
    setMinimumSize(tw.size(kWindowWidth, kWindowHeight));
    // Created first, so that the size buttons and the readout lie over the working area.
    view_ = new CanvasView(this);

    const std::array<std::pair<SizeButton::Direction, QRect>, 4> sizes = {{
        {SizeButton::Direction::Up, QRect(336, 84, 630, 570)},
        {SizeButton::Direction::Down, QRect(336, 1092, 630, 570)},
        {SizeButton::Direction::Left, QRect(84, 588, 630, 570)},
        {SizeButton::Direction::Right, QRect(588, 588, 630, 570)},
    }};
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        auto* button = new SizeButton(sizes[i].first, this);
        const QRect& r = sizes[i].second;
        button->setGeometry(tw.rect(r.x(), r.y(), r.width(), r.height()));
        connect(button, &SizeButton::pressed, this, [this, i] {
            if (commands_.resizeObject(static_cast<SizeStep>(i)))
                canvas_->update();
        });
        sizeButtons_[i] = button;
    }

    for (int i = 0; i < 2; ++i) {
        auto* label = new QLabel(i == 0 ? QStringLiteral("PosX") : QStringLiteral("PosY"), this);
        label->setFont(arialFont(true));
        label->setGeometry(tw.rect(1512, i == 0 ? 168 : 420, 1104, 264));
        readout_[static_cast<std::size_t>(i)] = label;
    }

    canvas_ = new PageCanvas(model_, canvasModel_, this);
    view_->setCanvas(canvas_);
    connect(canvas_, &PageCanvas::objectPressed, this, &Varnel3DT::pressObject);
    connect(canvas_, &PageCanvas::objectDragged, this, &Varnel3DT::dragObject);
    // A click gives the canvas the keys: the arrows then move the current object.
    canvas_->setFocusPolicy(Qt::ClickFocus);
    canvas_->installEventFilter(this);
    // A landscape canvas reaches under the size buttons: they stay in front of it, to be seen and
    // pressed.
    for (SizeButton* button : sizeButtons_)
        button->raise();

    const std::array<QString, 8> captions = {QStringLiteral("Nuovo"),  QStringLiteral("Salva"),
                                             QStringLiteral("Cancella"), QStringLiteral("Stampa"),
                                             QStringLiteral("Inserisci oggetto"), QStringLiteral("Cancella oggetto"),
                                             QStringLiteral("Esci"),   QStringLiteral("Apri")};
    // Top of each command in the column.
    const std::array<int, 8> tops = {168, 1176, 2436, 1680, 7056, 7560, 8064, 672};
    for (std::size_t i = 0; i < captions.size(); ++i) {
        auto* button = new QPushButton(captions[i], this);
        button->setObjectName(QStringLiteral("SSCommand1_%1").arg(i));
        button->setFont(commandFont());
        button->setGeometry(tw.rect(kCommandLeft, tops[i], kCommandWidth, kCommandHeight));
        connect(button, &QPushButton::clicked, this, [this, i] { runCommand(static_cast<int>(i)); });
        buttons_[i] = button;
        column_.emplace_back(button, button->geometry());
    }

    combo_ = new QComboBox(this);
    combo_->setFont(arialFont(true));
    combo_->setGeometry(tw.rect(kCommandLeft, 6720, kCommandWidth, 288));
    column_.emplace_back(combo_, combo_->geometry());

    // Made after the list, so that Tab reaches the commands and the list as before.
    const std::array<std::tuple<QPushButton**, QString, int, void (Varnel3DT::*)()>, 2> history = {{
        {&undoButton_, QStringLiteral("Annulla modifica"), kUndoTop, &Varnel3DT::undo},
        {&redoButton_, QStringLiteral("Ripeti"), kRedoTop, &Varnel3DT::redo},
    }};
    for (const auto& [button, caption, top, slot] : history) {
        *button = new QPushButton(caption, this);
        (*button)->setFont(commandFont());
        (*button)->setGeometry(tw.rect(kCommandLeft, top, kCommandWidth, kCommandHeight));
        connect(*button, &QPushButton::clicked, this, slot);
        column_.emplace_back(*button, (*button)->geometry());
    }
    QUndoStack& steps = commands_.history().stack();
    undoButton_->setEnabled(steps.canUndo());
    redoButton_->setEnabled(steps.canRedo());
    connect(&steps, &QUndoStack::canUndoChanged, undoButton_, &QWidget::setEnabled);
    connect(&steps, &QUndoStack::canRedoChanged, redoButton_, &QWidget::setEnabled);
    addShortcuts();

    // Beyond the original column, in its free space above the kind list.
    previewButton_ = new QPushButton(QStringLiteral("Anteprima"), this);
    previewButton_->setObjectName(QStringLiteral("previewButton"));
    previewButton_->setFont(commandFont());
    previewButton_->setGeometry(tw.rect(kCommandLeft, kPreviewTop, kCommandWidth, kCommandHeight));
    connect(previewButton_, &QPushButton::clicked, this, &Varnel3DT::previewCommand);
    column_.emplace_back(previewButton_, previewButton_->geometry());

    zoomBox_ = new QComboBox(this);
    zoomBox_->setObjectName(QStringLiteral("zoomBox"));
    zoomBox_->setFont(arialFont(true));
    zoomBox_->setToolTip(QStringLiteral("Scala della pagina (Ctrl+rotella, Ctrl++, Ctrl+-, Ctrl+0)"));
    for (int percent : canvaszoom::Steps)
        zoomBox_->addItem(QStringLiteral("%1 %").arg(percent), percent);
    zoomBox_->setCurrentIndex(zoomBox_->findData(canvaszoom::Normal));
    zoomBox_->setGeometry(tw.rect(kCommandLeft, kZoomTop, kCommandWidth, 288));
    connect(zoomBox_, &QComboBox::activated, this, [this](int i) { setZoom(zoomBox_->itemData(i).toInt()); });
    connect(view_, &CanvasView::zoomChanged, this, &Varnel3DT::zoomShown);
    column_.emplace_back(zoomBox_, zoomBox_->geometry());

    // Like the object patterns, the scratch box lies inside the canvas; it is never seen.
    scratch_ = new QLabel(canvas_);
    scratch_->setObjectName(QStringLiteral("Picture3"));
    scratch_->setGeometry(tw.rect(0, 0, 300, 300));
    scratch_->hide();

    setFont(arialFont(false));
    setUpCanvas();
    updateTitle();
    layoutForSize();
}

void Varnel3DT::startDesigner()
{
    combo_->clear();
    combo_->addItems(objectKinds());
    // Nothing is chosen until the user picks a kind: "Inserisci oggetto" then inserts nothing.
    combo_->setCurrentIndex(-1);
    commands_.start();
    refresh();
}

bool Varnel3DT::openTemplate(const QString& path)
{
    const bool opened = commands_.openTemplate(path);
    refresh();
    return opened;
}

void Varnel3DT::refresh()
{
    updateTitle();
    placeCanvas();
}

void Varnel3DT::showReadout(const std::optional<Readout>& readout)
{
    if (!readout)
        return;
    readout_[0]->setText(readout->x);
    readout_[1]->setText(readout->y);
}

void Varnel3DT::pressObject(CanvasRef object, Qt::MouseButton button)
{
    const PressButton which = button == Qt::LeftButton    ? PressButton::Left
                              : button == Qt::RightButton ? PressButton::Right
                                                          : PressButton::Other;
    const PressOutcome outcome = ostrivo::pressObject(model_, canvasModel_, object, which);
    showReadout(outcome.readout);
    canvas_->update();
    // A drag, from the press to the release, is one step.
    if (which == PressButton::Left)
        commands_.history().begin(QStringLiteral("Sposta oggetto"));
    if (outcome.openPropertyDialog) {
        commands_.history().record(QStringLiteral("Proprietà"),
                                   [&] { openPropertyDialog(this, model_, canvasModel_, object, dialogs_); });
        canvas_->update();
    }
}

bool Varnel3DT::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != canvas_)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        commands_.history().commit();
    } else if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const CanvasKey action = canvasKey(key->key(), key->modifiers());
        if (action.action != CanvasKey::Action::None) {
            showReadout(commands_.canvasKey(action));
            canvas_->update();
            // The arrows stay with the canvas instead of walking through the commands.
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Varnel3DT::undo()
{
    // Not in the middle of a drag: its step is not closed yet.
    if (QGuiApplication::mouseButtons() & Qt::LeftButton)
        return;
    commands_.history().undo();
    afterHistory();
}

void Varnel3DT::redo()
{
    if (QGuiApplication::mouseButtons() & Qt::LeftButton)
        return;
    commands_.history().redo();
    afterHistory();
}

void Varnel3DT::afterHistory()
{
    // The readout follows the current object back to where the step left it.
    if (const std::optional<CanvasRef> current = currentObject(model_, canvasModel_);
        current && current->set != CanvasSet::Pic1)
        showReadout(readoutOf(canvasModel_.control(*current)));
    refresh();
}

void Varnel3DT::addShortcuts()
{
    const std::pair<QKeySequence, std::function<void()>> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_S), [this] { runCommand(Save); }},
        {QKeySequence(Qt::CTRL | Qt::Key_O), [this] { runCommand(Open); }},
        {QKeySequence(Qt::CTRL | Qt::Key_N), [this] { runCommand(NewTemplate); }},
        {QKeySequence(Qt::CTRL | Qt::Key_P), [this] { runCommand(Print); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { undo(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Y), [this] { redo(); }},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [this] { redo(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), [this] { setZoom(canvaszoom::stepIn(zoom())); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { setZoom(canvaszoom::stepIn(zoom())); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { setZoom(canvaszoom::stepOut(zoom())); }},
        {QKeySequence(Qt::CTRL | Qt::Key_0), [this] { setZoom(canvaszoom::Normal); }},
    };
    for (const auto& [sequence, run] : keys)
        connect(new QShortcut(sequence, this), &QShortcut::activated, this, run);
}

void Varnel3DT::dragObject(CanvasRef object, QPointF offsetTwips)
{
    showReadout(ostrivo::dragObject(model_, canvasModel_, object, offsetTwips.x(), offsetTwips.y()));
    canvas_->update();
}

void Varnel3DT::setUpCanvas()
{
    canvasModel_.setUp(model_);
    placeCanvas();
}

void Varnel3DT::placeCanvas()
{
    const QRect r = canvasModel_.canvasTwips();
    view_->setNormalPlace(Twips::forWidget(this).rect(r.x(), r.y(), r.width(), r.height()));
}

QSize Varnel3DT::growth() const
{
    const QSize normal = Twips::forWidget(this).size(kWindowWidth, kWindowHeight);
    return QSize(std::max(0, width() - normal.width()), std::max(0, height() - normal.height()));
}

void Varnel3DT::layoutForSize()
{
    const QSize grown = growth();
    for (const auto& [widget, place] : column_)
        widget->setGeometry(place.translated(grown.width(), 0));
    // The working area reaches the separator line, which moves with the column.
    view_->setGeometry(0, 0, Twips::forWidget(this).x(kSeparatorX) + grown.width(), height());
    update();
}

void Varnel3DT::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutForSize();
}

int Varnel3DT::zoom() const
{
    return view_->zoom();
}

void Varnel3DT::setZoom(int percent)
{
    view_->setZoom(percent);
}

void Varnel3DT::zoomShown(int percent)
{
    zoomBox_->setCurrentIndex(zoomBox_->findData(percent));
    if (settings_)
        settings_->setValue(QStringLiteral("designer/zoom"), percent);
}

void Varnel3DT::useSettings(QSettings* settings)
{
    settings_ = nullptr;
    if (settings) {
        restoreGeometry(settings->value(QStringLiteral("designer/geometry")).toByteArray());
        const int percent = settings->value(QStringLiteral("designer/zoom"), canvaszoom::Normal).toInt();
        // A scale between the steps (an edited file) is shown at the step below it.
        setZoom(canvaszoom::stepOut(canvaszoom::clamp(percent) + 1));
    }
    settings_ = settings;
}

void Varnel3DT::updateTitle()
{
    setWindowTitle(commands_.title());
}

void Varnel3DT::runCommand(int i)
{
    switch (i) {
    case NewTemplate:
        commands_.newTemplate();
        break;
    case Save:
        commands_.save();
        break;
    case DeleteTemplate:
        commands_.deleteTemplate();
        break;
    case Print:
        printCommand();
        break;
    case InsertObject:
        commands_.insertObject(combo_->currentText());
        canvas_->setFocus();
        break;
    case DeleteObject:
        commands_.deleteObject();
        break;
    case Exit:
        close();
        return;
    case Open:
        commands_.chooseAndOpen();
        break;
    default:
        return;
    }
    refresh();
}

void Varnel3DT::closeEvent(QCloseEvent* event)
{
    if (commands_.confirmClose()) {
        if (settings_)
            settings_->setValue(QStringLiteral("designer/geometry"), saveGeometry());
        event->accept();
    } else {
        event->ignore();
    }
}

void Varnel3DT::printCommand()
{
    // The print reads the file: unsaved edits are saved first, or left out knowingly.
    if (!commands_.confirmPrint())
        return;
    const QString values = InsParametri::ask(model_, dialogs_, isVisible() ? this : nullptr);
    if (values != QLatin1String("Null"))
        StampaModulo(isVisible() ? this : nullptr, dialogs_, model_.NomeModulo, values);
}

void Varnel3DT::previewCommand()
{
    const QString title = QStringLiteral("Anteprima");
    // The parameter dialog and the print run read a file: the template as the designer holds it
    // is written to one of its own, which goes with the preview.
    QTemporaryDir folder;
    if (!folder.isValid()) {
        dialogs_.message(notice(title, folder.errorString(), MessageIcon::Critical));
        return;
    }
    const QString name = NomeFileDaPercorso(model_.NomeModulo);
    const QString path = folder.filePath(name.isEmpty() ? QStringLiteral("Nuovo.vn3") : name);
    VN3Routine shown = model_;
    try {
        SalvaModulo(path, shown, canvasModel_);
    } catch (const Error& e) {
        dialogs_.message(notice(title, e.description(), MessageIcon::Critical));
        return;
    }
    shown.NomeModulo = path;
    QWidget* parent = isVisible() ? this : nullptr;
    const QString values = InsParametri::ask(shown, dialogs_, parent);
    if (values == QLatin1String("Null"))
        return;
    QStringList alsoRead;
    if (QFileInfo::exists(model_.NomeModulo))
        alsoRead << model_.NomeModulo;
    showPreview(parent, dialogs_, path, values, name, alsoRead);
}

void Varnel3DT::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const Twips tw = Twips::forWidget(this);
    // The column keeps to the right edge; the separator runs down as far as the window grows.
    const QSize grown = growth();
    p.translate(grown.width(), 0);
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.drawLine(tw.point(kSeparatorX, 0), tw.point(kSeparatorX, kSeparatorBottom) + QPoint(0, grown.height()));
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(tw.rect(kFrameLeft, kFrameTop, kFrameWidth, kFrameHeight));
}

}  // namespace ostrivo
