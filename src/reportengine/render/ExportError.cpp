#include "reportengine/render/ExportError.h"

#include <QDir>

namespace Render {

namespace {

QString exportMessage(const QString &fileName, const QString &reason)
{
    const QString shown = QDir::toNativeSeparators(fileName);
    if (reason.isEmpty())
        return QStringLiteral("Die Datei „%1“ konnte nicht gespeichert werden.").arg(shown);
    return QStringLiteral("Die Datei „%1“ konnte nicht gespeichert werden: %2").arg(shown, reason);
}

} // namespace

ExportError::ExportError(const QString &fileName, const QString &reason)
    : std::runtime_error(exportMessage(fileName, reason).toStdString()), m_fileName(fileName),
      m_message(exportMessage(fileName, reason))
{ }

} // namespace Render
