#include "engine/widgets/PreviewWindow.h"

#include "core/Dialogs.h"
#include "engine/PrintInputs.h"
#include "engine/PrintRun.h"
#include "engine/widgets/StampaModulo.h"
#include "print/PreviewSink.h"
#include "print/PrinterCatalogue.h"
#include "print/QtPrintSink.h"
#include "template/Helpers.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace ostrivo {

namespace {

// Pixels of grey around the page when it is fitted into the window.
constexpr int kFitMargin = 16;
// How often the event loop gets a turn while the print runs.
constexpr int kTurnMs = 40;
// The finest a page is painted: an A4 page is then 62 megabytes.
constexpr double kMaxDotsPerInch = 400;

}  // namespace

const std::vector<PreviewZoom>& PreviewZoom::choices()
{
    static const std::vector<PreviewZoom> all = [] {
        std::vector<PreviewZoom> zooms = {{Mode::FitPage, 100}, {Mode::FitWidth, 100}};
        for (int percent : {50, 75, 100, 125, 150, 200, 300, 400})
            zooms.push_back({Mode::Percent, percent});
        return zooms;
    }();
    return all;
}

QString PreviewZoom::text() const
{
    switch (mode) {
    case Mode::FitPage:
        return QStringLiteral("Pagina intera");
    case Mode::FitWidth:
        return QStringLiteral("Larghezza pagina");
    case Mode::Percent:
        break;
    }
    return QStringLiteral("%1 %").arg(percent);
}

double PreviewZoom::pixelsPerPoint(QSizeF paperPoints, QSize viewport, double dotsPerInch) const
{
    if (paperPoints.isEmpty())
        return dotsPerInch / 72;
    const double across = std::max(1, viewport.width() - 2 * kFitMargin) / paperPoints.width();
    const double down = std::max(1, viewport.height() - 2 * kFitMargin) / paperPoints.height();
    switch (mode) {
    case Mode::FitPage:
        return std::min(across, down);
    case Mode::FitWidth:
        return across;
    case Mode::Percent:
        break;
    }
    return std::clamp(percent, 50, 400) / 100.0 * dotsPerInch / 72;
}

PreviewWindow::PreviewWindow(PlatformDialogs& dialogs, QStringList inputs, QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      inputs_(std::move(inputs)),
      sink_(new PreviewSink),
      printer_(std::unique_ptr<PrintSink>(sink_))
{
    setObjectName(QStringLiteral("PreviewWindow"));
    title_ = QStringLiteral("Anteprima");
    setModal(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    auto makeButton = [this](const QString& text, const char* name, const QString& tip = {}) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setToolTip(tip);
        button->setAutoDefault(false);
        return button;
    };
    QPushButton* first = makeButton(QStringLiteral("|<"), "firstPage", QStringLiteral("Prima pagina"));
    QPushButton* previous = makeButton(QStringLiteral("<"), "previousPage", QStringLiteral("Pagina precedente"));
    QPushButton* next = makeButton(QStringLiteral(">"), "nextPage", QStringLiteral("Pagina successiva"));
    QPushButton* last = makeButton(QStringLiteral(">|"), "lastPage", QStringLiteral("Ultima pagina"));
    QPushButton* print = makeButton(QStringLiteral("Stampa"), "printButton");
    QPushButton* save = makeButton(QStringLiteral("Salva PDF..."), "savePdfButton");
    QPushButton* close = makeButton(QStringLiteral("Chiudi"), "closeButton");
    pageLabel_ = new QLabel(this);
    pageLabel_->setObjectName(QStringLiteral("pageLabel"));
    pageLabel_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Pagina 9999 di 9999 (in corso)")));
    pageLabel_->setAlignment(Qt::AlignCenter);
    zoomBox_ = new QComboBox(this);
    zoomBox_->setObjectName(QStringLiteral("zoomBox"));
    for (const PreviewZoom& zoom : PreviewZoom::choices())
        zoomBox_->addItem(zoom.text());

    auto* bar = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{first, previous, pageLabel_, next, last})
        bar->addWidget(w);
    bar->addStretch();
    bar->addWidget(zoomBox_);
    bar->addSpacing(12);
    bar->addWidget(print);
    bar->addWidget(save);
    bar->addWidget(close);

    page_ = new QLabel;
    page_->setAlignment(Qt::AlignCenter);
    area_ = new QScrollArea(this);
    area_->setBackgroundRole(QPalette::Dark);
    area_->setAlignment(Qt::AlignCenter);
    area_->setWidget(page_);
    area_->setWidgetResizable(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(area_, 1);

    connect(first, &QPushButton::clicked, this, [this] { showPage(1); });
    connect(previous, &QPushButton::clicked, this, [this] { showPage(current_ - 1); });
    connect(next, &QPushButton::clicked, this, [this] { showPage(current_ + 1); });
    connect(last, &QPushButton::clicked, this, [this] { showPage(sink_->completePages()); });
    connect(print, &QPushButton::clicked, this, &PreviewWindow::printShown);
    connect(save, &QPushButton::clicked, this, &PreviewWindow::savePdf);
    connect(close, &QPushButton::clicked, this, &PreviewWindow::reject);
    connect(zoomBox_, &QComboBox::activated, this, [this](int i) { setZoom(PreviewZoom::choices().at(static_cast<std::size_t>(i))); });
    const std::pair<QKeySequence, int> keys[] = {{QKeySequence(Qt::Key_Home), 0}, {QKeySequence(Qt::Key_PageUp), 1},
                                                 {QKeySequence(Qt::Key_PageDown), 2}, {QKeySequence(Qt::Key_End), 3}};
    for (const auto& [key, which] : keys) {
        auto* shortcut = new QShortcut(key, this);
        QPushButton* target = std::array{first, previous, next, last}[static_cast<std::size_t>(which)];
        connect(shortcut, &QShortcut::activated, target, &QPushButton::click);
    }

    const QRect screen = (parent ? parent->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    resize(std::min(screen.width() * 9 / 10, 1000), screen.height() * 9 / 10);
    updateControls();
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::setTitle(const QString& title)
{
    title_ = title;
    updateControls();
}

QPushButton* PreviewWindow::button(const char* name) const
{
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

bool PreviewWindow::pageBegun(int)
{
    if (closed_)
        return false;
    // The first page is shown the moment it is complete; after that the window catches up now
    // and then.
    const bool firstComplete = current_ == 0 && sink_->completePages() >= 1;
    if (firstComplete)
        showPage(1);
    if (firstComplete || !lastTurn_.isValid() || lastTurn_.elapsed() >= kTurnMs) {
        updateControls();
        QCoreApplication::processEvents();
        lastTurn_.start();
    }
    return !closed_;
}

void PreviewWindow::printEnded()
{
    if (current_ == 0 && sink_->completePages() >= 1)
        showPage(1);
    updateControls();
}

void PreviewWindow::showPage(int page)
{
    if (page < 1 || page > sink_->completePages())
        return;
    current_ = page;
    paintCurrent();
    updateControls();
}

void PreviewWindow::setZoom(PreviewZoom zoom)
{
    zoom_ = zoom;
    const auto& choices = PreviewZoom::choices();
    const auto found = std::find(choices.begin(), choices.end(), zoom);
    if (found != choices.end())
        zoomBox_->setCurrentIndex(static_cast<int>(found - choices.begin()));
    area_->setWidgetResizable(zoom.mode != PreviewZoom::Mode::Percent);
    paintCurrent();
}

void PreviewWindow::paintCurrent()
{
    if (current_ == 0)
        return;
    const double perPoint = zoom_.pixelsPerPoint(sink_->paperPoints(current_), area_->maximumViewportSize(), logicalDpiX());
    // A page at 400 % on a screen of double density would take a quarter of a gigabyte: past
    // kMaxDotsPerInch it is painted coarser and shown at the same size.
    const double wanted = perPoint * 72 * devicePixelRatioF();
    const double dotsPerInch = std::min(wanted, kMaxDotsPerInch);
    try {
        shown_ = sink_->paintPage(current_, dotsPerInch);
    } catch (const Error& e) {
        shown_ = QImage();
        page_->setText(e.description());
        return;
    }
    shown_.setDevicePixelRatio(devicePixelRatioF() * dotsPerInch / wanted);
    page_->setPixmap(QPixmap::fromImage(shown_));
    if (!area_->widgetResizable())
        page_->adjustSize();
    if (isVisible())
        page_->repaint();
    emit pageShown(current_);
}

void PreviewWindow::updateControls()
{
    const int complete = sink_->completePages();
    const bool ended = sink_->ended();
    if (current_ == 0)
        pageLabel_->setText(QStringLiteral("Pagina 1 in preparazione"));
    else if (ended)
        pageLabel_->setText(QStringLiteral("Pagina %1 di %2").arg(current_).arg(sink_->pageCount()));
    else
        pageLabel_->setText(QStringLiteral("Pagina %1 di %2 (in corso)").arg(current_).arg(complete));
    // The count in the title too, where the taskbar shows it.
    setWindowTitle(ended ? QStringLiteral("%1 (%2 %3)").arg(title_).arg(sink_->pageCount())
                                .arg(sink_->pageCount() == 1 ? QStringLiteral("pagina") : QStringLiteral("pagine"))
                         : title_);
    button("firstPage")->setEnabled(current_ > 1);
    button("previousPage")->setEnabled(current_ > 1);
    button("nextPage")->setEnabled(current_ > 0 && current_ < complete);
    button("lastPage")->setEnabled(current_ > 0 && current_ < complete);
    button("printButton")->setEnabled(ended);
    button("savePdfButton")->setEnabled(ended);
}

void PreviewWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (zoom_.mode != PreviewZoom::Mode::Percent)
        paintCurrent();
}

bool PreviewWindow::printShown()
{
    if (!sink_->ended())
        return false;
    std::optional<PrinterChoice> choice = choosePrinter(this);
    if (!choice)
        return false;
    return printOnChoice(this, dialogs_, std::move(*choice), QString(), inputs_,
                         [this](Printer& printer, const PrintSettings& settings) { sink_->replay(printer, settings.onPage); });
}

bool PreviewWindow::savePdf()
{
    if (!sink_->ended())
        return false;
    FileRequest request;
    request.action = FileRequest::Action::Save;
    request.title = QStringLiteral("Salva PDF");
    request.initialDir = QStringLiteral(".\\");
    request.filter = QStringLiteral("Documento PDF|*.pdf");
    request.fileName = QString(QtPrintSink::DefaultPdfFile);
    const std::optional<QString> chosen = dialogs_.chooseFile(request);
    if (!chosen || chosen->isEmpty())
        return false;
    QString path = *chosen;
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        path += QLatin1String(".pdf");
    if (QFileInfo::exists(path) &&
        dialogs_.message(yesNoQuestion(request.title, QStringLiteral("%1 esiste già. Sostituirlo?").arg(path))) != MessageAnswer::Yes)
        return false;
    PrinterChoice pdf;
    pdf.name = pdfPrinterName();
    return printOnChoice(
        this, dialogs_, std::move(pdf), path, inputs_,
        [this](Printer& printer, const PrintSettings& settings) { sink_->replay(printer, settings.onPage); }, PdfEnd::AskToOpen);
}

void PreviewWindow::reject()
{
    closed_ = true;
    QDialog::reject();
}

void showPreview(QWidget* parent, PlatformDialogs& dialogs, const QString& templatePath, const QString& values,
                 const QString& title, const QStringList& alsoRead)
{
    QStringList inputs;
    try {
        inputs = printInputFiles(templatePath) + alsoRead;
    } catch (const Error& e) {
        dialogs.message(notice(QStringLiteral("Anteprima"), e.description(), MessageIcon::Critical));
        return;
    }
    PreviewWindow window(dialogs, inputs, parent);
    window.setTitle(QStringLiteral("Anteprima - ") + (title.isEmpty() ? NomeFileDaPercorso(templatePath) : title));
    window.show();
    QCoreApplication::processEvents();
    PrintSettings settings;
    settings.onElementError = [&](const Error& e) { dialogs.message(notice(QStringLiteral("Stampa"), elementErrorText(e))); };
    settings.onPage = [&](int page) { return window.pageBegun(page); };
    try {
        PrintRun run(window.printer(), templatePath, values, settings);
        run.run();
    } catch (const Error& e) {
        if (e.number() != err::UserInterrupt)
            dialogs.message(notice(QStringLiteral("Anteprima"), e.description(), MessageIcon::Critical));
        return;
    }
    if (window.isHidden())
        return;
    window.printEnded();
    window.exec();
}

}  // namespace ostrivo
