#include "core/ScriptedDialogs.h"

namespace ostrivo {

MessageAnswer ScriptedDialogs::message(const MessageRequest& request)
{
    messages_.push_back(request);
    if (messageAnswers_.empty()) {
        if (request.buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        throw UnexpectedDialog("unscripted question: " + request.text.toStdString());
    }
    const MessageAnswer answer = messageAnswers_.front();
    messageAnswers_.pop_front();
    return answer;
}

std::optional<QString> ScriptedDialogs::chooseFile(const FileRequest& request)
{
    files_.push_back(request);
    if (fileAnswers_.empty())
        throw UnexpectedDialog("unscripted file dialog: " + request.filter.toStdString());
    std::optional<QString> answer = fileAnswers_.front();
    fileAnswers_.pop_front();
    return answer;
}

std::optional<TemplateColor> ScriptedDialogs::chooseColor(TemplateColor initial)
{
    colors_.push_back(initial);
    if (colorAnswers_.empty())
        throw UnexpectedDialog("unscripted colour dialog");
    const std::optional<TemplateColor> answer = colorAnswers_.front();
    colorAnswers_.pop_front();
    return answer;
}

}  // namespace ostrivo
