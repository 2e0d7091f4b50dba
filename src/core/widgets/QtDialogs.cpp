#include "core/widgets/QtDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace ostrivo {

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QWidget* QtDialogs::owner() const
{
    // Over the window that has the user's attention: a preview or a print's progress window
    // shows above the designer, and a message under it could not be answered.
    QWidget* modal = QApplication::activeModalWidget();
    return modal ? modal : parent_;
}

MessageAnswer QtDialogs::message(const MessageRequest& request)
{
    QMessageBox box(qtIcon(request.icon), request.title, request.text, QMessageBox::NoButton, owner());
    // The buttons speak the program's language whatever translations the toolkit has.
    struct Choice {
        MessageAnswer answer;
        QMessageBox::StandardButton button;
        const char* text;
    };
    std::vector<Choice> choices;
    switch (request.buttons) {
    case MessageButtons::Ok:
        choices = {{MessageAnswer::Ok, QMessageBox::Ok, "OK"}};
        break;
    case MessageButtons::YesNo:
        choices = {{MessageAnswer::Yes, QMessageBox::Yes, "Sì"}, {MessageAnswer::No, QMessageBox::No, "No"}};
        break;
    case MessageButtons::YesNoCancel:
        choices = {{MessageAnswer::Yes, QMessageBox::Yes, "Sì"},
                   {MessageAnswer::No, QMessageBox::No, "No"},
                   {MessageAnswer::Cancel, QMessageBox::Cancel, "Annulla"}};
        break;
    }
    for (const Choice& c : choices) {
        QPushButton* button = box.addButton(c.button);
        button->setText(QString::fromUtf8(c.text));
        if (c.answer == request.defaultAnswer)
            box.setDefaultButton(button);
    }
    const int pressed = box.exec();
    for (const Choice& c : choices) {
        if (pressed == c.button)
            return c.answer;
    }
    // Closed with Escape or the window's close box.
    return request.buttons == MessageButtons::YesNoCancel ? MessageAnswer::Cancel
           : request.buttons == MessageButtons::YesNo     ? MessageAnswer::No
                                                          : MessageAnswer::Ok;
}

std::optional<QString> QtDialogs::chooseFile(const FileRequest& request)
{
    QFileDialog dialog(owner(), request.title, initialFolder(request.initialDir), qtFileFilter(request.filter));
    const bool save = request.action == FileRequest::Action::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);  // the program asks its own questions
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

std::optional<TemplateColor> QtDialogs::chooseColor(TemplateColor initial)
{
    const QColor color = QColorDialog::getColor(initial.toQColor(), owner());
    if (!color.isValid())
        return std::nullopt;
    return TemplateColor::rgb(color.red(), color.green(), color.blue());
}

}  // namespace ostrivo
