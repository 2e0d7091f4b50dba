#pragma once

// Helpers of the property dialog tests: the look every form shares, the Tab sequence, and picking
// from a drop-down list as the user does.

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "support/TestSupport.h"

namespace ostrivo::test {

// The contrast of a colour group's text on its base, from 1 (none) to 21 (black on white).
inline double contrast(const QPalette& palette, QPalette::ColorGroup group)
{
    auto luminance = [](const QColor& c) {
        auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double text = luminance(palette.color(group, QPalette::Text));
    const double base = luminance(palette.color(group, QPalette::Base));
    return (std::max(text, base) + 0.05) / (std::min(text, base) + 0.05);
}

// What is wrong with a form's look; empty when nothing is. Every control but the captions lies
// inside the client area and overlaps no other; typing boxes are light yellow, read-only boxes
// disabled and lavender with readable text; lists are drop-down lists to pick from; texts are in
// Arial, record lines in Courier New.
inline QStringList formProblems(const QDialog& dialog)
{
    const QColor yellow(255, 255, 192);
    const QColor lavender(128, 128, 255);
    QStringList problems;
    QList<QWidget*> controls;
    for (QWidget* w : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->isWindow() || qobject_cast<QLabel*>(w))
            continue;
        const QString name = QString::fromLatin1(w->metaObject()->className()) + QLatin1Char('@') +
                             QString::number(w->x()) + QLatin1Char(',') + QString::number(w->y());
        if (!dialog.rect().contains(w->geometry()))
            problems << name + QStringLiteral(" outside the client area");
        for (QWidget* other : controls) {
            if (other->geometry().intersects(w->geometry()))
                problems << name + QStringLiteral(" overlaps another control");
        }
        controls << w;
        if (auto* box = qobject_cast<QLineEdit*>(w)) {
            if (!box->isEnabled() && box->palette().color(QPalette::Disabled, QPalette::Base) != lavender)
                problems << name + QStringLiteral(" read-only but not lavender");
            if (!box->isEnabled() && contrast(box->palette(), QPalette::Disabled) < 4.5)
                problems << name + QStringLiteral(" read-only and hard to read");
            if (box->isEnabled() && !box->isReadOnly() && box->palette().color(QPalette::Active, QPalette::Base) != yellow)
                problems << name + QStringLiteral(" editable but not light yellow");
        }
        if (auto* list = qobject_cast<QComboBox*>(w)) {
            if (list->isEditable())
                problems << name + QStringLiteral(" can be typed in");
        }
        const QString family = qobject_cast<QListWidget*>(w) ? QStringLiteral("Courier New") : QStringLiteral("Arial");
        if (w->font().family() != family)
            problems << name + QStringLiteral(" in ") + w->font().family();
    }
    if (dialog.font().family() != QLatin1String("Arial"))
        problems << QStringLiteral("dialog in ") + dialog.font().family();
    return problems;
}

// The widgets Tab visits from `first` on, `count` of them.
inline QList<QWidget*> tabSequence(QWidget* first, int count)
{
    QList<QWidget*> sequence{first};
    for (QWidget* w = first->nextInFocusChain(); w != first && sequence.size() < count; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            sequence << w;
    }
    return sequence;
}

// Picks the entry whose text, without blanks at either end, is `text`, as the user does (the
// list's choice event runs). False when the list has no such entry.
inline bool pick(QComboBox* list, const QString& text)
{
    for (int k = 0; k < list->count(); ++k) {
        if (list->itemText(k).trimmed() == text) {
            list->setCurrentIndex(k);
            emit list->activated(k);
            return true;
        }
    }
    return false;
}

// The entries of a list without blanks at either end.
inline QStringList entries(const QComboBox* list)
{
    QStringList texts;
    for (int k = 0; k < list->count(); ++k)
        texts << list->itemText(k).trimmed();
    return texts;
}

}  // namespace ostrivo::test

// The one message a dialog showed holds `word`; no message at all when `word` is empty.
#define OSTRIVO_COMPARE_TOLD(dialogs, word)                                                              \
    do {                                                                                                \
        QCOMPARE((dialogs).messages().size(), std::size_t((word).isEmpty() ? 0 : 1));                   \
        if (!(word).isEmpty())                                                                          \
            QVERIFY2((dialogs).messages()[0].text.contains(word), qPrintable((dialogs).messages()[0].text)); \
    } while (0)

// Skips the current Qt test with a clear message where the shared test data is absent.
#define OSTRIVO_QSKIP_WITHOUT_TEST_DATA()                                                              \
    do {                                                                                               \
        if (::ostrivo::test::testDataDir().isEmpty())                                                  \
            QSKIP("shared test data not found (expected ../shared/data next to the repository); skipping"); \
    } while (0)
