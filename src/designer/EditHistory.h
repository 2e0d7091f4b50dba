#pragma once

#include "template/CanvasModel.h"
#include "template/VN3Routine.h"

#include <QUndoStack>
#include <memory>
#include <type_traits>

namespace ostrivo {

// The open template as one value: what a step of the history brings back. Model and canvas are
// held apart, so that a step that leaves one of them as it was shares it with its neighbour.
struct TemplateState {
    std::shared_ptr<const VN3Routine> model;
    std::shared_ptr<const CanvasModel> canvas;
};

// The designer's undo history over the open template. A step holds the template before and after
// one change, both as values, so undoing or redoing any change is two assignments. What is not
// the template stays as it is: its file name and the values last asked for a print.
class EditHistory {
public:
    // A template at full capacity takes about 230 KiB as a model and 250 KiB as a canvas; a step
    // holds what it changed, as steps next to each other share what stands between them.
    static constexpr int kStepLimit = 100;

    EditHistory(VN3Routine& model, CanvasModel& canvas);
    ~EditHistory();
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    QUndoStack& stack() { return stack_; }

    // Opens a step with the template as it is now (a step still open is closed first) ...
    void begin(const QString& name);
    // ... and closes it: kept when the template changed, the current object aside. Returns
    // whether a step was kept.
    bool commit();
    bool isOpen() const { return before_.model != nullptr; }

    // Runs edit as one step and returns what it returns; a step is kept even when edit throws
    // part way, so that what it did can be undone.
    template <typename Edit>
    auto record(const QString& name, Edit&& edit)
    {
        begin(name);
        try {
            if constexpr (std::is_void_v<std::invoke_result_t<Edit&>>) {
                edit();
                commit();
            } else {
                auto result = edit();
                commit();
                return result;
            }
        } catch (...) {
            commit();
            throw;
        }
    }

    void undo();
    void redo();
    bool canUndo() const { return stack_.canUndo(); }
    bool canRedo() const { return stack_.canRedo(); }

    // A new history: nothing to undo or redo, and the template as it is now is the clean point.
    void restart();
    // The template as it is now is what the file holds.
    void setClean() { stack_.setClean(); }
    bool isClean() const { return stack_.isClean(); }

private:
    friend class TemplateStep;
    void restore(const TemplateState& state);
    // The template as the history last left it, when a step lies next to the present.
    const TemplateState* present() const;

    VN3Routine& model_;
    CanvasModel& canvas_;
    QUndoStack stack_;
    QString name_;
    TemplateState before_;
};

}  // namespace ostrivo
