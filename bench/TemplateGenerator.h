#pragma once

#include <QString>
#include <QStringList>

namespace ostrivo {

// What a generated template holds. The default is a template at every list's capacity.
struct TemplateShape {
    int parameters = 30;
    int images = 100;
    int rectangles = 500;
    int fields = 200;
    int texts = 500;
    int tables = 10;
    int columns = 60;  // of each table
    int productBlocks = 0;
    // Elements the designer shows without editing them: lines, kind letters the print run ignores,
    // corners in reverse order, type words outside the type table, tables and columns without a
    // title.
    bool oddities = false;
    // What fields, tables and products read: a table Righe with the columns N (number),
    // Descrizione (text), Importo (currency) and Giorno (date).
    QString database = QStringLiteral("t.db");
    // Pictures named by the images, in turn (missing ones show and print nothing).
    QStringList pictures = {QStringLiteral("logo.png"), QStringLiteral("manca.jpg")};
};

// A template file's lines, the same for the same shape and seed: the sections in the order a save
// writes them, texts and tables at whole units, images and rectangles at two decimals, product
// blocks after the records of a section, each field within what the print run reads.
QStringList generateTemplate(const TemplateShape& shape, unsigned seed);

// The report of the table benchmarks: the movements of movimenti.mdb in six columns with two
// totals, up to the number its one parameter gives (hotel 1 has 18,033 rows).
QStringList movementsTableReport();

}  // namespace ostrivo
