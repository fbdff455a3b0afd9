#pragma once

#include <QString>

#include <stdexcept>

// The program's own error: carries the message the general error report shows.
class ZarvoError : public std::runtime_error
{
public:
    explicit ZarvoError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};
