#pragma once

#include "core/Dialogs.h"

#include <deque>
#include <stdexcept>
#include <vector>

namespace ostrivo {

// A dialog that the script did not expect: the test that met it fails with this.
class UnexpectedDialog : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// The user, scripted: each dialog takes the next answer given for its kind and is recorded.
// A message with only "OK" needs no answer; any other dialog without one throws UnexpectedDialog.
class ScriptedDialogs : public PlatformDialogs {
public:
    void answerMessage(MessageAnswer answer) { messageAnswers_.push_back(answer); }
    // nothing: the user cancels the file dialog.
    void answerFile(std::optional<QString> path) { fileAnswers_.push_back(std::move(path)); }
    void answerColor(std::optional<TemplateColor> color) { colorAnswers_.push_back(color); }
    void setFontNames(QStringList names) { fonts_ = std::move(names); }

    MessageAnswer message(const MessageRequest& request) override;
    std::optional<QString> chooseFile(const FileRequest& request) override;
    std::optional<TemplateColor> chooseColor(TemplateColor initial) override;
    QStringList fontNames() override { return fonts_; }

    // What the program asked, in order.
    const std::vector<MessageRequest>& messages() const { return messages_; }
    const std::vector<FileRequest>& fileRequests() const { return files_; }
    const std::vector<TemplateColor>& colorRequests() const { return colors_; }
    // True when every scripted answer was used.
    bool allAnswered() const { return messageAnswers_.empty() && fileAnswers_.empty() && colorAnswers_.empty(); }

private:
    std::deque<MessageAnswer> messageAnswers_;
    std::deque<std::optional<QString>> fileAnswers_;
    std::deque<std::optional<TemplateColor>> colorAnswers_;
    QStringList fonts_{QStringLiteral("Arial"), QStringLiteral("Courier New"), QStringLiteral("Times New Roman")};
    std::vector<MessageRequest> messages_;
    std::vector<FileRequest> files_;
    std::vector<TemplateColor> colors_;
};

}  // namespace ostrivo
