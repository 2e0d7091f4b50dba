#include "designer/EditHistory.h"

#include <QUndoCommand>
#include <utility>

namespace ostrivo {

// One change: the template before and after it.
class TemplateStep : public QUndoCommand {
public:
    TemplateStep(EditHistory& history, const QString& name, TemplateState before, TemplateState after)
        : QUndoCommand(name), history_(history), before_(std::move(before)), after_(std::move(after))
    {
    }

    const TemplateState& before() const { return before_; }
    const TemplateState& after() const { return after_; }

    void undo() override { history_.restore(before_); }
    void redo() override
    {
        // The stack redoes a step as it is pushed: the change is already made.
        if (pushed_) {
            pushed_ = false;
            return;
        }
        history_.restore(after_);
    }

private:
    EditHistory& history_;
    TemplateState before_;
    TemplateState after_;
    bool pushed_ = true;
};

namespace {

// The live value, or like's when it is equal: a copy only of what changed.
template <typename T>
std::shared_ptr<const T> keep(const T& live, const std::shared_ptr<const T>& like)
{
    if (like && *like == live)
        return like;
    return std::make_shared<const T>(live);
}

}  // namespace

EditHistory::EditHistory(VN3Routine& model, CanvasModel& canvas) : model_(model), canvas_(canvas)
{
    stack_.setUndoLimit(kStepLimit);
}

EditHistory::~EditHistory() = default;

const TemplateState* EditHistory::present() const
{
    const int index = stack_.index();
    if (index > 0)
        return &static_cast<const TemplateStep*>(stack_.command(index - 1))->after();
    if (stack_.count() > 0)
        return &static_cast<const TemplateStep*>(stack_.command(0))->before();
    return nullptr;
}

void EditHistory::begin(const QString& name)
{
    commit();
    name_ = name;
    const TemplateState* now = present();
    before_.model = keep(model_, now ? now->model : nullptr);
    before_.canvas = keep(canvas_, now ? now->canvas : nullptr);
}

bool EditHistory::commit()
{
    TemplateState before = std::move(before_);
    before_ = {};
    if (!before.model)
        return false;
    TemplateState after{keep(model_, before.model), keep(canvas_, before.canvas)};
    bool same = after.canvas == before.canvas;
    if (same && after.model != before.model) {
        // Making an object current is no change of the template.
        const VN3Routine& was = *before.model;
        const qint16 current = model_.OggettoCorrente;
        QString kind = std::move(model_.TipoOggettoCorrente);
        model_.OggettoCorrente = was.OggettoCorrente;
        model_.TipoOggettoCorrente = was.TipoOggettoCorrente;
        same = model_ == was;
        model_.OggettoCorrente = current;
        model_.TipoOggettoCorrente = std::move(kind);
    }
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
    before_ = {};
    stack_.clear();
}

void EditHistory::restore(const TemplateState& state)
{
    QString name = std::move(model_.NomeModulo);
    QString values = std::move(model_.ValoriParametri);
    const FixedArray<QString, VN3Routine::MaxValoriRichiesta> asked = model_.ValoriRichiesta;
    model_ = *state.model;
    canvas_ = *state.canvas;
    model_.NomeModulo = std::move(name);
    model_.ValoriParametri = std::move(values);
    model_.ValoriRichiesta = asked;
}

}  // namespace ostrivo
