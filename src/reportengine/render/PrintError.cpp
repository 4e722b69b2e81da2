#include "reportengine/render/PrintError.h"

namespace Render {

PrintError::PrintError(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{ }

} // namespace Render
