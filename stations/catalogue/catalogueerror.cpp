#include "catalogueerror.h"

CatalogueError::CatalogueError(const QString &message)
    : m_message(message)
    , m_utf8(message.toUtf8()) {}

const char *CatalogueError::what() const noexcept {
    return m_utf8.constData();
}
