#include "print/widgets/PrinterDialog.h"

#include "print/widgets/SystemPrinters.h"
#include "print/QtPrintSink.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace ostrivo {

static bool editWithPageSetup(QPrinter& printer, QWidget* parent)
{
    QPageSetupDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Proprietà"));
    return dialog.exec() == QDialog::Accepted;
}

PrinterDialog::PrinterDialog(QWidget* parent) : PrinterDialog(availablePrinters(), defaultPrinter(), parent) {}

PrinterDialog::PrinterDialog(const QStringList& printers, const QString& defaultName, QWidget* parent)
    : QDialog(parent), editor_(editWithPageSetup)
{
    setWindowTitle(QStringLiteral("Stampa"));
    setModal(true);

    auto* caption = new QLabel(QStringLiteral("Stampante:"), this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("printerList"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->addItems(printerList(printers));
    caption->setBuddy(list_);

    description_ = new QLabel(this);
    description_->setObjectName(QStringLiteral("printerDescription"));
    description_->setWordWrap(true);

    okButton_ = new QPushButton(QStringLiteral("Ok"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Annulla"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    propertiesButton_ = new QPushButton(QStringLiteral("Proprietà..."), this);
    propertiesButton_->setObjectName(QStringLiteral("propertiesButton"));
    propertiesButton_->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(propertiesButton_);
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(list_);
    layout->addWidget(description_);
    layout->addLayout(buttons);

    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(propertiesButton_, &QPushButton::clicked, this, &PrinterDialog::editSettings);
    connect(list_, &QListWidget::itemSelectionChanged, this, &PrinterDialog::updateForSelection);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    selectPrinter(list_->findItems(defaultName, Qt::MatchExactly).isEmpty() ? pdfPrinterName() : defaultName);
    updateForSelection();
}

PrinterDialog::~PrinterDialog() = default;

namespace {

// Marks the entry "Anteprima", which is no printer even where a print queue bears its name.
constexpr int kPreviewRole = Qt::UserRole + 1;

bool isPreview(const QListWidgetItem* item)
{
    return item && item->data(kPreviewRole).toBool();
}

}  // namespace

void PrinterDialog::offerPreview()
{
    for (int row = 0; row < list_->count(); ++row) {
        if (isPreview(list_->item(row)))
            return;
    }
    auto* entry = new QListWidgetItem(previewEntry());
    entry->setData(kPreviewRole, true);
    entry->setToolTip(QStringLiteral("Mostra le pagine prima di stamparle"));
    list_->insertItem(1, entry);
}

QStringList PrinterDialog::printers() const
{
    QStringList names;
    for (int row = 0; row < list_->count(); ++row) {
        if (!isPreview(list_->item(row)))
            names.push_back(list_->item(row)->text());
    }
    return names;
}

QString PrinterDialog::selectedPrinter() const
{
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

static bool previewSelected(const QListWidget& list)
{
    const QList<QListWidgetItem*> selected = list.selectedItems();
    return !selected.isEmpty() && isPreview(selected.first());
}

void PrinterDialog::selectPrinter(const QString& name)
{
    const QList<QListWidgetItem*> found = list_->findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return;
    list_->setCurrentItem(found.first());
    found.first()->setSelected(true);
}

void PrinterDialog::setSettingsEditor(SettingsEditor editor)
{
    editor_ = std::move(editor);
}

void PrinterDialog::editSettings()
{
    const QString name = selectedPrinter();
    if (name.isEmpty() || name == pdfPrinterName() || previewSelected(*list_) || !editor_)
        return;
    // Kept settings are edited in place: the page setup changes its printer only when confirmed.
    if (const auto kept = settings_.find(name); kept != settings_.end()) {
        editor_(*kept->second, this);
        return;
    }
    auto printer = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(name), QPrinter::HighResolution);
    if (editor_(*printer, this))
        settings_[name] = std::move(printer);
}

const QPrinter* PrinterDialog::settingsFor(const QString& name) const
{
    const auto found = settings_.find(name);
    return found == settings_.end() ? nullptr : found->second.get();
}

PrinterChoice PrinterDialog::takeChoice()
{
    PrinterChoice choice;
    if (previewSelected(*list_)) {
        choice.preview = true;
        return choice;
    }
    choice.name = selectedPrinter();
    if (auto found = settings_.find(choice.name); found != settings_.end()) {
        choice.settings = std::move(found->second);
        settings_.erase(found);
    }
    return choice;
}

void PrinterDialog::updateForSelection()
{
    const QString name = selectedPrinter();
    const bool preview = previewSelected(*list_);
    okButton_->setEnabled(!name.isEmpty());
    propertiesButton_->setEnabled(!name.isEmpty() && name != pdfPrinterName() && !preview);
    if (preview) {
        description_->setText(QStringLiteral("Mostra le pagine; da lì si stampa o si salva il PDF."));
    } else if (name == pdfPrinterName()) {
        description_->setText(QStringLiteral("Scrive il file %1 nella cartella corrente e lo apre.").arg(QtPrintSink::DefaultPdfFile));
    } else if (!name.isEmpty()) {
        const QPrinterInfo info = QPrinterInfo::printerInfo(name);
        QStringList parts;
        if (!info.description().isEmpty() && info.description() != name)
            parts.push_back(info.description());
        if (!info.location().isEmpty())
            parts.push_back(info.location());
        description_->setText(parts.join(QStringLiteral(" - ")));
    } else {
        description_->clear();
    }
}

std::optional<PrinterChoice> choosePrinter(QWidget* parent, bool withPreview)
{
    PrinterDialog dialog(parent);
    if (withPreview)
        dialog.offerPreview();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.takeChoice();
}

}  // namespace ostrivo
