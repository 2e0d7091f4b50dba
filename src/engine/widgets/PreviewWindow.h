#pragma once

#include "print/Printer.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace ostrivo {

class PlatformDialogs;
class PreviewSink;

// How large the preview shows a page.
struct PreviewZoom {
    enum class Mode { FitPage, FitWidth, Percent };
    Mode mode = Mode::FitPage;
    int percent = 100;  // for Percent: 50 to 400

    // The choices of the zoom box, in order, and their texts ("Pagina intera", ..., "400 %").
    static const std::vector<PreviewZoom>& choices();
    QString text() const;
    // The scale of paper points on the screen's pixels: a page of paperPoints in a viewport of
    // viewport pixels, at dotsPerInch screen pixels an inch.
    double pixelsPerPoint(QSizeF paperPoints, QSize viewport, double dotsPerInch) const;
    bool operator==(const PreviewZoom&) const = default;
};

// "Anteprima": the pages of a print, painted from its recorded ops (PreviewSink), with the page
// number and count, first / previous / next / last, the zoom box, "Stampa" (the printer dialog,
// then the chosen printer or PDF, given exactly the ops shown) and "Salva PDF...". The pages come
// while the print runs: the window is shown first and the print run (on printer()) calls
// pageBegun between pages, which shows each page as it is complete and lets the window answer.
// Closing the window stops the print. Application modal while it shows.
class PreviewWindow : public QDialog {
    Q_OBJECT

public:
    // inputs: the files the print reads, which no PDF is written over.
    PreviewWindow(PlatformDialogs& dialogs, QStringList inputs, QWidget* parent = nullptr);
    ~PreviewWindow() override;

    // The window's title; once the print has ended, the page count follows it.
    void setTitle(const QString& title);

    // The printer front the print runs on; its output is the preview.
    Printer& printer() { return printer_; }
    const PreviewSink& pages() const { return *sink_; }

    // For PrintSettings::onPage: false once the window was closed.
    bool pageBegun(int page);
    // The print has ended (whole): the count is final, "Stampa" and "Salva PDF..." are offered.
    void printEnded();

    int currentPage() const { return current_; }
    void showPage(int page);
    PreviewZoom zoom() const { return zoom_; }
    void setZoom(PreviewZoom zoom);
    // The page as shown (null before the first page is complete).
    const QImage& shownImage() const { return shown_; }

    // "Stampa" and "Salva PDF..."; the job's outcome.
    bool printShown();
    bool savePdf();

    QLabel* pageLabel() const { return pageLabel_; }
    QComboBox* zoomBox() const { return zoomBox_; }
    QPushButton* button(const char* name) const;

    void reject() override;

signals:
    // A page was painted into the window (the first one as soon as it is complete).
    void pageShown(int page);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void paintCurrent();
    void updateControls();

    PlatformDialogs& dialogs_;
    QStringList inputs_;
    PreviewSink* sink_;  // owned by printer_
    Printer printer_;
    int current_ = 0;  // 0 until the first page is complete
    PreviewZoom zoom_;
    QImage shown_;
    QString title_;  // as given, before the page count is added
    bool closed_ = false;
    QElapsedTimer lastTurn_;
    QScrollArea* area_ = nullptr;
    QLabel* page_ = nullptr;
    QLabel* pageLabel_ = nullptr;
    QComboBox* zoomBox_ = nullptr;
};

// The designer's "Anteprima" and the printer dialog's: runs the print of templatePath with values
// into a PreviewWindow over parent and keeps it open until the user closes it. A failed print is
// reported in a message box and closes the window. title names the template in the window's
// title (else templatePath's file name); alsoRead are files the print reads besides those the
// template names (the designer's own file, when the print is of a copy).
void showPreview(QWidget* parent, PlatformDialogs& dialogs, const QString& templatePath, const QString& values,
                 const QString& title = {}, const QStringList& alsoRead = {});

}  // namespace ostrivo
