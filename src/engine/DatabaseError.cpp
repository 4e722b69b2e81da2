#include "engine/DatabaseError.h"

DatabaseError::DatabaseError(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{ }
