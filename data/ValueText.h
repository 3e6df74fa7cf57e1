#pragma once

#include <QString>
#include <QVariant>

// A value as the program reads and shows it: numbers in decimal, text unchanged; NULL gives
// the empty text (grids show it so; strict readers check for NULL first).
QString valueText(const QVariant &value);
