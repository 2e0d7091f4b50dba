#pragma once

#include "core/ScriptedDialogs.h"
#include "designer/Varnel3DT.h"
#include "template/VN3Routine.h"

#include "support/TestSupport.h"

#include <QObject>
#include <memory>

namespace ostrivo::test {

// The base of a designer window's test class: each test function gets a folder of its own, a
// model and scripted dialogs (start() from the init slot, end() from cleanup), and the window
// from designer().
class DesignerTestBase : public QObject {
protected:
    std::unique_ptr<ScopedCurrentDir> dir_;
    std::unique_ptr<VN3Routine> model_;
    std::unique_ptr<ScriptedDialogs> dialogs_;
    std::unique_ptr<Varnel3DT> window_;

    Varnel3DT& designer()
    {
        window_ = std::make_unique<Varnel3DT>(*model_, *dialogs_);
        window_->startDesigner();
        return *window_;
    }

    void start()
    {
        dir_ = std::make_unique<ScopedCurrentDir>();
        model_ = std::make_unique<VN3Routine>();
        dialogs_ = std::make_unique<ScriptedDialogs>();
    }

    // The window goes before the model and dialogs it refers to.
    void end()
    {
        window_.reset();
        dialogs_.reset();
        model_.reset();
        dir_.reset();
    }
};

}  // namespace ostrivo::test
