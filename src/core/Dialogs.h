#pragma once

#include "core/TemplateColor.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace ostrivo {

enum class MessageIcon { None, Information, Question, Warning, Critical };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

struct MessageRequest {
    QString title;
    QString text;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
};

// The program's questions: Yes and No, a question icon, No the default; only Yes acts.
MessageRequest yesNoQuestion(const QString& title, const QString& text);
// A message with only "OK".
MessageRequest notice(const QString& title, const QString& text, MessageIcon icon = MessageIcon::Warning);

struct FileRequest {
    enum class Action { Open, Save };
    Action action = Action::Open;
    // ".\" is the current directory.
    QString initialDir;
    // As the templates' dialogs give it: "Description|pattern;pattern[|Description|pattern]".
    QString filter;
    QString fileName;
    QString title;
};

// A filter as Qt's file dialog takes it: "Description (pattern pattern);;...".
QString qtFileFilter(const QString& filter);
// The folder a file dialog opens in: ".\" and an empty or missing folder give the current one.
QString initialFolder(const QString& initialDir);
// The installed font families, with "Arial", "Times New Roman" and "Courier New" wherever a face
// with their metrics is installed; sorted without regard to case.
QStringList printerFontNames();

// What the program takes from the platform's dialogs. The Qt implementation shows real dialogs;
// tests script the answers with ScriptedDialogs.
class PlatformDialogs {
public:
    virtual ~PlatformDialogs() = default;

    virtual MessageAnswer message(const MessageRequest& request) = 0;
    // The chosen file's path; nothing when the user cancelled.
    virtual std::optional<QString> chooseFile(const FileRequest& request) = 0;
    // The chosen colour; nothing when cancelled.
    virtual std::optional<TemplateColor> chooseColor(TemplateColor initial) = 0;
    // The printer's font names, in the order the font lists show them.
    virtual QStringList fontNames() = 0;
};

}  // namespace ostrivo
