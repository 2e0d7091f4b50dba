// The designer on a template at every list's capacity (500 texts, 500 rectangles, 200 fields,
// 100 images, 10 tables of 60 columns, 30 parameters): open, save, one step of a drag, one full
// repaint of the canvas, and recording, undoing and redoing one change, each timed on its own, in
// CPU time, and compared with its target.
//
//   bench_designer [RUNS]
#include "TemplateGenerator.h"

#include "designer/DesignerEdits.h"
#include "designer/EditHistory.h"
#include "designer/PageCanvas.h"
#include "core/Cp1252.h"
#include "core/widgets/Twips.h"
#include "template/TemplateFiles.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

using namespace ostrivo;

namespace {

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// One designer action: `prepare` runs untimed before each run, `run` is timed.
struct Step {
    const char* name;
    double targetMs;
    std::function<void()> prepare;
    std::function<void()> run;
};

struct Figures {
    double medianCpuMs = 0;
    double bestCpuMs = 0;
    double medianWallMs = 0;
};

Figures measure(const Step& step, int runs)
{
    std::vector<double> cpu;
    std::vector<double> wall;
    for (int i = 0; i <= runs; ++i) {
        if (step.prepare)
            step.prepare();
        QElapsedTimer timer;
        timer.start();
        const double start = cpuMs();
        step.run();
        if (i == 0)
            continue;  // the first run warms the caches
        cpu.push_back(cpuMs() - start);
        wall.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(cpu.begin(), cpu.end());
    std::sort(wall.begin(), wall.end());
    return {cpu[cpu.size() / 2], cpu.front(), wall[wall.size() / 2]};
}

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 21;

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    // Ten pictures that decode and one that is missing, named in turn by the 100 images.
    TemplateShape shape;
    shape.pictures.clear();
    for (int i = 1; i <= 10; ++i) {
        const QString name = QStringLiteral("foto%1.png").arg(i);
        QImage picture(120, 80, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(i * 30, 200, 200));
        picture.save(name);
        shape.pictures << name;
    }
    shape.pictures << QStringLiteral("manca.jpg");
    shape.productBlocks = 5;
    shape.oddities = true;
    const QString path = QStringLiteral("massimo.vn3");
    writeCp1252Lines(path, generateTemplate(shape, 1));

    // The designer with the template open; every step starts from it.
    VN3Routine model;
    CanvasModel canvas;
    PulisciPagina(model, canvas);
    CaricaModulo(path, model, canvas);
    const VN3Routine openModel = model;
    const CanvasModel openCanvas = canvas;
    auto reopen = [&] {
        model = openModel;
        canvas = openCanvas;
    };

    // Picture1 as the window places it, painted into an image the canvas's size.
    PageCanvas picture1(model, canvas);
    const QRect place = canvas.canvasTwips();
    picture1.setGeometry(Twips().rect(place.x(), place.y(), place.width(), place.height()));
    QImage screen(picture1.size(), QImage::Format_ARGB32_Premultiplied);
    // The frontmost table title, dragged one unit right and down (its body follows).
    const CanvasRef dragged = canvas.stackingOrder().back().set == CanvasSet::Label5
                                  ? CanvasRef{CanvasSet::Label4, canvas.stackingOrder().back().index}
                                  : canvas.stackingOrder().back();
    auto press = [&] {
        reopen();
        pressObject(model, canvas, dragged, PressButton::Left);
    };

    // One drag of the frontmost object as a step of the history: undone, then redone.
    EditHistory history(model, canvas);
    auto recordDrag = [&] {
        history.begin(QStringLiteral("drag"));
        dragObject(model, canvas, dragged, 90, 80);
        history.commit();
    };
    auto drag = [&] {
        press();
        history.restart();
        recordDrag();
    };

    const std::vector<Step> steps = {
        {"open (over the same template)", 100, reopen, [&] { CaricaModulo(path, model, canvas); }},
        {"save", 50, reopen, [&] { SalvaModulo(QStringLiteral("salvato.vn3"), model, canvas); }},
        {"text a save would write", 50, reopen, [&] { templateText(model, canvas); }},
        {"one drag step", 1, press, [&] { dragObject(model, canvas, dragged, 90, 80); }},
        {"full repaint of the canvas", 16, press, [&] {
             QPainter painter(&screen);
             picture1.paintCanvas(painter);
         }},
        {"record a drag as one step", 5, [&] {
             press();
             history.restart();
         }, recordDrag},
        {"undo one step", 5, drag, [&] { history.undo(); }},
        {"redo one step", 5, [&] {
             drag();
             history.undo();
         }, [&] { history.redo(); }},
    };

    std::printf("Designer on a template at every capacity (%d runs a step, CPU time)\n", runs);
    std::printf("%-34s %10s %10s %10s %8s\n", "step", "median ms", "best ms", "wall ms", "target");
    bool met = true;
    for (const Step& step : steps) {
        const Figures f = measure(step, runs);
        const bool stepMet = f.medianCpuMs <= step.targetMs;
        met = met && stepMet;
        std::printf("%-34s %10.3f %10.3f %10.3f %6.0f %s\n", step.name, f.medianCpuMs, f.bestCpuMs, f.medianWallMs,
                    step.targetMs, stepMet ? "met" : "NOT MET");
    }
    std::printf("targets: %s\n", met ? "met" : "NOT MET");
    return met ? 0 : 1;
}
