#include "TemplateGenerator.h"

#include <array>
#include <cstdint>

namespace ostrivo {

namespace {

// A small generator of our own: the same numbers on every platform and library.
class Random {
public:
    explicit Random(unsigned seed) : state_(0x9E3779B97F4A7C15ull ^ seed) {}

    // 0 .. n-1
    int below(int n)
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<int>(state_ % static_cast<std::uint64_t>(n));
    }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool oneIn(int n) { return below(n) == 0; }
    // A number with two decimals from low to high.
    QString twoDecimals(int low, int high) { return QStringLiteral("%1.%2").arg(between(low, high)).arg(below(100), 2, 10, QLatin1Char('0')); }

private:
    std::uint64_t state_;
};

struct Column {
    const char* name;
    const char* typeWord;
};
constexpr std::array<Column, 4> kColumns = {{{"N", "Num"}, {"Descrizione", "Str"}, {"Importo", "Cur"}, {"Giorno", "Date"}}};
const std::array<QString, 3> kFonts = {QStringLiteral("Arial"), QStringLiteral("Times New Roman"), QStringLiteral("Courier New")};

// The sections after which product blocks may stand (after the page block the print run wants
// "[PARAMETRI]").
const std::array<QString, 7> kProductAnchors = {QStringLiteral("[PARAMETRI]"), QStringLiteral("[IMMAGINI]"),
                                               QStringLiteral("[GRIGLIA]"),    QStringLiteral("[CAMPI]"),
                                               QStringLiteral("[TESTO]"),      QStringLiteral("[TABELLA]"),
                                               QStringLiteral("[FINE]")};

}  // namespace

QStringList generateTemplate(const TemplateShape& shape, unsigned seed)
{
    Random random(seed);
    const bool portrait = random.oneIn(2);
    const int width = portrait ? random.between(60, 100) : random.between(100, 200);
    const int height = portrait ? random.between(70, 140) : random.between(50, 90);

    std::array<QStringList, kProductAnchors.size()> products;
    for (int p = 1; p <= shape.productBlocks; ++p) {
        QStringList& after = products[static_cast<std::size_t>(random.below(static_cast<int>(kProductAnchors.size())))];
        after << QStringLiteral("[*]")
              << QStringLiteral("p,p,p,%1,%2,%3,12,Arial,9,")
                     .arg(random.oneIn(2) ? QStringLiteral("Num") : QStringLiteral("Cur"))
                     .arg(random.between(0, width - 10))
                     .arg(random.between(0, height - 2));
        for (int f = random.between(1, 3); f > 0; --f)
            after << QStringLiteral("%1,Righe,%2,").arg(shape.database, random.oneIn(2) ? QStringLiteral("Importo") : QStringLiteral("N"));
        after << QStringLiteral("[/*]");
    }
    QStringList lines;
    auto section = [&](const QString& name) { lines << name; };
    auto productsAfter = [&](const QString& name) {
        for (std::size_t i = 0; i < kProductAnchors.size(); ++i) {
            if (kProductAnchors[i] == name)
                lines << products[i];
        }
    };

    lines << QStringLiteral("[TESTA]") << (portrait ? QStringLiteral("1") : QStringLiteral("2"))
          << QStringLiteral("%1,%2,").arg(width).arg(height) << QStringLiteral("%1,Righe,").arg(shape.database);

    section(QStringLiteral("[PARAMETRI]"));
    for (int i = 1; i <= shape.parameters; ++i) {
        const bool odd = shape.oddities && random.oneIn(4);
        lines << QStringLiteral("N,>=,%1,0,Dal numero %2,").arg(odd ? QStringLiteral("Intero") : QStringLiteral("Num")).arg(i);
    }
    productsAfter(QStringLiteral("[PARAMETRI]"));

    section(QStringLiteral("[IMMAGINI]"));
    for (int i = 1; i <= shape.images; ++i) {
        lines << QStringLiteral("%1,%2,%3,%4,%5,")
                     .arg(shape.pictures.at(i % shape.pictures.size()), random.twoDecimals(0, width - 10),
                          random.twoDecimals(0, height - 10), random.twoDecimals(1, 20), random.twoDecimals(1, 15));
    }
    productsAfter(QStringLiteral("[IMMAGINI]"));

    section(QStringLiteral("[GRIGLIA]"));
    for (int i = 1; i <= shape.rectangles; ++i) {
        QString kind = QStringLiteral("R");
        QString x1 = random.twoDecimals(0, width / 2), y1 = random.twoDecimals(0, height / 2);
        QString x2 = random.twoDecimals(width / 2, width - 1), y2 = random.twoDecimals(height / 2, height - 1);
        if (shape.oddities) {
            const int pick = random.below(6);
            if (pick == 0)
                kind = QStringLiteral("L");
            else if (pick == 1)
                kind = QStringLiteral("X");
            if (random.oneIn(3))
                std::swap(x1, x2);
            if (random.oneIn(3))
                std::swap(y1, y2);
        }
        lines << QStringLiteral("%1,%2,%3,%4,%5,").arg(kind, x1, y1, x2, y2);
    }
    productsAfter(QStringLiteral("[GRIGLIA]"));

    section(QStringLiteral("[CAMPI]"));
    for (int i = 1; i <= shape.fields; ++i) {
        const Column& column = kColumns[static_cast<std::size_t>(random.below(static_cast<int>(kColumns.size())))];
        QString type = QString::fromLatin1(column.typeWord);
        if (shape.oddities && random.oneIn(5))
            type = QStringLiteral("Txt");
        const QString x = random.oneIn(3) ? QStringLiteral("%1.5").arg(random.between(0, width - 20))
                                          : QString::number(random.between(0, width - 20));
        lines << QStringLiteral("%1,Righe,%2,%3,%4,%5,%6,%7,%8,%9,")
                     .arg(shape.database, QString::fromLatin1(column.name), type, x)
                     .arg(random.between(0, height - 2))
                     .arg(random.between(5, 30))
                     .arg(kFonts[static_cast<std::size_t>(random.below(3))])
                     .arg(random.between(6, 14))
                     .arg(random.oneIn(4) ? QStringLiteral("N = 2") : QString());
    }
    productsAfter(QStringLiteral("[CAMPI]"));

    section(QStringLiteral("[TESTO]"));
    for (int i = 1; i <= shape.texts; ++i) {
        QString text;
        switch (random.below(8)) {
        case 0: text = QStringLiteral("Data_oggi"); break;
        case 1: text = QStringLiteral("ora_adesso"); break;
        case 2: text = QStringLiteral("Dal n. <PARAM1>"); break;
        default: text = QStringLiteral("Testo %1 già più così").arg(i); break;
        }
        const qint64 colour = random.oneIn(10) ? -2147483640 : random.below(0x1000000);
        lines << QStringLiteral("%1,%2,%3,%4,%5,%6,")
                     .arg(text)
                     .arg(random.between(0, width - 5))
                     .arg(random.between(0, height - 2))
                     .arg(kFonts[static_cast<std::size_t>(random.below(3))])
                     .arg(random.between(6, 20))
                     .arg(colour);
    }
    productsAfter(QStringLiteral("[TESTO]"));

    section(QStringLiteral("[TABELLA]"));
    for (int t = 1; t <= shape.tables; ++t) {
        const int y = random.between(0, height / 2);
        const QString title = shape.oddities && random.oneIn(4) ? QString() : QStringLiteral("Tabella %1").arg(t);
        lines << QStringLiteral("%1,%2,%3,%4,Arial,%5,")
                     .arg(title)
                     .arg(random.between(0, width / 4))
                     .arg(y)
                     .arg(y + random.between(6, height / 2))
                     .arg(random.between(6, 10));
        lines << QStringLiteral("%1,Righe,N,%2,").arg(shape.database, random.oneIn(3) ? QStringLiteral("Importo > 0") : QString());
        for (int j = 1; j <= shape.columns; ++j) {
            const Column& column = kColumns[static_cast<std::size_t>(random.below(static_cast<int>(kColumns.size())))];
            QString type = QString::fromLatin1(column.typeWord);
            QString columnTitle = QStringLiteral("Col%1").arg(j);
            if (shape.oddities && random.oneIn(6))
                type = QStringLiteral("Null");
            if (shape.oddities && random.oneIn(8))
                columnTitle.clear();
            lines << QStringLiteral("%1,%2,%3,%4,%5,,%6,")
                         .arg(columnTitle, QString::fromLatin1(column.name))
                         .arg(random.between(3, 12))
                         .arg(type, random.oneIn(3) ? QStringLiteral("S") : QStringLiteral("N"))
                         .arg(random.between(3, 12));
        }
        lines << QStringLiteral("[FINE TABELLA]");
    }
    productsAfter(QStringLiteral("[TABELLA]"));

    lines << QStringLiteral("[FINE]");
    productsAfter(QStringLiteral("[FINE]"));
    return lines;
}

QStringList movementsTableReport()
{
    return {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"),
            QStringLiteral("movimenti.mdb,Movimenti,"), QStringLiteral("[PARAMETRI]"),
            QStringLiteral("Progressivo,<=,Num,<nessuno>,Fino al numero,"), QStringLiteral("[TESTO]"),
            QStringLiteral("Movimenti,2,2,Arial,14,0,"), QStringLiteral("Data_oggi,66,2,Arial,9,0,"),
            QStringLiteral("[GRIGLIA]"), QStringLiteral("R,1.00,1.00,79.00,5.00,"), QStringLiteral("[TABELLA]"),
            QStringLiteral("Elenco movimenti,2,7,72,Arial,7,"),
            QStringLiteral("movimenti.mdb,Movimenti,DataMovimento-Progressivo,,"),
            QStringLiteral("N.,Progressivo,5,Num,N,,6,"), QStringLiteral("Data,DataMovimento,7,Date,N,,10,"),
            QStringLiteral("Cam.,Camera,3,Num,N,,4,"), QStringLiteral("Descrizione,Descrizione,33,Str,N,,60,"),
            QStringLiteral("Importo,Importo,10,Cur,S,,13,"), QStringLiteral("Q.ta,Quantita,7,Num,S,,10,"),
            QStringLiteral("[FINE TABELLA]"), QStringLiteral("[FINE]")};
}

}  // namespace ostrivo
