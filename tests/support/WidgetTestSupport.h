#pragma once

// Helpers of the widget tests (Qt Test programs): layouts in twips and modal windows.

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace ostrivo::test {

// Pixels of a length in twips at a resolution, computed here on its own so that a layout is
// checked against the numbers of its form and not against the program's own helper.
inline int px(double twips, double dpi)
{
    return qRound(twips * dpi / 1440.0);
}

inline QRect twipsRect(double left, double top, double width, double height, double dpiX, double dpiY)
{
    const int l = px(left, dpiX);
    const int t = px(top, dpiY);
    return QRect(l, t, px(left + width, dpiX) - l, px(top + height, dpiY) - t);
}

// The same, at the resolution of the screen a window is on.
inline QRect twipsRect(const QWidget& window, double left, double top, double width, double height)
{
    return twipsRect(left, top, width, height, window.screen()->logicalDotsPerInchX(),
                     window.screen()->logicalDotsPerInchY());
}

// Watches for modal widgets while a modal call runs: each one is handed to `action`, which must
// close it. Records the classes it saw, and each message box as "title|text".
class ModalWatcher {
public:
    explicit ModalWatcher(std::function<void(QWidget&)> action) : action_(std::move(action))
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal == handled_)
                return;
            handled_ = modal;
            seen_.push_back(QString::fromLatin1(modal->metaObject()->className()));
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                messages_.push_back(box->windowTitle() + QLatin1Char('|') + box->text());
            action_(*modal);
        });
        timer_.start();
    }
    const QStringList& seen() const { return seen_; }
    const QStringList& messages() const { return messages_; }

private:
    std::function<void(QWidget&)> action_;
    QTimer timer_;
    QPointer<QWidget> handled_;
    QStringList seen_;
    QStringList messages_;
};

}  // namespace ostrivo::test
