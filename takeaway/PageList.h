#pragma once

#include "takeaway/CsvExport.h"

#include <QString>
#include <QStringList>
#include <QVector>

// The list a page takes away, with what says where it comes from.
struct PageList {
    QString sheetName; // "Resultados", "Divisões", ...
    QString fileName;  // the name the save dialog suggests, without its extension
    QString title;     // the printed list's title
    CsvTable table;
    QVector<QStringList> about; // label and value: the edition, the database date, the search...
};
