#include "designer/EditHistory.h"

#include <QUndoCommand>
#include <utility>

namespace ostrivo {

// One change: the template before and after it.
class TemplateStep : public QUndoCommand {
public:
    TemplateStep(EditHistory& history, const QString& name, std::shared_ptr<const TemplateState> before,
                 std::shared_ptr<const TemplateState> after)
        : QUndoCommand(name), history_(history), before_(std::move(before)), after_(std::move(after))
    {
    }

    void undo() override { history_.restore(*before_); }
    void redo() override
    {
        // The stack redoes a step as it is pushed: the change is already made.
        if (pushed_) {
            pushed_ = false;
            return;
        }
        history_.restore(*after_);
    }

private:
    EditHistory& history_;
    std::shared_ptr<const TemplateState> before_;
    std::shared_ptr<const TemplateState> after_;
    bool pushed_ = true;
};

EditHistory::EditHistory(VN3Routine& model, CanvasModel& canvas) : model_(model), canvas_(canvas)
{
    stack_.setUndoLimit(kStepLimit);
}

EditHistory::~EditHistory() = default;

void EditHistory::begin(const QString& name)
{
    commit();
    name_ = name;
    before_ = std::make_shared<const TemplateState>(TemplateState{model_, canvas_});
}

bool EditHistory::commit()
{
    std::shared_ptr<const TemplateState> before = std::move(before_);
    before_.reset();
    if (!before)
        return false;
    auto after = std::make_shared<TemplateState>(TemplateState{model_, canvas_});
    // Making an object current is no change of the template.
    const qint16 current = after->model.OggettoCorrente;
    QString kind = std::move(after->model.TipoOggettoCorrente);
    after->model.OggettoCorrente = before->model.OggettoCorrente;
    after->model.TipoOggettoCorrente = before->model.TipoOggettoCorrente;
    const bool same = after->model == before->model && after->canvas == before->canvas;
    after->model.OggettoCorrente = current;
    after->model.TipoOggettoCorrente = std::move(kind);
    if (same)
        return false;
    stack_.push(new TemplateStep(*this, name_, std::move(before), std::move(after)));
    return true;
}

void EditHistory::undo()
{
    commit();
    stack_.undo();
}

void EditHistory::redo()
{
    commit();
    stack_.redo();
}

void EditHistory::restart()
{
    before_.reset();
    stack_.clear();
}

void EditHistory::restore(const TemplateState& state)
{
    QString name = std::move(model_.NomeModulo);
    QString values = std::move(model_.ValoriParametri);
    const FixedArray<QString, VN3Routine::MaxValoriRichiesta> asked = model_.ValoriRichiesta;
    model_ = state.model;
    canvas_ = state.canvas;
    model_.NomeModulo = std::move(name);
    model_.ValoriParametri = std::move(values);
    model_.ValoriRichiesta = asked;
}

}  // namespace ostrivo
