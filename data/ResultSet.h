#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

// A fully fetched result: column descriptions and rows of values. NULL is an invalid QVariant;
// numbers are qlonglong or double; text is QString; dates are text in ISO form.
struct ResultColumn {
    QString name;
    bool longText = false; // memo columns read NULL as the empty text
};

struct ResultSet {
    QVector<ResultColumn> columns;
    QVector<QVector<QVariant>> rows;
};
