#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A failure of the station catalogue: a file that cannot be opened or read, a query that
// cannot run, a value that cannot be read as text. The message, in Spanish, is for the user.
class CatalogueError : public std::exception {
public:
    explicit CatalogueError(const QString &message);

    QString message() const { return m_message; }
    const char *what() const noexcept override;

private:
    QString m_message;
    QByteArray m_utf8;
};
