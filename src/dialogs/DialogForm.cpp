#include "dialogs/DialogForm.h"

#include "dialogs/ListLines.h"
#include "core/Dialogs.h"
#include "core/widgets/Twips.h"

#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

namespace ostrivo {

namespace {

constexpr int kKeptRole = Qt::UserRole + 100;

void paint(QWidget* widget, QPalette::ColorGroup group, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(group, QPalette::Base, color);
    palette.setColor(group, QPalette::Button, color);
    widget->setPalette(palette);
}

void paintAllGroups(QWidget* widget, const QColor& color)
{
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        paint(widget, group, color);
}

// Builds controls at their places in twips, at the resolution of the dialog's screen.
class FormBuilder {
public:
    explicit FormBuilder(QDialog& dialog) : dialog_(dialog), twips_(Twips::forWidget(&dialog)) {}

    QRect rect(TwipPlace p) const { return twips_.rect(p.left, p.top, p.width, p.height); }
    QSize size(int width, int height) const { return twips_.size(width, height); }

    template <typename W>
    W* place(W* widget, TwipPlace p) const
    {
        widget->setGeometry(rect(p));
        return widget;
    }

    QLineEdit* box(const ControlPlace& c) const
    {
        auto* box = place(new QLineEdit(&dialog_), c.place);
        if (c.maxLength > 0)
            box->setMaxLength(c.maxLength);
        switch (c.kind) {
        case ControlKind::ReadOnlyBox: {
            box->setEnabled(false);
            paintAllGroups(box, kReadOnlyColor);
            // Disabled only so that it takes neither the focus nor typing: what it shows (the
            // base, a type, a reference) is read in the normal text colour, not the faint one.
            QPalette palette = box->palette();
            palette.setColor(QPalette::Disabled, QPalette::Text, palette.color(QPalette::Active, QPalette::Text));
            box->setPalette(palette);
            break;
        }
        case ControlKind::Swatch:
            box->setReadOnly(true);
            break;
        default:
            paint(box, QPalette::Active, kEditableColor);
            paint(box, QPalette::Inactive, kEditableColor);
            break;
        }
        return box;
    }

    QComboBox* pickList(TwipPlace p) const
    {
        auto* list = place(new QComboBox(&dialog_), p);
        list->setEditable(false);
        paint(list, QPalette::Active, kEditableColor);
        paint(list, QPalette::Inactive, kEditableColor);
        return list;
    }

    QPushButton* button(const QString& caption, TwipPlace p) const
    {
        auto* button = place(new QPushButton(caption, &dialog_), p);
        // Enter presses the button that has the focus, never one that does not.
        button->setAutoDefault(true);
        button->setDefault(false);
        return button;
    }

    QListWidget* lineList(TwipPlace p) const
    {
        auto* list = place(new QListWidget(&dialog_), p);
        list->setFont(QFont(QStringLiteral("Courier New"), 8));
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        return list;
    }

private:
    QDialog& dialog_;
    Twips twips_;
};

}  // namespace

FormControls buildForm(QDialog& dialog, const QString& caption, int widthTwips, int heightTwips,
                       std::span<const ControlPlace> places)
{
    dialog.setWindowTitle(caption);
    dialog.setModal(true);
    dialog.setFont(QFont(QStringLiteral("Arial"), 8));
    const FormBuilder form(dialog);
    dialog.setFixedSize(form.size(widthTwips, heightTwips));

    FormControls controls;
    for (const ControlPlace& c : places) {
        const QString text = QString::fromUtf8(c.caption);
        switch (c.kind) {
        case ControlKind::Label:
            controls.labels[c.index] = form.place(new QLabel(text, &dialog), c.place);
            break;
        case ControlKind::EditBox:
        case ControlKind::ReadOnlyBox:
        case ControlKind::Swatch:
            controls.boxes[c.index] = form.box(c);
            controls.boxes[c.index]->setText(text);
            break;
        case ControlKind::PickList:
            controls.lists[c.index] = form.pickList(c.place);
            break;
        case ControlKind::Button:
            controls.buttons[c.index] = form.button(text, c.place);
            break;
        case ControlKind::LineList:
            controls.lines = form.lineList(c.place);
            break;
        }
    }
    return controls;
}

void paintSwatch(QLineEdit* box, const QColor& color)
{
    paintAllGroups(box, color);
}

void setTabChain(std::initializer_list<QWidget*> widgets)
{
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void showWhole(QLineEdit* box, const QString& text)
{
    if (text.size() > box->maxLength())
        box->setMaxLength(static_cast<int>(text.size()));
    box->setText(text);
}

void FormKeys::watch(QWidget* widget)
{
    widget->removeEventFilter(this);
    widget->installEventFilter(this);
}

void FormKeys::onEnter(QWidget* widget, std::function<void()> action)
{
    enter_[widget] = std::move(action);
    watch(widget);
}

void FormKeys::selectAllOnFocus(QLineEdit* box)
{
    selectOnFocus_[box] = box;
    watch(box);
}

void FormKeys::onClick(QWidget* widget, std::function<void()> action)
{
    click_[widget] = std::move(action);
    watch(widget);
}

bool FormKeys::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto it = enter_.find(watched);
        if (it != enter_.end() && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            if (it->second)
                it->second();
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
        if (const auto it = selectOnFocus_.find(watched); it != selectOnFocus_.end()) {
            // After the click that gave the focus has placed the cursor.
            QLineEdit* box = it->second;
            QTimer::singleShot(0, box, [box] { box->selectAll(); });
        }
        break;
    case QEvent::MouseButtonRelease:
        if (const auto it = click_.find(watched); it != click_.end())
            it->second();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void fillList(QComboBox* list, const QStringList& entries)
{
    list->clear();
    list->addItems(entries);
    list->setCurrentIndex(-1);
}

bool isKeptEntry(const QComboBox* list, int index)
{
    return index >= 0 && list->itemData(index, kKeptRole).toBool();
}

bool offersIgnoringCase(const QComboBox* list, const QString& value)
{
    for (int k = 0; k < list->count(); ++k) {
        if (!isKeptEntry(list, k) && list->itemText(k).trimmed().compare(value, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool selectOrKeep(QComboBox* list, const QString& value, EntryMatch match)
{
    if (value.isEmpty())
        return false;
    for (int k = list->count() - 1; k >= 0; --k) {
        if (isKeptEntry(list, k))
            list->removeItem(k);
    }
    for (int k = 0; k < list->count(); ++k) {
        const QString text = match == EntryMatch::Trimmed ? list->itemText(k).trimmed() : list->itemText(k);
        if (text == value) {
            list->setCurrentIndex(k);
            return true;
        }
    }
    list->addItem(value);
    list->setItemData(list->count() - 1, true, kKeptRole);
    list->setCurrentIndex(list->count() - 1);
    return false;
}

void showLines(QListWidget* list, const EditedList& lines)
{
    const QSignalBlocker blocker(list);
    list->clear();
    for (const ListLine& line : lines.lines())
        list->addItem(line.text);
    list->setCurrentRow(lines.selected());
}

void reportProblem(PlatformDialogs& dialogs, const QString& title, const QString& text)
{
    dialogs.message(notice(title, text, MessageIcon::Warning));
}

std::optional<QString> chosenExistingFile(PlatformDialogs& dialogs, const FileRequest& request, const QString& title)
{
    const std::optional<QString> file = dialogs.chooseFile(request);
    if (!file)
        return std::nullopt;
    if (!QFileInfo::exists(*file)) {
        reportProblem(dialogs, title, QStringLiteral("Il file \"%1\" non esiste.").arg(*file));
        return std::nullopt;
    }
    return file;
}

}  // namespace ostrivo
