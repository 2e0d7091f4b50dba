// The real program on a real X server (Xvfb, no window manager), driven with xdotool as a person
// at the keyboard would: a print request from the hotel application, a request for a missing
// template, a plain start of the designer, the designer grown and zoomed.

#include "core/Cp1252.h"

#include "support/TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

using namespace ostrivo;

namespace {

// Generous: the sanitizer build starts slowly on a busy machine.
constexpr int kStepTimeoutMs = 60000;

const QString kParameterDialog = QStringLiteral("^Inserimento parametri per la stampa$");
const QString kPrinterDialog = QStringLiteral("^Stampa$");
const QString kDesigner = QStringLiteral("Gestore report");

// An X server of our own on a free display, for the life of the object.
class XvfbServer {
public:
    // Empty when it started, else why not.
    QString start()
    {
        // -displayfd picks a free display and writes its number on stdout. -noreset: the watcher's
        // short xdotool connections would otherwise leave the server resetting, refusing the
        // program's connection, each time the last of them closes.
        process_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                                QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                                QStringLiteral("tcp"), QStringLiteral("-noreset")});
        if (!process_.waitForStarted(10000))
            return QStringLiteral("Xvfb did not start: ") + process_.errorString();
        QByteArray out;
        const QDeadlineTimer deadline(30000);
        while (!out.contains('\n') && !deadline.hasExpired() && process_.state() == QProcess::Running) {
            process_.waitForReadyRead(100);
            out += process_.readAllStandardOutput();
        }
        bool ok = false;
        const int number = out.trimmed().toInt(&ok);
        if (!ok)
            return QStringLiteral("Xvfb gave no display number: ") + QString::fromLocal8Bit(process_.readAllStandardError());
        display_ = QStringLiteral(":%1").arg(number);
        return {};
    }
    ~XvfbServer()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(5000)) {
                process_.kill();
                process_.waitForFinished(5000);
            }
        }
    }
    const QString& display() const { return display_; }

private:
    QProcess process_;
    QString display_;
};

// The X server's top-level windows as its events tell them, when they happen: each window's name
// and whether it is mapped, every name any window has had, and the window with the keyboard; and
// the end of the program it is told of. Waits wake on events, not on a clock, so a window that
// lives for a moment is seen all the same: its creation is an event.
class WindowLog {
public:
    struct Window {
        QString name;
        bool mapped = false;
    };
    struct State {
        std::map<xcb_window_t, Window> windows;
        QStringList namesSeen;
        xcb_window_t focus = XCB_NONE;
        bool programEnded = false;
    };

    // Empty when it listens, else why not.
    QString start(const QString& display)
    {
        connection_ = xcb_connect(display.toLocal8Bit().constData(), nullptr);
        if (xcb_connection_has_error(connection_))
            return QStringLiteral("no connection to ") + display;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        netWmName_ = atom("_NET_WM_NAME");
        // Listen first, then take the windows there are: none falls between.
        const uint32_t rootEvents = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &rootEvents);
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr);
        {
            std::lock_guard lock(mutex_);
            for (int i = 0; tree && i < xcb_query_tree_children_length(tree); ++i) {
                const xcb_window_t w = xcb_query_tree_children(tree)[i];
                watch(w);
                xcb_get_window_attributes_reply_t* a =
                    xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, w), nullptr);
                state_.windows[w].mapped = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
                free(a);
            }
            readFocus();
        }
        free(tree);
        if (pipe(stop_) != 0)
            return QStringLiteral("no pipe");
        thread_ = std::thread([this] { run(); });
        return {};
    }

    // The program's end is an event too.
    void watchProgram(qint64 pid) { program_ = static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0)); }

    ~WindowLog()
    {
        if (thread_.joinable()) {
            const char stop = 0;
            (void)!write(stop_[1], &stop, 1);
            thread_.join();
        }
        for (int fd : {stop_[0], stop_[1], program_})
            if (fd >= 0)
                close(fd);
        if (connection_)
            xcb_disconnect(connection_);
    }

    // Waits until holds is true of the windows, or the time is out; holds's last answer.
    bool waitFor(const std::function<bool(const State&)>& holds, int timeoutMs)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return holds(state_); });
    }

    State state()
    {
        std::lock_guard lock(mutex_);
        return state_;
    }

private:
    xcb_atom_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, static_cast<uint16_t>(strlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : XCB_NONE;
        free(reply);
        return a;
    }

    // Its name changes and its focus come to us; its present name is read now, after asking.
    void watch(xcb_window_t w)
    {
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_FOCUS_CHANGE;
        xcb_change_window_attributes(connection_, w, XCB_CW_EVENT_MASK, &events);
        readName(w);
    }

    void readName(xcb_window_t w)
    {
        for (xcb_atom_t property : {netWmName_, xcb_atom_t(XCB_ATOM_WM_NAME)}) {
            xcb_get_property_reply_t* reply = xcb_get_property_reply(
                connection_, xcb_get_property(connection_, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
            const QString name = reply ? QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply)),
                                                           xcb_get_property_value_length(reply))
                                       : QString();
            free(reply);
            if (!name.isEmpty()) {
                Window& window = state_.windows[w];
                if (window.name != name)
                    state_.namesSeen << name;
                window.name = name;
                return;
            }
        }
    }

    void readFocus()
    {
        xcb_get_input_focus_reply_t* reply = xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr);
        state_.focus = reply ? reply->focus : XCB_NONE;
        free(reply);
    }

    void handle(const xcb_generic_event_t* event)
    {
        switch (event->response_type & 0x7f) {
        case XCB_CREATE_NOTIFY:
            watch(reinterpret_cast<const xcb_create_notify_event_t*>(event)->window);
            break;
        case XCB_MAP_NOTIFY: {
            const xcb_window_t w = reinterpret_cast<const xcb_map_notify_event_t*>(event)->window;
            state_.windows[w].mapped = true;
            readName(w);
            break;
        }
        case XCB_UNMAP_NOTIFY:
            state_.windows[reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window].mapped = false;
            break;
        case XCB_DESTROY_NOTIFY:
            state_.windows.erase(reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window);
            break;
        case XCB_PROPERTY_NOTIFY: {
            const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            if (property->atom == netWmName_ || property->atom == XCB_ATOM_WM_NAME)
                readName(property->window);
            break;
        }
        case XCB_FOCUS_IN:
        case XCB_FOCUS_OUT:
            readFocus();
            break;
        default:
            break;  // errors about windows already gone among them
        }
    }

    void run()
    {
        for (;;) {
            pollfd fds[] = {{xcb_get_file_descriptor(connection_), POLLIN, 0}, {stop_[0], POLLIN, 0}, {program_, POLLIN, 0}};
            if (poll(fds, program_ >= 0 ? 3 : 2, -1) < 0 || fds[1].revents || xcb_connection_has_error(connection_))
                return;
            std::lock_guard lock(mutex_);
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                handle(event);
                free(event);
            }
            if (program_ >= 0 && fds[2].revents) {
                state_.programEnded = true;
                close(program_);
                program_ = -1;
            }
            changed_.notify_all();
        }
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    xcb_atom_t netWmName_ = XCB_NONE;
    int stop_[2] = {-1, -1};
    int program_ = -1;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    State state_;
};

// Waits until a file of a folder has been written and closed (the folder's events, not a clock);
// false on time out.
bool waitForWrittenFile(const QString& path, int timeoutMs)
{
    const QFileInfo file(path);
    const int events = inotify_init1(IN_CLOEXEC);
    if (events < 0)
        return false;
    inotify_add_watch(events, QFile::encodeName(file.absolutePath()).constData(), IN_CLOSE_WRITE | IN_MOVED_TO);
    bool written = file.exists() && file.size() > 0;
    const QDeadlineTimer deadline(timeoutMs);
    while (!written && !deadline.hasExpired()) {
        pollfd fd{events, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(deadline.remainingTime())) <= 0)
            break;
        alignas(inotify_event) char buffer[4096];
        const ssize_t length = read(events, buffer, sizeof buffer);
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            written = written || (event->len > 0 && QFile::decodeName(event->name) == file.fileName());
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    close(events);
    return written;
}

class XvfbEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        missing_.clear();
        for (const char* tool : {"Xvfb", "xdotool", "pdftotext"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                missing_ << QString::fromLatin1(tool);
        }
        if (!missing_.isEmpty())
            return;
        server_ = std::make_unique<XvfbServer>();
        startError_ = server_->start();
    }
    static void TearDownTestSuite() { server_.reset(); }

    void SetUp() override
    {
        if (!missing_.isEmpty())
            GTEST_SKIP() << "not installed: " << missing_.join(QStringLiteral(", ")).toStdString()
                         << " (scripts/install-deps installs them); skipping the tests on a real X server";
        ASSERT_TRUE(startError_.isEmpty()) << startError_.toStdString();

        // A viewer that only notes what it was asked to open.
        QDir().mkdir(dir.file(QStringLiteral("bin")));
        const QString viewer = dir.file(QStringLiteral("bin/xdg-open"));
        test::writeFile(viewer, "#!/bin/sh\necho \"$@\" >> \"" + dir.file(QStringLiteral("viewer.log")).toLocal8Bit() + "\"\n");
        QFile::setPermissions(viewer, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), server_->display());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("PCLocal"), QStringLiteral("PC2"));
        // The window's remembered size and zoom stay in the test's folder, not the user's.
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.file(QStringLiteral("config")));
        env.insert(QStringLiteral("PATH"), dir.file(QStringLiteral("bin")) + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
        // No print queue of this machine is ever offered or used.
        env.insert(QStringLiteral("CUPS_SERVER"), dir.file(QStringLiteral("no-cups-here")));
        for (const char* desktop : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID"})
            env.remove(QString::fromLatin1(desktop));
    }

    void TearDown() override
    {
        if (app.state() != QProcess::NotRunning) {
            app.kill();
            app.waitForFinished(5000);
        }
        windows.reset();
    }

    // Starts the program in the temporary directory (or workingDir), the window log listening
    // before it.
    void startProgram(const QStringList& arguments = {}, const QString& workingDir = {})
    {
        windows = std::make_unique<WindowLog>();
        const QString listening = windows->start(server_->display());
        ASSERT_TRUE(listening.isEmpty()) << listening.toStdString();
        app.setProcessEnvironment(env);
        app.setWorkingDirectory(workingDir.isEmpty() ? dir.path() : workingDir);
        app.start(test::binaryPath(), arguments);
        ASSERT_TRUE(app.waitForStarted(10000)) << app.errorString().toStdString();
        windows->watchProgram(app.processId());
    }

    // The names like the designer's that any window had since the program started, mapped or not.
    QString designerWindowsSeen()
    {
        return windows->state().namesSeen.filter(QRegularExpression(kDesigner)).join(QLatin1Char('\n'));
    }

    // Runs xdotool to its end; its standard output.
    QString xdotool(const QStringList& args)
    {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("xdotool"), args);
        if (!p.waitForFinished(kStepTimeoutMs)) {
            p.kill();
            p.waitForFinished(5000);
            ADD_FAILURE() << "xdotool " << args.join(QLatin1Char(' ')).toStdString() << " did not end";
        }
        return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    }

    // Waits for a mapped window whose name matches and returns its id; empty when the program
    // ended first or the wait timed out.
    QString waitForWindow(const QString& namePattern)
    {
        const QRegularExpression name(namePattern);
        xcb_window_t found = XCB_NONE;
        const bool answered = windows->waitFor(
            [&](const WindowLog::State& s) {
                for (const auto& [id, window] : s.windows) {
                    if (window.mapped && name.match(window.name).hasMatch()) {
                        found = id;
                        return true;
                    }
                }
                return s.programEnded;
            },
            kStepTimeoutMs);
        if (found == XCB_NONE) {
            ADD_FAILURE() << "no window named " << namePattern.toStdString()
                          << (answered ? " before the program ended" : " in time")
                          << "; program's messages: " << app.readAllStandardError().toStdString();
            return {};
        }
        return QString::number(found);
    }

    // Presses and releases a key in a window. The release goes to whatever window has the
    // keyboard by then: a key that closes a window must not be left down for the next one.
    void press(const QString& window, const QString& key)
    {
        xdotool({QStringLiteral("keydown"), QStringLiteral("--window"), window, key, QStringLiteral("keyup"), key});
    }

    // Clicks at a place of a window given in twips, the window's own units.
    void clickAt(const QString& window, double pixelsPerTwip, double x, double y, int button = 1)
    {
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(qRound(x * pixelsPerTwip)),
                 QString::number(qRound(y * pixelsPerTwip)), QStringLiteral("click"), QString::number(button)});
    }

    // Waits until the program shows this many windows (a list's popup is one); false on time out.
    bool waitForMappedWindows(int count)
    {
        return windows->waitFor(
            [&](const WindowLog::State& s) {
                return std::count_if(s.windows.begin(), s.windows.end(), [](const auto& w) { return w.second.mapped; }) == count;
            },
            kStepTimeoutMs);
    }

    // The window's pixels per twip: it is 15300 twips wide.
    double pixelsPerTwip(const QString& window)
    {
        const QString geometry = xdotool({QStringLiteral("getwindowgeometry"), window});
        const QRegularExpressionMatch size = QRegularExpression(QStringLiteral("Geometry: (\\d+)x(\\d+)")).match(geometry);
        EXPECT_TRUE(size.hasMatch()) << geometry.toStdString();
        return size.captured(1).toDouble() / 15300.0;
    }

    bool waitForEnd()
    {
        if (!app.waitForFinished(kStepTimeoutMs)) {
            ADD_FAILURE() << "the program did not end";
            return false;
        }
        return true;
    }

    QString pdfText(const QString& path)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
        if (!p.waitForFinished(kStepTimeoutMs))
            return {};
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    test::ScopedCurrentDir dir;
    QProcessEnvironment env;
    QProcess app;
    std::unique_ptr<WindowLog> windows;

    static inline QStringList missing_;
    static inline QString startError_;
    static inline std::unique_ptr<XvfbServer> server_;
};

}  // namespace

TEST_F(XvfbEndToEnd, PrintRequestGoesThroughBothDialogsToThePdfWithoutTheDesigner)
{
    test::createSqliteDatabase(dir.file(QStringLiteral("hotel.db")), QStringLiteral(R"(
        CREATE TABLE Ospiti (NumeroHotel INTEGER, N INTEGER, Citta TEXT, Cognome TEXT);
        INSERT INTO Ospiti VALUES (1, 1, 'Rimini', 'Rossi'), (1, 2, 'Rimini', 'Bianchi'), (1, 3, 'Forlì', 'Verdi'),
                                  (1, 4, 'Rimini', 'Neri'), (2, 5, 'Rimini', 'Gialli');
    )"));
    // The template's name is written by the hotel application in Windows-1252.
    const QString templateName = QStringLiteral("ospiti città.vn3");
    test::writeTemplate(dir.file(templateName),
                        {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral("hotel.db,Ospiti,"),
                         QStringLiteral("[PARAMETRI]"), QStringLiteral("Citta,=,Str,<nessuno>,Città,"),
                         QStringLiteral("N,>=,Num,1,Dal numero,"), QStringLiteral("[TESTO]"),
                         QStringLiteral("Ospiti di <PARAM1> dal numero <PARAM2>,2,2,Arial,12,0,"), QStringLiteral("[TABELLA]"),
                         QStringLiteral("Elenco ospiti,2,10,60,Arial,9,"), QStringLiteral("hotel.db,Ospiti,N,,"),
                         QStringLiteral("N.,N,4,Num,N,,4,"), QStringLiteral("Cognome,Cognome,20,Str,N,,20,"),
                         QStringLiteral("[FINE TABELLA]"), QStringLiteral("[FINE]")});
    // Line 1 the template, then one value per parameter; the last line has no line end.
    const QString request = dir.file(QStringLiteral("Varnil3PC2.pss"));
    test::writeFile(request, encodeCp1252(templateName) + "\r\nrimini\r\n2");

    startProgram();
    const QString parameters = waitForWindow(kParameterDialog);
    ASSERT_FALSE(parameters.isEmpty());
    EXPECT_EQ(xdotool({QStringLiteral("search"), QStringLiteral("--name"), kDesigner}), QString());
    // Enter confirms each box (normalising it) and then presses the focused "Ok".
    press(parameters, QStringLiteral("Return"));
    press(parameters, QStringLiteral("Return"));
    press(parameters, QStringLiteral("Return"));

    const QString printers = waitForWindow(kPrinterDialog);
    ASSERT_FALSE(printers.isEmpty());
    EXPECT_EQ(xdotool({QStringLiteral("search"), QStringLiteral("--name"), kDesigner}), QString());
    // "PDF" heads the list.
    press(printers, QStringLiteral("Home"));
    press(printers, QStringLiteral("Return"));

    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0) << app.readAllStandardError().toStdString();
    EXPECT_FALSE(QFile::exists(request));
    EXPECT_EQ(designerWindowsSeen(), QString()) << "the designer window was created";

    const QString text = pdfText(dir.file(QStringLiteral("catering.pdf")));
    ASSERT_FALSE(text.isEmpty()) << "no catering.pdf";
    // The first value as Enter left it, the second as the request gave it.
    EXPECT_TRUE(text.contains(QStringLiteral("Ospiti di RIMINI dal numero 2"))) << text.toStdString();
    // The rows are those of hotel 1 in the city from number 2 on.
    EXPECT_TRUE(text.contains(QStringLiteral("Bianchi"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Neri"))) << text.toStdString();
    for (const char* excluded : {"Rossi", "Verdi", "Gialli"})
        EXPECT_FALSE(text.contains(QString::fromLatin1(excluded))) << excluded << " printed:\n" << text.toStdString();

    // The PDF went to the default viewer (here the stub); it may start after the program ended.
    const QString viewerLog = dir.file(QStringLiteral("viewer.log"));
    EXPECT_TRUE(waitForWrittenFile(viewerLog, 10000));
    EXPECT_EQ(QString::fromLocal8Bit(test::readFile(viewerLog)).trimmed(),
              QUrl::fromLocalFile(dir.file(QStringLiteral("catering.pdf"))).toString());
}

TEST_F(XvfbEndToEnd, RequestForAMissingTemplateEndsAtOnceAndDeletesTheFile)
{
    const QString request = dir.file(QStringLiteral("Varnil3PC2.pss"));
    test::writeFile(request, "manca.vn3\r\n12\r\nROSSI\r\n");
    startProgram();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(app.exitCode(), 0) << app.readAllStandardError().toStdString();
    EXPECT_FALSE(QFile::exists(request));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("catering.pdf"))));
    EXPECT_EQ(designerWindowsSeen(), QString());
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("viewer.log"))));
}

TEST_F(XvfbEndToEnd, WithoutARequestTheDesignerOpensOnANewTemplateAndExitEndsIt)
{
    // A request for another workstation is not ours and stays.
    const QString otherRequest = dir.file(QStringLiteral("Varnil3.pss"));
    test::writeFile(otherRequest, "manca.vn3\r\n");
    startProgram();
    const QString window = waitForWindow(QStringLiteral("^Gestore report Ostrivo 3\\.0 - "));
    ASSERT_FALSE(window.isEmpty());
    EXPECT_EQ(xdotool({QStringLiteral("getwindowname"), window}), QStringLiteral("Gestore report Ostrivo 3.0 - Nuovo.vn3"));
    // The log finds a designer window when there is one.
    EXPECT_EQ(designerWindowsSeen(), QStringLiteral("Gestore report Ostrivo 3.0 - Nuovo.vn3"));

    // Click "Esci": the button's centre is at (13866, 8280) twips.
    clickAt(window, pixelsPerTwip(window), 13866, 8280);
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0) << app.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(otherRequest));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("catering.pdf"))));
}

// A template named on the command line opens in the designer, which works in its folder; a drag,
// a size button, an insert, a deletion and a save through the save dialog give a file that holds
// exactly those changes.
TEST_F(XvfbEndToEnd, DesignerEditsATemplateNamedOnTheCommandLineAndSavesIt)
{
    const QStringList before = {
        QStringLiteral("[TESTA]"),   QStringLiteral("1"),
        QStringLiteral("80,75,"),    QStringLiteral(",,"),
        QStringLiteral("[PARAMETRI]"), QStringLiteral("[IMMAGINI]"),
        QStringLiteral("[GRIGLIA]"), QStringLiteral("R,10.00,20.00,30.00,30.00,"),
        QStringLiteral("R,50.00,50.00,70.00,60.00,"),
        QStringLiteral("[CAMPI]"),   QStringLiteral("[TESTO]"),
        QStringLiteral("Ciao,5,5,Arial,10,0,"),
        QStringLiteral("[TABELLA]"), QStringLiteral("[FINE]"),
    };
    test::writeTemplate(dir.file(QStringLiteral("t.vn3")), before);
    // Started elsewhere, beside a print request: the template named wins.
    const QString elsewhere = dir.file(QStringLiteral("altrove"));
    QDir().mkdir(elsewhere);
    test::writeFile(elsewhere + QStringLiteral("/Varnil3PC2.pss"), "t.vn3\r\n");
    startProgram({QStringLiteral("../t.vn3")}, elsewhere);
    const QString window = waitForWindow(QStringLiteral("^Gestore report Ostrivo 3\\.0 - .*t\\.vn3$"));
    ASSERT_FALSE(window.isEmpty());
    const double ppt = pixelsPerTwip(window);
    // Picture1 on a portrait page: 6500 by 8300 twips at (2940, 340), 80 by 75 units.
    auto twipsX = [](double units) { return 2940 + units * 6500 / 80; };
    auto twipsY = [](double units) { return 340 + units * 8300 / 75; };
    auto pixel = [&](double twips) { return QString::number(qRound(twips * ppt)); };

    // Drag the first rectangle by its corner 10 units right and 1 down: offsets of 853 and 130
    // twips give steps of floor(853 / 80) and floor(130 / 75), after which the pointer lies inside
    // the first unit again.
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window, pixel(twipsX(10.5)), pixel(twipsY(20.5)),
             QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("mousemove"), QStringLiteral("--window"), window,
             pixel(twipsX(10) + 853), pixel(twipsY(20) + 130), QStringLiteral("mouseup"), QStringLiteral("1")});
    // Wider by one unit: the size button pointing right.
    clickAt(window, ppt, 588 + 315, 588 + 285);
    // Insert a text: "TESTO" from the list, then "Inserisci oggetto".
    clickAt(window, ppt, 12852 + 1014, 6720 + 144);
    ASSERT_TRUE(waitForMappedWindows(2)) << "the list did not open";
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("TE")});
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    ASSERT_TRUE(waitForMappedWindows(1)) << "the list did not close";
    clickAt(window, ppt, 12852 + 1014, 7056 + 216);
    // Delete the second rectangle, answering "Sì" (No is the default: Tab moves to "Sì").
    clickAt(window, ppt, twipsX(60), twipsY(55));
    clickAt(window, ppt, 12852 + 1014, 7560 + 216);
    const QString question = waitForWindow(QStringLiteral("^Cancella oggetto$"));
    ASSERT_FALSE(question.isEmpty());
    press(question, QStringLiteral("Tab"));
    press(question, QStringLiteral("space"));
    // "Salva": a new name in the save dialog, in the template's folder.
    clickAt(window, ppt, 12852 + 1014, 1176 + 216);
    const QString save = waitForWindow(QStringLiteral("^Salva$"));
    ASSERT_FALSE(save.isEmpty());
    xdotool({QStringLiteral("key"), QStringLiteral("--window"), save, QStringLiteral("ctrl+a")});
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), QStringLiteral("salvato.vn3")});
    press(save, QStringLiteral("Return"));
    ASSERT_FALSE(waitForWindow(QStringLiteral("^Gestore report Ostrivo 3\\.0 - .*salvato\\.vn3$")).isEmpty());
    // Saved: "Esci" asks nothing.
    clickAt(window, ppt, 12852 + 1014, 8064 + 216);
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(app.exitCode(), 0) << app.readAllStandardError().toStdString();

    QStringList expected = before;
    expected[expected.indexOf(QStringLiteral("R,10.00,20.00,30.00,30.00,"))] = QStringLiteral("R,20.00,21.00,41.00,31.00,");
    expected.removeAll(QStringLiteral("R,50.00,50.00,70.00,60.00,"));
    expected.insert(expected.indexOf(QStringLiteral("[TABELLA]")), QStringLiteral("<inserire testo>,0,0,Arial,8,0,"));
    EXPECT_EQ(QString::fromLatin1(test::readFile(dir.file(QStringLiteral("salvato.vn3")))),
              expected.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    // The template itself and the print request are untouched.
    EXPECT_EQ(test::readFile(dir.file(QStringLiteral("t.vn3"))), (before.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());
    EXPECT_TRUE(QFile::exists(elsewhere + QStringLiteral("/Varnil3PC2.pss")));
    EXPECT_FALSE(QFile::exists(elsewhere + QStringLiteral("/salvato.vn3")));
}

// The designer grown to the whole screen: the page at 200 %, a drag there undone (and saved so)
// and redone with the keys, the preview counting the pages, a long print stopped before it wrote
// anything, the template saved.
TEST_F(XvfbEndToEnd, MaximisedDesignerZoomsPreviewsStopsAPrintAndSaves)
{
    // Rows enough for a print of many seconds.
    test::createSqliteDatabase(dir.file(QStringLiteral("righe.db")),
                               QStringLiteral("CREATE TABLE Righe (NumeroHotel INTEGER, N INTEGER, Testo TEXT);"
                                              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40000)"
                                              " INSERT INTO Righe SELECT 1, i, 'riga ' || i FROM n;"));
    test::writeTemplate(dir.file(QStringLiteral("t.vn3")),
                        {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral("righe.db,Righe,"),
                         QStringLiteral("[PARAMETRI]"), QStringLiteral("[IMMAGINI]"), QStringLiteral("[GRIGLIA]"),
                         QStringLiteral("R,10.00,20.00,30.00,30.00,"), QStringLiteral("[CAMPI]"), QStringLiteral("[TESTO]"),
                         QStringLiteral("[TABELLA]"), QStringLiteral("Righe,2,40,74,Arial,9,"), QStringLiteral("righe.db,Righe,N,,"),
                         QStringLiteral("N.,N,6,Num,N,,6,"), QStringLiteral("Testo,Testo,20,Str,N,,20,"),
                         QStringLiteral("[FINE TABELLA]"), QStringLiteral("[FINE]")});
    startProgram({QStringLiteral("t.vn3")});
    const QString window = waitForWindow(QStringLiteral("^Gestore report Ostrivo 3\\.0 - .*t\\.vn3$"));
    ASSERT_FALSE(window.isEmpty());
    const double ppt = pixelsPerTwip(window);
    auto widthOf = [&] {
        const QString geometry = xdotool({QStringLiteral("getwindowgeometry"), window});
        return QRegularExpression(QStringLiteral("Geometry: (\\d+)x")).match(geometry).captured(1).toInt();
    };
    const int normalWidth = widthOf();
    // Maximised (no window manager here: the whole screen); the column keeps to the right edge.
    xdotool({QStringLiteral("windowmove"), QStringLiteral("--sync"), window, QStringLiteral("0"), QStringLiteral("0")});
    xdotool({QStringLiteral("windowsize"), QStringLiteral("--sync"), window, QStringLiteral("100%"), QStringLiteral("100%")});
    const int grown = widthOf() - normalWidth;
    ASSERT_GT(grown, 0);
    auto column = [&](double top) { clickAt(window, ppt, 12852 + 1014 + grown / ppt, top + 216); };
    // The page at 200 %, scrolled back to its top; a click on it gives the window the keys.
    auto twipsX = [](double units) { return 2940 + units * 2 * 6500 / 80; };
    auto twipsY = [](double units) { return 340 + units * 2 * 8300 / 75; };
    auto pixel = [&](double twips) { return QString::number(qRound(twips * ppt)); };
    auto clickEmptyPage = [&] { clickAt(window, ppt, twipsX(70), twipsY(5)); };
    clickAt(window, ppt, 2940 + 70 * 6500 / 80, 340 + 5 * 8300 / 75);
    for (int i = 0; i < 3; ++i)
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+plus")});
    xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("10"), QStringLiteral("4")});

    // The rectangle dragged by its corner 10 units right and 1 down: the pointer's offsets are
    // twice the twips they stand for at this scale.
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window, pixel(twipsX(10.5)), pixel(twipsY(20.5)),
             QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("mousemove"), QStringLiteral("--window"), window,
             pixel(twipsX(10) + 2 * 853), pixel(twipsY(20) + 2 * 130), QStringLiteral("mouseup"), QStringLiteral("1")});
    // Undone and saved so (Ctrl+S), then redone.
    auto saveAs = [&](const QString& name) {
        clickEmptyPage();
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+s")});
        const QString save = waitForWindow(QStringLiteral("^Salva$"));
        ASSERT_FALSE(save.isEmpty());
        xdotool({QStringLiteral("key"), QStringLiteral("--window"), save, QStringLiteral("ctrl+a")});
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), name});
        press(save, QStringLiteral("Return"));
        ASSERT_FALSE(waitForWindow(QStringLiteral("^Gestore report Ostrivo 3\\.0 - .*") + name + QLatin1Char('$')).isEmpty());
    };
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+z")});
    saveAs(QStringLiteral("annullato.vn3"));
    clickEmptyPage();
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+y")});

    // "Anteprima": once the print has run, the title counts the pages; Escape closes it.
    column(5712);
    const QString preview = waitForWindow(QStringLiteral("^Anteprima - annullato\\.vn3 \\(\\d+ pagine\\)$"));
    ASSERT_FALSE(preview.isEmpty());
    const int previewPages = QRegularExpression(QStringLiteral("\\((\\d+) pagine\\)"))
                                 .match(xdotool({QStringLiteral("getwindowname"), preview}))
                                 .captured(1)
                                 .toInt();
    press(preview, QStringLiteral("Escape"));
    ASSERT_TRUE(waitForMappedWindows(1)) << "the preview did not close";

    // "Stampa" of the file as saved ("No" to saving first), on "PDF"; "Interrompi" in the
    // progress window stops it and no PDF is left.
    const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files);
    column(1680);
    const QString question = waitForWindow(QStringLiteral("^Gestore report Ostrivo 3\\.0$"));
    ASSERT_FALSE(question.isEmpty());
    press(question, QStringLiteral("Tab"));
    press(question, QStringLiteral("space"));
    const QString printers = waitForWindow(kPrinterDialog);
    ASSERT_FALSE(printers.isEmpty());
    press(printers, QStringLiteral("Home"));
    press(printers, QStringLiteral("Return"));
    const QString progress = waitForWindow(QStringLiteral("^Stampa in corso$"));
    ASSERT_FALSE(progress.isEmpty());
    press(progress, QStringLiteral("Return"));
    ASSERT_TRUE(waitForMappedWindows(1)) << "the print did not stop";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), filesBefore);

    saveAs(QStringLiteral("salvato.vn3"));
    column(8064);
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(app.exitCode(), 0) << app.readAllStandardError().toStdString();

    const QStringList undone = QString::fromLatin1(test::readFile(dir.file(QStringLiteral("annullato.vn3")))).split(QStringLiteral("\r\n"));
    const QStringList redone = QString::fromLatin1(test::readFile(dir.file(QStringLiteral("salvato.vn3")))).split(QStringLiteral("\r\n"));
    EXPECT_TRUE(undone.contains(QStringLiteral("R,10.00,20.00,30.00,30.00,"))) << undone.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(redone.contains(QStringLiteral("R,20.00,21.00,40.00,31.00,"))) << redone.join(QLatin1Char('|')).toStdString();
    // The preview counted the pages the print makes.
    const auto printed = test::runProgram(test::binaryPath(), {QStringLiteral("print"), QStringLiteral("salvato.vn3"), QStringLiteral("--output"),
                                                               QStringLiteral("s.pdf"), QStringLiteral("--trace"), QStringLiteral("s.json")});
    ASSERT_TRUE(printed && printed->ok);
    EXPECT_GT(previewPages, 100);
    EXPECT_TRUE(test::readFile(dir.file(QStringLiteral("s.json"))).trimmed().endsWith(QStringLiteral("{\"op\":\"end\",\"pages\":%1}").arg(previewPages).toLatin1()));
}

namespace {

// The property dialogs and the parameter editor in the real program. Each scenario opens a
// template named on the command line, changes every control of one dialog, confirms it and saves
// under a new name; then changes it again, cancels, and saves under another name, which must give
// the same file. The saved template is then printed from the command line.
class XvfbDialogs : public XvfbEndToEnd {
protected:
    void SetUp() override
    {
        XvfbEndToEnd::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        if (test::testDataDir().isEmpty())
            GTEST_SKIP() << "shared test data not found (expected ../shared/data next to the repository); skipping";
        // The database beside the template, as hotels keep it.
        ASSERT_TRUE(QFile::copy(test::testDataFile(QStringLiteral("hotel.mdb")), dir.file(QStringLiteral("hotel.mdb"))));
    }

    // A portrait page 80 by 75 whose reference is Prenotazioni of hotel.mdb, with the given
    // records in their sections.
    static QStringList page(const QStringList& images, const QStringList& fields, const QStringList& texts,
                            const QStringList& tables)
    {
        return QStringList{"[TESTA]", "1", "80,75,", "hotel.mdb,Prenotazioni,", "[PARAMETRI]", "[IMMAGINI]"} + images +
               QStringList{"[GRIGLIA]", "[CAMPI]"} + fields + QStringList{"[TESTO]"} + texts + QStringList{"[TABELLA]"} +
               tables + QStringList{"[FINE]"};
    }

    void openTemplate(const QStringList& lines)
    {
        test::writeTemplate(dir.file(QStringLiteral("t.vn3")), lines);
        startProgram({QStringLiteral("t.vn3")});
        window_ = waitForWindow(QStringLiteral("^Gestore report Ostrivo 3\\.0 - .*t\\.vn3$"));
        ASSERT_FALSE(window_.isEmpty());
        ppt_ = pixelsPerTwip(window_);
    }

    // Waits until the window has the keyboard; false on time out.
    bool waitForFocus(const QString& window)
    {
        return windows->waitFor([&](const WindowLog::State& s) { return QString::number(s.focus) == window; }, kStepTimeoutMs);
    }

    // Waits for a window by its caption and for it to have the keyboard; its id.
    QString waitForDialog(const QString& caption)
    {
        const QString dialog = waitForWindow(caption);
        EXPECT_TRUE(!dialog.isEmpty() && waitForFocus(dialog)) << "no " << caption.toStdString() << " with the keyboard";
        return dialog;
    }

    // A press of a mouse button on the page at (x, y) units of the canvas (portrait: 6500 by 8300
    // twips at 2940, 340).
    void pressOnPage(double x, double y, int button)
    {
        clickAt(window_, ppt_, 2940 + x * 6500 / 80, 340 + y * 8300 / 75, button);
    }

    // A file dialog opened from a dialog: a file of the template's folder named there. Without a
    // window manager the dialog gets the keyboard back only from a click.
    void chooseInFileDialog(const QString& owner, const QString& name)
    {
        ASSERT_TRUE(waitForMappedWindows(3)) << "no file dialog";
        ASSERT_TRUE(windows->waitFor(
            [&](const WindowLog::State& s) {
                const QString focus = QString::number(s.focus);
                return s.focus != XCB_NONE && focus != owner && focus != window_;
            },
            kStepTimeoutMs))
            << "the file dialog did not get the keyboard";
        type(name);
        keys({"Return"});
        ASSERT_TRUE(waitForMappedWindows(2)) << "the file dialog did not close";
    }

    // Picks from the drop-down list that has the focus as the user does: open it, type the
    // entry's beginning, Enter.
    void pickFromList(const QString& beginning)
    {
        keys({"alt+Down"});
        type(beginning);
        keys({"Return"});
    }

    // Keys as xdotool names them, and text, to whatever window has the keyboard.
    void keys(const QStringList& names) { xdotool(QStringList{"key", "--delay", "12"} + names); }
    void type(const QString& text) { xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("12"), text}); }
    void clickIn(const QString& dialog, double x, double y) { clickAt(dialog, ppt_, x, y); }

    // "Inserisci oggetto" of the kind the list offers first for these letters.
    void insertKind(const QString& letters)
    {
        clickAt(window_, ppt_, 12852 + 1014, 6720 + 144);
        ASSERT_TRUE(waitForMappedWindows(2)) << "the list did not open";
        type(letters);
        keys({"Return"});
        ASSERT_TRUE(waitForMappedWindows(1)) << "the list did not close";
        clickAt(window_, ppt_, 12852 + 1014, 7056 + 216);
    }

    // "Salva" under a new name in the template's folder; the saved file's lines.
    QStringList saveAs(const QString& name)
    {
        clickAt(window_, ppt_, 12852 + 1014, 1176 + 216);
        const QString save = waitForWindow(QStringLiteral("^Salva$"));
        EXPECT_FALSE(save.isEmpty());
        xdotool({QStringLiteral("key"), QStringLiteral("--window"), save, QStringLiteral("ctrl+a")});
        type(name);
        press(save, QStringLiteral("Return"));
        EXPECT_FALSE(waitForWindow(QStringLiteral("^Gestore report Ostrivo 3\\.0 - .*") + name + QLatin1Char('$')).isEmpty());
        return QString::fromLatin1(test::readFile(dir.file(name))).split(QStringLiteral("\r\n"));
    }

    // "Esci": nothing is left to save, so nothing is asked.
    void exitDesigner()
    {
        clickAt(window_, ppt_, 12852 + 1014, 8064 + 216);
        ASSERT_TRUE(waitForEnd());
        EXPECT_EQ(app.exitCode(), 0) << app.readAllStandardError().toStdString();
    }

    // Prints a template to a PDF from the command line: its text, and the trace of what was drawn.
    std::pair<QString, QString> print(const QString& name)
    {
        const auto run = test::runProgram(test::binaryPath(),
                                          {QStringLiteral("print"), name, QStringLiteral("--output"), QStringLiteral("s.pdf"),
                                           QStringLiteral("--trace"), QStringLiteral("s.json")});
        EXPECT_TRUE(run && run->ok) << (run ? run->err.toStdString() : std::string("not run"));
        return {pdfText(dir.file(QStringLiteral("s.pdf"))), QString::fromUtf8(test::readFile(dir.file(QStringLiteral("s.json"))))};
    }

    QString window_;
    double ppt_ = 0;
};

}  // namespace

TEST_F(XvfbDialogs, TextDialog)
{
    const QStringList before = page({}, {}, {"Ciao,5,5,Arial,10,0,"}, {});
    openTemplate(before);
    pressOnPage(6, 6, 3);
    QString dialog = waitForDialog(QStringLiteral("^Propriet.+ del testo$"));
    keys({"ctrl+a"});
    type(QStringLiteral("Benvenuti"));
    keys({"Tab"});
    type(QStringLiteral("Times"));
    keys({"Tab", "Down", "Down", "Tab", "ctrl+a"});
    type(QStringLiteral("255"));
    keys({"Tab", "space"});
    QStringList expected = before;
    expected[expected.indexOf(QStringLiteral("Ciao,5,5,Arial,10,0,"))] = QStringLiteral("Benvenuti,5,5,Times New Roman,12,255,");
    const QStringList saved = saveAs(QStringLiteral("salvato.vn3"));
    EXPECT_EQ(saved, expected + QStringList{""});

    pressOnPage(6, 6, 3);
    dialog = waitForDialog(QStringLiteral("^Propriet.+ del testo$"));
    keys({"ctrl+a"});
    type(QStringLiteral("Altro"));
    keys({"Tab", "Down", "Tab", "Down"});
    clickIn(dialog, 2772 + 594, 1512 + 258);  // "Annulla"
    EXPECT_EQ(saveAs(QStringLiteral("dopo.vn3")), saved);
    exitDesigner();

    const auto [text, trace] = print(QStringLiteral("salvato.vn3"));
    EXPECT_TRUE(text.contains(QStringLiteral("Benvenuti"))) << text.toStdString();
    EXPECT_TRUE(trace.contains(QStringLiteral("\"text\":\"Benvenuti\",\"font\":\"Times New Roman\",\"size\":12,\"color\":255")))
        << trace.toStdString();
}

TEST_F(XvfbDialogs, DatabaseFieldDialog)
{
    ASSERT_TRUE(QFile::copy(dir.file(QStringLiteral("hotel.mdb")), dir.file(QStringLiteral("altro.mdb"))));
    const QString field = QStringLiteral("hotel.mdb,Clienti,Cognome,Str,10,20,20,Arial,10,,");
    const QStringList before = page({}, {field}, {}, {});
    openTemplate(before);
    pressOnPage(11, 21, 3);
    QString dialog = waitForDialog(QStringLiteral("^Inserimento/Modifica Campi database$"));
    clickIn(dialog, 7056 + 594, 756 + 174);  // "sfoglia"
    chooseInFileDialog(dialog, QStringLiteral("altro.mdb"));
    // A click opens the table list (and gives the dialog the keyboard back).
    clickIn(dialog, 1848 + 2568, 1092 + 144);
    type(QStringLiteral("H"));
    keys({"Return"});
    pickFromList(QStringLiteral("Nom"));
    keys({"ctrl+a"});
    type(QStringLiteral("30"));
    keys({"Return"});
    pickFromList(QStringLiteral("Cour"));
    keys({"Down"});
    type(QStringLiteral("Citta = 'Rimini'"));
    keys({"Return", "space"});
    QStringList expected = before;
    expected[expected.indexOf(field)] = QStringLiteral("altro.mdb,Hotel,Nome,Str,10,20,30,Courier New,11,Citta = 'Rimini',");
    const QStringList saved = saveAs(QStringLiteral("salvato.vn3"));
    EXPECT_EQ(saved, expected + QStringList{""});

    pressOnPage(11, 21, 3);
    dialog = waitForDialog(QStringLiteral("^Inserimento/Modifica Campi database$"));
    type(QStringLiteral("C"));
    type(QStringLiteral("Cit"));
    clickIn(dialog, 6888 + 678, 2856 + 300);  // "Annulla"
    EXPECT_EQ(saveAs(QStringLiteral("dopo.vn3")), saved);
    exitDesigner();

    const auto [text, trace] = print(QStringLiteral("salvato.vn3"));
    EXPECT_TRUE(text.contains(QStringLiteral("Hotel Bellavista"))) << text.toStdString();
    EXPECT_TRUE(trace.contains(QStringLiteral("\"font\":\"Courier New\",\"size\":11"))) << trace.toStdString();
}

TEST_F(XvfbDialogs, TableDialog)
{
    const QStringList before = page({}, {}, {}, {"Elenco,2,30,50,Arial,8,", "hotel.mdb,Clienti,,,", "Cognome,Cognome,20,Str,N,,20,",
                                                 "[FINE TABELLA]"});
    openTemplate(before);
    pressOnPage(5, 31, 3);
    QString dialog = waitForDialog(QStringLiteral("^Inserimento/Modifica tabella$"));
    keys({"ctrl+a"});
    type(QStringLiteral("Ospiti"));
    keys({"Return"});
    pickFromList(QStringLiteral("Cour"));
    keys({"Down", "Tab"});
    type(QStringLiteral("Cognome"));
    keys({"Tab"});
    pickFromList(QStringLiteral("Nom"));  // the ordering picker appends it
    keys({"Tab"});
    type(QStringLiteral("CodiceCliente < 4"));
    keys({"Return"});
    type(QStringLiteral("Nome"));
    keys({"Return"});
    pickFromList(QStringLiteral("Nom"));
    type(QStringLiteral("20"));
    keys({"Return"});
    type(QStringLiteral("20"));
    keys({"Return", "Return", "Return", "space"});  // total "N", no relation, "inserisci"
    // The first line, "Cognome", one down.
    clickIn(dialog, 84 + 1000, 4200 + 90);
    clickIn(dialog, 2940 + 678, 6048 + 342);
    clickIn(dialog, 84 + 678, 6048 + 342);  // "Ok"
    QStringList expected = before;
    const int at = expected.indexOf(QStringLiteral("Elenco,2,30,50,Arial,8,"));
    expected[at] = QStringLiteral("Ospiti,2,30,50,Courier New,9,");
    expected[at + 1] = QStringLiteral("hotel.mdb,Clienti,Cognome-Nome,CodiceCliente < 4,");
    expected.insert(at + 2, QStringLiteral("Nome,Nome,20,Str,N,,20,"));
    const QStringList saved = saveAs(QStringLiteral("salvato.vn3"));
    EXPECT_EQ(saved, expected + QStringList{""});

    pressOnPage(5, 31, 3);
    dialog = waitForDialog(QStringLiteral("^Inserimento/Modifica tabella$"));
    keys({"ctrl+a"});
    type(QStringLiteral("Altro"));
    clickIn(dialog, 84 + 1000, 4200 + 90);
    clickIn(dialog, 4368 + 678, 6048 + 342);  // "Cancella"
    clickIn(dialog, 6888 + 678, 6048 + 342);  // "Esci"
    EXPECT_EQ(saveAs(QStringLiteral("dopo.vn3")), saved);
    exitDesigner();

    const auto [text, trace] = print(QStringLiteral("salvato.vn3"));
    for (const char* shown : {"Ospiti", "Nome", "Cognome", "D'Angelo"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(shown))) << shown << " not in\n" << text.toStdString();
}

TEST_F(XvfbDialogs, ImageDialog)
{
    for (const char* name : {"logo.jpg", "nuovo.jpg"}) {
        QImage image(16, 8, QImage::Format_RGB32);
        image.fill(Qt::blue);
        ASSERT_TRUE(image.save(dir.file(QString::fromLatin1(name))));
    }
    const QStringList before = page({"logo.jpg,40.00,40.00,10.00,5.00,"}, {}, {}, {});
    openTemplate(before);
    pressOnPage(45, 42, 3);
    QString dialog = waitForDialog(QStringLiteral("^Propriet.+ immagine$"));
    clickIn(dialog, 2688 + 594, 504 + 174);  // "Sfoglia"
    chooseInFileDialog(dialog, QStringLiteral("nuovo.jpg"));
    clickIn(dialog, 504 + 678, 1008 + 300);  // "Ok"
    QStringList expected = before;
    expected[expected.indexOf(QStringLiteral("logo.jpg,40.00,40.00,10.00,5.00,"))] = QStringLiteral("nuovo.jpg,40.00,40.00,10.00,5.00,");
    const QStringList saved = saveAs(QStringLiteral("salvato.vn3"));
    EXPECT_EQ(saved, expected + QStringList{""});

    pressOnPage(45, 42, 3);
    dialog = waitForDialog(QStringLiteral("^Propriet.+ immagine$"));
    keys({"ctrl+a"});
    type(QStringLiteral("logo.jpg"));
    clickIn(dialog, 2100 + 678, 1008 + 300);  // "Annulla"
    EXPECT_EQ(saveAs(QStringLiteral("dopo.vn3")), saved);
    exitDesigner();

    const auto [text, trace] = print(QStringLiteral("salvato.vn3"));
    EXPECT_TRUE(trace.contains(QStringLiteral("\"op\":\"picture\",\"page\":1,\"file\":\"nuovo.jpg\""))) << trace.toStdString();
}

TEST_F(XvfbDialogs, ParameterEditor)
{
    const QStringList before = page({}, {}, {"Camere oltre la <PARAM1>,5,5,Arial,10,0,"}, {});
    openTemplate(before);
    insertKind(QStringLiteral("PA"));
    QString dialog = waitForDialog(QStringLiteral("^Inserimento/Modifica parametri di stampa$"));
    pickFromList(QStringLiteral("Cam"));
    type(QStringLiteral("Oltre la camera"));
    keys({"Return"});
    pickFromList(QStringLiteral(">"));
    keys({"ctrl+a"});
    type(QStringLiteral("101"));
    keys({"Return", "space"});                // "inserisci"
    clickIn(dialog, 84 + 678, 3948 + 342);  // "Ok"
    QStringList expected = before;
    expected.insert(expected.indexOf(QStringLiteral("[PARAMETRI]")) + 1, QStringLiteral("Camera,>,Num,101,Oltre la camera,"));
    const QStringList saved = saveAs(QStringLiteral("salvato.vn3"));
    EXPECT_EQ(saved, expected + QStringList{""});

    insertKind(QStringLiteral("PA"));
    dialog = waitForDialog(QStringLiteral("^Inserimento/Modifica parametri di stampa$"));
    clickIn(dialog, 84 + 1000, 2100 + 90);
    clickIn(dialog, 4368 + 678, 3948 + 342);  // "Cancella"
    clickIn(dialog, 8400 + 678, 3948 + 342);  // "Esci"
    EXPECT_EQ(saveAs(QStringLiteral("dopo.vn3")), saved);
    exitDesigner();

    const auto [text, trace] = print(QStringLiteral("salvato.vn3"));
    EXPECT_TRUE(text.contains(QStringLiteral("Camere oltre la 101"))) << text.toStdString();
}
