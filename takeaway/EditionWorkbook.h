#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class Connection;

// One edition's whole classification as one spreadsheet workbook: a sheet a level (code,
// description, the parent's code, and a column for each kind of note that some item of the
// level has), a sheet of the activities (code, description, keywords), all in code order, and a
// sheet "Edição" saying what it is. Rows go to disk as they are written, and the activities are
// read a division at a time, so that a large edition needs little memory.
struct EditionWorkbook {
    QString prefix;             // the edition's table prefix
    QVector<QStringList> about; // label and value pairs of the "Edição" sheet

    // Told how many rows are written out of how many, now and then; returns false to stop.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    // Writes the workbook to path: the empty text, or what went wrong in Portuguese. Stopped
    // by progress, it writes nothing and sets *cancelled. Throws DataError from the engine.
    QString write(Connection &connection, const QString &path, const Progress &progress,
                  bool *cancelled) const;
};
