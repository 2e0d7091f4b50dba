#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class QLabel;
class QListWidget;
class QPrinter;
class QPushButton;

namespace ostrivo {

// What the user chose in the printer dialog: the printer's name and, for a system printer whose
// "Proprietà..." the user confirmed, the QPrinter carrying those settings (hand both to makePrinter).
struct PrinterChoice {
    QString name;
    std::unique_ptr<QPrinter> settings;
    // The entry "Anteprima" was chosen: the pages are to be shown, not printed (name is empty).
    bool preview = false;
};

// Our printer dialog ("Stampa"): "PDF" and the system printers, the default one selected; "Ok",
// "Annulla" and "Proprietà..." for the settings of the chosen system printer (disabled for "PDF").
// The settings confirmed for each printer are kept while the dialog lives.
class PrinterDialog : public QDialog {
    Q_OBJECT

public:
    // Edits a printer's settings; true when the user confirmed them. Must leave the printer
    // unchanged when the user cancels.
    using SettingsEditor = std::function<bool(QPrinter& printer, QWidget* parent)>;

    // The printers of availablePrinters(), defaultPrinter() selected.
    explicit PrinterDialog(QWidget* parent = nullptr);
    // The printers given ("PDF" is added in front when missing), defaultName selected when listed.
    PrinterDialog(const QStringList& printers, const QString& defaultName, QWidget* parent = nullptr);
    ~PrinterDialog() override;

    // Offers the entry "Anteprima" below "PDF": the pages shown before anything is printed.
    void offerPreview();
    static QString previewEntry() { return QStringLiteral("Anteprima"); }

    // The printers listed, without the entry "Anteprima".
    QStringList printers() const;
    QString selectedPrinter() const;
    void selectPrinter(const QString& name);

    // Replaces the settings dialog (the page setup of the system printer); tests use it.
    void setSettingsEditor(SettingsEditor editor);
    // Opens the settings of the selected system printer, as "Proprietà..." does.
    void editSettings();
    // The settings kept for a printer; nullptr when the user never confirmed any.
    const QPrinter* settingsFor(const QString& name) const;

    // The selection and its settings (moved out of the dialog).
    PrinterChoice takeChoice();

private:
    void updateForSelection();

    QListWidget* list_ = nullptr;
    QLabel* description_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* propertiesButton_ = nullptr;
    SettingsEditor editor_;
    std::map<QString, std::unique_ptr<QPrinter>> settings_;
};

// Shows the printer dialog over parent, with the entry "Anteprima" when withPreview; nothing
// when the user cancels or closes it.
std::optional<PrinterChoice> choosePrinter(QWidget* parent = nullptr, bool withPreview = false);

}  // namespace ostrivo
