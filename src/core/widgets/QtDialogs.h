#pragma once

#include "core/Dialogs.h"

class QWidget;

namespace ostrivo {

// The platform's own dialogs, modal over a parent window.
class QtDialogs : public PlatformDialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    MessageAnswer message(const MessageRequest& request) override;
    std::optional<QString> chooseFile(const FileRequest& request) override;
    std::optional<TemplateColor> chooseColor(TemplateColor initial) override;
    QStringList fontNames() override { return printerFontNames(); }

private:
    QWidget* owner() const;

    QWidget* parent_;
};

}  // namespace ostrivo
