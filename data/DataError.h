#pragma once

#include <QString>

#include <stdexcept>

// Every failure of the data layer (file, statement, conversion) travels as this exception,
// carrying the engine's own message; the window's event guard shows it.
class DataError : public std::runtime_error
{
public:
    explicit DataError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};
