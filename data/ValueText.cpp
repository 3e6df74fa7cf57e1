#include "data/ValueText.h"

#include <QByteArray>
#include <QLocale>

#include <cmath>

QString valueText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        return QString::number(value.toLongLong());
    case QMetaType::Double: {
        const double number = value.toDouble();
        // Whole numbers read as integers ("3", not "3.0"), as Access shows them.
        if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 1e15)
            return QString::number(static_cast<qlonglong>(number));
        return QString::number(number, 'g', QLocale::FloatingPointShortest);
    }
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return value.toString();
    }
}
