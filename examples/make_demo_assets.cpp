// Builds the demo's files in a folder: the hotel database (SQLite, from demo.sql), the logo
// picture, and the template with the line ends and code page of a template file.
#include "core/Cp1252.h"
#include "core/Errors.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <sqlite3.h>

namespace {

bool buildDatabase(const QString& sqlPath, const QString& dbPath)
{
    QFile sql(sqlPath);
    if (!sql.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make_demo_assets: cannot read %s\n", qPrintable(sqlPath));
        return false;
    }
    const QByteArray script = sql.readAll();
    QFile::remove(dbPath);
    sqlite3* db = nullptr;
    if (sqlite3_open(dbPath.toUtf8().constData(), &db) != SQLITE_OK) {
        std::fprintf(stderr, "make_demo_assets: cannot create %s\n", qPrintable(dbPath));
        sqlite3_close(db);
        return false;
    }
    char* message = nullptr;
    const int rc = sqlite3_exec(db, script.constData(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK)
        std::fprintf(stderr, "make_demo_assets: %s: %s\n", qPrintable(sqlPath), message ? message : "error");
    sqlite3_free(message);
    sqlite3_close(db);
    return rc == SQLITE_OK;
}

bool drawLogo(const QString& path)
{
    QImage logo(480, 240, QImage::Format_RGB32);
    logo.fill(QColor(255, 255, 255));
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0, 70, 140));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(10, 10, 460, 220), 30, 30);
    p.setBrush(QColor(250, 190, 40));
    p.drawEllipse(QPointF(370, 90), 50, 50);
    p.setBrush(QColor(90, 170, 230));
    p.drawRect(QRectF(10, 150, 460, 40));
    p.setPen(QColor(255, 255, 255));
    QFont font(QStringLiteral("Times New Roman"), 44, QFont::Bold);
    p.setFont(font);
    p.drawText(QRectF(30, 30, 300, 110), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Bellavista"));
    p.end();
    return logo.save(path, "JPG", 90);
}

bool writeTemplate(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    try {
        ostrivo::writeCp1252Lines(target, ostrivo::splitLines(QString::fromUtf8(in.readAll())));
    } catch (const ostrivo::Error& e) {
        std::fprintf(stderr, "make_demo_assets: %s\n", e.what());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_demo_assets EXAMPLES_DIR OUTPUT_DIR\n");
        return 2;
    }
    const QString examples = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(output);
    const bool ok = buildDatabase(examples + QStringLiteral("/demo.sql"), output + QStringLiteral("/demo.db")) &&
                    drawLogo(output + QStringLiteral("/logo.jpg")) &&
                    writeTemplate(examples + QStringLiteral("/demo.vn3.in"), output + QStringLiteral("/demo.vn3"));
    return ok ? 0 : 1;
}
