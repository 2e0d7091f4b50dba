#include "designer/DesignerEdits.h"

#include "core/Dialogs.h"
#include "template/Numbers.h"
#include "template/VN3Routine.h"

#include <algorithm>
#include <cmath>

namespace ostrivo {

namespace {

const QString kInsertTitle = QStringLiteral("Inserisci oggetto");
const QString kDeleteTitle = QStringLiteral("Cancella oggetto");
// The picture a new image shows, from the current directory.
const QString kNewPicture = QStringLiteral("SS01.jpg");

QString twoDecimals(double value)
{
    return formatTwoDecimals(value).replace(QLatin1Char('.'), QLatin1Char(','));
}

// What "Inserisci oggetto" makes for each kind text.
struct InsertKind {
    const char* kind;
    CanvasSet set;
    const char* caption;  // texts only
    int capacity;
    const char* plural;
    const char* others;  // "altri" or "altre", as the plural's gender asks
};

constexpr InsertKind kInsertKinds[] = {
    {"TESTO", CanvasSet::Label1, "<inserire testo>", VN3Routine::MaxTesti, "testi", "altri"},
    {"DATA", CanvasSet::Label1, "Data_oggi", VN3Routine::MaxTesti, "testi", "altri"},
    {"ORA", CanvasSet::Label1, "ora_adesso", VN3Routine::MaxTesti, "testi", "altri"},
    {"IMMAGINI", CanvasSet::Pic1, "", VN3Routine::MaxImmagini, "immagini", "altre"},
    {"RETTANGOLI", CanvasSet::Label2, "", VN3Routine::MaxRettangoli, "rettangoli", "altri"},
    {"CAMPO DB", CanvasSet::Label3, "", VN3Routine::MaxCampi, "campi database", "altri"},
    {"TABELLA", CanvasSet::Label4, "", VN3Routine::MaxTabelle, "tabelle", "altre"},
};

qint16& counterOf(VN3Routine& model, CanvasSet set)
{
    switch (set) {
    case CanvasSet::Label1:
        return model.NumTesti;
    case CanvasSet::Label2:
        return model.NumRettangoli;
    case CanvasSet::Label3:
        return model.NumCampi;
    case CanvasSet::Label4:
    case CanvasSet::Label5:
        return model.NumTabelle;
    case CanvasSet::Pic1:
        return model.NumImmagini;
    }
    return model.NumTesti;
}

CanvasControl& createAtOrigin(CanvasModel& canvas, CanvasRef ref, double top = 0)
{
    CanvasControl& c = canvas.load(ref);
    c.left = 0;
    c.top = top;
    c.visible = true;
    canvas.bringToFront(ref);
    return c;
}

}  // namespace

Readout readoutOf(const CanvasControl& control)
{
    return {QStringLiteral("PosX ") + twoDecimals(control.left), QStringLiteral("PosY ") + twoDecimals(control.top)};
}

std::optional<CanvasRef> currentObject(const VN3Routine& model, const CanvasModel& canvas)
{
    const std::optional<CanvasSet> set = setForKindCode(model.TipoOggettoCorrente);
    if (!set)
        return std::nullopt;
    const CanvasRef ref{*set, model.OggettoCorrente};
    if (!canvas.exists(ref))
        return std::nullopt;
    return ref;
}

PressOutcome pressObject(VN3Routine& model, const CanvasModel& canvas, CanvasRef object, PressButton button)
{
    PressOutcome outcome;
    if (button == PressButton::Other || object.set == CanvasSet::Label5 || !canvas.exists(object))
        return outcome;
    model.OggettoCorrente = static_cast<qint16>(object.index);
    model.TipoOggettoCorrente = kindCode(object.set);
    if (button == PressButton::Left) {
        if (object.set != CanvasSet::Pic1)
            outcome.readout = readoutOf(canvas.control(object));
    } else {
        outcome.openPropertyDialog = object.set != CanvasSet::Label2;
    }
    return outcome;
}

std::optional<Readout> dragObject(VN3Routine& model, CanvasModel& canvas, CanvasRef object, double offsetXTwips,
                                  double offsetYTwips)
{
    const double w = model.LarghezzaPagina;
    const double h = model.AltezzaPagina;
    if (object.set == CanvasSet::Label5 || !canvas.exists(object) || w <= 0 || h <= 0)
        return std::nullopt;
    const double dy = std::floor(offsetYTwips / h);
    const double dx = std::floor(offsetXTwips / w);
    CanvasControl& c = canvas.control(object);
    switch (object.set) {
    case CanvasSet::Label1:
    case CanvasSet::Label2:
        c.top = std::floor(c.top + dy);
        c.left = std::floor(c.left + dx);
        break;
    case CanvasSet::Label4:
        c.top = std::floor(c.top + dy);
        c.left = std::floor(c.left + dx);
        if (canvas.exists({CanvasSet::Label5, object.index})) {
            CanvasControl& body = canvas.control({CanvasSet::Label5, object.index});
            body.top = std::floor(c.top + 3);
            body.left = std::floor(body.left + dx);
        }
        break;
    case CanvasSet::Label3: {
        c.top = std::floor(static_cast<double>(roundHalfAway(c.top)) + dy);
        c.left = std::floor(static_cast<double>(roundHalfAway(c.left)) + dx);
        // Fields are saved from CampiDB, so their place is kept there as they move.
        model.CampiDB(object.index, FieldAttr::X) = QString::number(roundHalfAway(c.left));
        model.CampiDB(object.index, FieldAttr::Y) = QString::number(roundHalfAway(c.top));
        break;
    }
    case CanvasSet::Pic1:
        c.top += dy;
        c.left += dx;
        return std::nullopt;
    case CanvasSet::Label5:
        break;
    }
    return readoutOf(c);
}

bool resizeCurrentObject(VN3Routine& model, CanvasModel& canvas, SizeStep step)
{
    const std::optional<CanvasRef> current = currentObject(model, canvas);
    if (!current)
        return false;
    const bool height = step == SizeStep::Lower || step == SizeStep::Higher;
    const int delta = step == SizeStep::Lower || step == SizeStep::Narrower ? -1 : 1;
    auto resize = [&](CanvasRef ref) {
        if (!canvas.exists(ref))
            return;
        CanvasControl& c = canvas.control(ref);
        double& size = height ? c.height : c.width;
        size = std::max(0.0, size + delta);
    };
    const int n = current->index;
    switch (current->set) {
    case CanvasSet::Label1:
    case CanvasSet::Label3:
        // Texts and fields are one line high: their height is not theirs to change.
        if (height)
            return false;
        resize(*current);
        if (current->set == CanvasSet::Label3)
            model.CampiDB(n, FieldAttr::Width) = QString::number(roundHalfAway(canvas.control(*current).width));
        return true;
    case CanvasSet::Label4:
        // The title bar is as wide as the body; only the body has a height of its own.
        if (!height)
            resize(*current);
        resize({CanvasSet::Label5, n});
        return true;
    case CanvasSet::Label2:
    case CanvasSet::Pic1:
        resize(*current);
        return true;
    case CanvasSet::Label5:
        break;
    }
    return false;
}

std::optional<CanvasRef> insertObject(VN3Routine& model, CanvasModel& canvas, const QString& kind,
                                      PlatformDialogs& dialogs)
{
    const auto* found = std::find_if(std::begin(kInsertKinds), std::end(kInsertKinds),
                                     [&](const InsertKind& k) { return kind == QLatin1String(k.kind); });
    if (found == std::end(kInsertKinds))
        return std::nullopt;
    qint16& counter = counterOf(model, found->set);
    if (counter >= found->capacity) {
        dialogs.message(notice(kInsertTitle,
                               QStringLiteral("Il modulo ha raggiunto il massimo di %1 %2: non se ne possono inserire "
                                              "%3.\r\nGli oggetti cancellati lasciano libero il loro posto "
                                              "quando il modulo viene salvato e riaperto.")
                                   .arg(found->capacity)
                                   .arg(QLatin1String(found->plural), QLatin1String(found->others))));
        return std::nullopt;
    }
    const int n = counter + 1;
    const CanvasRef ref{found->set, n};
    CanvasControl& c = createAtOrigin(canvas, ref);
    counter = static_cast<qint16>(n);
    switch (found->set) {
    case CanvasSet::Label1:
        c.caption = QLatin1String(found->caption);
        model.TestoAttivo(n) = QStringLiteral("S");
        break;
    case CanvasSet::Label2:
        model.RettangoloAttivo(n) = QStringLiteral("S");
        break;
    case CanvasSet::Label3:
        // Its CampiDB row stays empty until its dialog fills it.
        c.caption = fieldCaption(n);
        break;
    case CanvasSet::Label4:
        c.caption = QStringLiteral("Tabella (") + model.Tabelle(n, TableAttr::Title) + QLatin1Char(')');
        createAtOrigin(canvas, {CanvasSet::Label5, n}, 2);
        model.Tabelle(n, TableAttr::Title) = QStringLiteral("Titolo");
        break;
    case CanvasSet::Pic1:
        model.Immagini(n) = kNewPicture;
        c.picture = pictureToShow(kNewPicture);
        break;
    case CanvasSet::Label5:
        break;
    }
    return ref;
}

bool deleteCurrentObject(VN3Routine& model, CanvasModel& canvas, PlatformDialogs& dialogs)
{
    const std::optional<CanvasRef> current = currentObject(model, canvas);
    if (!current)
        return false;
    const int n = current->index;
    QString question;
    switch (current->set) {
    case CanvasSet::Label1:
        question = QStringLiteral("Confermi la cancellazione del testo \r\n'") + canvas.control(*current).caption +
                   QStringLiteral("'?");
        break;
    case CanvasSet::Label3:
        question = QStringLiteral("Confermi la cancellazione del campo \r\n'") + canvas.control(*current).caption +
                   QStringLiteral("'?");
        break;
    case CanvasSet::Pic1:
        question = QStringLiteral("Confermi la cancellazione dell'immagine \r\n'") + model.Immagini(n) +
                   QStringLiteral("'?");
        break;
    case CanvasSet::Label2:
        question = QStringLiteral("Confermi la cancellazione del rettangolo?");
        break;
    case CanvasSet::Label4:
    case CanvasSet::Label5:
        question = QStringLiteral("Confermi la cancellazione della tabella?");
        break;
    }
    if (dialogs.message(yesNoQuestion(kDeleteTitle, question)) != MessageAnswer::Yes)
        return false;
    switch (current->set) {
    case CanvasSet::Label1:
        model.TestoAttivo(n).clear();
        break;
    case CanvasSet::Label3:
        model.CampiDB(n, FieldAttr::Database).clear();
        break;
    case CanvasSet::Pic1:
        model.Immagini(n).clear();
        break;
    case CanvasSet::Label2:
        model.RettangoloAttivo(n).clear();
        break;
    case CanvasSet::Label4:
    case CanvasSet::Label5:
        model.Tabelle(n, TableAttr::Title).clear();
        canvas.unload({CanvasSet::Label5, n});
        break;
    }
    canvas.unload(*current);
    model.OggettoCorrente = 0;
    model.TipoOggettoCorrente.clear();
    return true;
}

std::optional<Readout> moveCurrentObject(VN3Routine& model, CanvasModel& canvas, int dx, int dy)
{
    const std::optional<CanvasRef> current = currentObject(model, canvas);
    if (!current)
        return std::nullopt;
    // A drag steps by the offset over the page size: these offsets are whole units.
    return dragObject(model, canvas, *current, dx * double(model.LarghezzaPagina), dy * model.AltezzaPagina);
}

CanvasKey canvasKey(int key, Qt::KeyboardModifiers modifiers)
{
    // The keypad's arrows move as the others do.
    modifiers &= ~Qt::KeypadModifier;
    if (key == Qt::Key_Delete)
        return modifiers == Qt::NoModifier ? CanvasKey{CanvasKey::Action::Delete} : CanvasKey{};
    struct Arrow {
        int key;
        int dx, dy;
        SizeStep step;
    };
    constexpr Arrow arrows[] = {
        {Qt::Key_Up, 0, -1, SizeStep::Lower},
        {Qt::Key_Down, 0, 1, SizeStep::Higher},
        {Qt::Key_Left, -1, 0, SizeStep::Narrower},
        {Qt::Key_Right, 1, 0, SizeStep::Wider},
    };
    for (const Arrow& arrow : arrows) {
        if (arrow.key != key)
            continue;
        if (modifiers == Qt::NoModifier)
            return {CanvasKey::Action::Move, arrow.dx, arrow.dy};
        if (modifiers == Qt::ShiftModifier)
            return {CanvasKey::Action::Resize, 0, 0, arrow.step};
    }
    return {};
}

}  // namespace ostrivo
