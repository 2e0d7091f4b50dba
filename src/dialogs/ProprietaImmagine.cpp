#include "dialogs/ProprietaImmagine.h"

#include "core/Dialogs.h"
#include "template/CanvasModel.h"
#include "template/VN3Routine.h"

#include <QFileInfo>
#include <QImageReader>
#include <QLineEdit>
#include <QPushButton>

namespace ostrivo {

namespace {

using K = ControlKind;

constexpr int kWidth = 4005, kHeight = 1785;
constexpr ControlPlace kPlaces[] = {
    {K::Label, 0, "Immagine", {84, 168, 852, 288}},
    {K::EditBox, 0, "", {924, 168, 2952, 288}, 100},
    {K::Button, 0, "Sfoglia", {2688, 504, 1188, 348}},
    {K::Button, 1, "Ok", {504, 1008, 1356, 600}},
    {K::Button, 2, "Annulla", {2100, 1008, 1356, 600}},
};

// Why a file cannot be the picture of an image object; empty when it can.
QString pictureProblem(const QString& path)
{
    if (path.trimmed().isEmpty())
        return QStringLiteral("Scegliere il file dell'immagine con \"Sfoglia\".");
    if (!QFileInfo::exists(path))
        return QStringLiteral("Il file \"%1\" non esiste.").arg(path);
    QImageReader reader(path);
    if (!reader.canRead())
        return QStringLiteral("Il file \"%1\" non è un'immagine leggibile: %2.").arg(path, reader.errorString());
    return {};
}

}  // namespace

QString ProprietaImmagine::caption()
{
    return QStringLiteral("Proprietà immagine");
}

QString ProprietaImmagine::pictureFilter()
{
    return QStringLiteral("Picture (*.jpg,*.bmp)|*.jpg;*.bmp;");
}

ProprietaImmagine::ProprietaImmagine(VN3Routine& model, CanvasModel& canvas, int index, PlatformDialogs& dialogs,
                                     QWidget* parent)
    : FormDialog(parent, caption(), kWidth, kHeight, kPlaces),
      model_(model),
      picture_(canvas.control({CanvasSet::Pic1, index})),
      index_(index),
      dialogs_(dialogs)
{
    setTabChain({Text1(), T(0), T(1), T(2)});
    connect(T(0), &QPushButton::clicked, this, &ProprietaImmagine::browse);
    connect(T(1), &QPushButton::clicked, this, &ProprietaImmagine::pressOk);
    connect(T(2), &QPushButton::clicked, this, &QDialog::reject);
    showWhole(Text1(), model_.Immagini(index_));
    Text1()->setFocus();
}

void ProprietaImmagine::browse()
{
    FileRequest request;
    // Picture names in templates are relative to the template's folder.
    request.initialDir = QFileInfo(model_.NomeModulo).absolutePath();
    request.filter = pictureFilter();
    request.fileName = chosen_;
    if (const auto file = chosenExistingFile(dialogs_, request, caption())) {
        chosen_ = *file;
        showWhole(Text1(), *file);
    }
}

void ProprietaImmagine::pressOk()
{
    const QString path = Text1()->text();
    if (const QString problem = pictureProblem(path); !problem.isEmpty()) {
        reportProblem(dialogs_, caption(), problem);
        Text1()->setFocus();
        return;
    }
    model_.Immagini(index_) = path;
    picture_.picture = path;
    accept();
}

}  // namespace ostrivo
