#include "engine/widgets/PrintProgress.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace ostrivo {

namespace {

// How often the event loop gets a turn while the window shows: ten times a second answers a click
// at once, and costs the print nothing measurable (its bar and labels repaint at each turn).
constexpr int kTurnMs = 100;

}  // namespace

PrintProgress::PrintProgress(QWidget* parent, int showAfterMs) : QDialog(parent), showAfterMs_(showAfterMs)
{
    setWindowTitle(QStringLiteral("Stampa in corso"));
    setModal(true);
    heading_ = new QLabel(QStringLiteral("Stampa in corso: pagina 1"), this);
    heading_->setObjectName(QStringLiteral("progressHeading"));
    detail_ = new QLabel(this);
    detail_->setObjectName(QStringLiteral("progressDetail"));
    // The page count is known only at the end: a bar that says the print is alive.
    auto* bar = new QProgressBar(this);
    bar->setRange(0, 0);
    stop_ = new QPushButton(QStringLiteral("Interrompi"), this);
    stop_->setObjectName(QStringLiteral("stopButton"));
    stop_->setDefault(true);
    connect(stop_, &QPushButton::clicked, this, &PrintProgress::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(stop_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(detail_);
    layout->addWidget(bar);
    layout->addLayout(buttons);
    setMinimumWidth(360);
    started_.start();
}

bool PrintProgress::pageBegun(int page)
{
    if (stopped_)
        return false;
    if (!shown_) {
        if (started_.elapsed() < showAfterMs_)
            return true;
        showNow();
    } else if (lastTurn_.elapsed() < kTurnMs) {
        return true;
    }
    heading_->setText(QStringLiteral("Stampa in corso: pagina %1").arg(page));
    detail_->setText(QStringLiteral("Pagine pronte: %1").arg(page - 1));
    QCoreApplication::processEvents();
    lastTurn_.start();
    return !stopped_;
}

void PrintProgress::showNow()
{
    shown_ = true;
    show();
    raise();
    activateWindow();
}

void PrintProgress::reject()
{
    if (stopped_)
        return;
    stopped_ = true;
    stop_->setEnabled(false);
    heading_->setText(QStringLiteral("Interruzione della stampa..."));
}

}  // namespace ostrivo
