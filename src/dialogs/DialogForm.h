#pragma once

#include <QColor>
#include <QDialog>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <span>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace ostrivo {

class EditedList;
class PlatformDialogs;
struct FileRequest;

// A control's place on its form, in twips: left, top, width, height.
struct TwipPlace {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Boxes the user types in are light yellow; boxes that only show are disabled and lavender, their
// text in the normal text colour.
inline const QColor kEditableColor{255, 255, 192};
inline const QColor kReadOnlyColor{128, 128, 255};

enum class ControlKind {
    Label,
    EditBox,      // light yellow, for typing
    ReadOnlyBox,  // disabled, lavender, readable
    Swatch,       // shows a colour; reached with Tab, never typed in
    PickList,     // a drop-down list the user can only pick from
    Button,
    LineList,     // record lines, in Courier New
};

// One row of a dialog's table of places: the control, its index in its set, its caption, its
// place and, for a box, the most characters the user can type (0: no limit of its own).
struct ControlPlace {
    ControlKind kind;
    int index;
    const char* caption;  // UTF-8
    TwipPlace place;
    int maxLength = 0;
};

// The controls built from a table of places, by set: labels, boxes (Text1), lists (Combo1),
// buttons and the one list of lines. Asking for a control the table does not have throws.
struct FormControls {
    std::map<int, QLabel*> labels;
    std::map<int, QLineEdit*> boxes;
    std::map<int, QComboBox*> lists;
    std::map<int, QPushButton*> buttons;
    QListWidget* lines = nullptr;

    QLabel* label(int n) const { return labels.at(n); }
    QLineEdit* box(int n) const { return boxes.at(n); }
    QComboBox* list(int n) const { return lists.at(n); }
    QPushButton* button(int n) const { return buttons.at(n); }
};

// Sets the dialog's caption, its client area (in twips) and font (Arial), and builds the controls
// of the table at their places.
FormControls buildForm(QDialog& dialog, const QString& caption, int widthTwips, int heightTwips,
                       std::span<const ControlPlace> places);

// A dialog built from its table of places, its controls named by set and index as on the form.
class FormDialog : public QDialog {
public:
    QLabel* Label1(int n) const { return controls_.label(n); }
    QLineEdit* Text1(int n) const { return controls_.box(n); }
    QComboBox* Combo1(int n) const { return controls_.list(n); }
    QListWidget* List1() const { return controls_.lines; }

protected:
    FormDialog(QWidget* parent, const QString& caption, int widthTwips, int heightTwips,
               std::span<const ControlPlace> places)
        : QDialog(parent), controls_(buildForm(*this, caption, widthTwips, heightTwips, places))
    {
    }
    QPushButton* button(int n) const { return controls_.button(n); }

private:
    FormControls controls_;
};

// Paints a box's background in a colour: the colour box's swatch.
void paintSwatch(QLineEdit* box, const QColor& color);

// The focus follows the widgets in this order on Tab.
void setTabChain(std::initializer_list<QWidget*> widgets);

// Fills a box with a stored text that may be longer than what the box lets the user type: the
// text is shown and kept whole.
void showWhole(QLineEdit* box, const QString& text);

// The keys and clicks of a form's boxes: Enter runs the box's move (and never presses a button
// from a box), a box may select its whole text when it gets the focus, a click may run an action.
class FormKeys : public QObject {
public:
    explicit FormKeys(QObject* parent) : QObject(parent) {}
    // Enter in the widget runs action (nothing: Enter is only swallowed).
    void onEnter(QWidget* widget, std::function<void()> action = {});
    void selectAllOnFocus(QLineEdit* box);
    void onClick(QWidget* widget, std::function<void()> action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QWidget* widget);
    std::map<QObject*, std::function<void()>> enter_;
    std::map<QObject*, std::function<void()>> click_;
    std::map<QObject*, QLineEdit*> selectOnFocus_;
};

// Pick-only lists that must show a stored value they do not offer (a font this machine lacks, a
// size outside 6 to 20, a table the database no longer lists) hold it as one kept entry, so that
// "Ok" stores it unchanged.
enum class EntryMatch {
    Exact,    // the entry's text equals the value
    Trimmed,  // the entry's text without blanks at either end equals it (padded field names)
};
// Replaces the entries (and any kept one).
void fillList(QComboBox* list, const QStringList& entries);
// Selects the first entry that matches value; where none does, a value that is not empty becomes
// the kept entry (replacing an earlier one) and is selected. Returns true when a listed entry
// matched; an empty value selects nothing new.
bool selectOrKeep(QComboBox* list, const QString& value, EntryMatch match = EntryMatch::Exact);
bool isKeptEntry(const QComboBox* list, int index);
// True when a listed entry (a kept one aside) names value, ignoring case as the database engine
// does with names.
bool offersIgnoringCase(const QComboBox* list, const QString& value);

// Shows the lines of an edited list, with its selection, in a list control.
void showLines(QListWidget* list, const EditedList& lines);

// A problem shown to the user in a warning titled as the dialog.
void reportProblem(PlatformDialogs& dialogs, const QString& title, const QString& text);

// The file the user chose in the file dialog; nothing when it was cancelled (which changes
// nothing) or when the file does not exist (reported).
std::optional<QString> chosenExistingFile(PlatformDialogs& dialogs, const FileRequest& request, const QString& title);

}  // namespace ostrivo
