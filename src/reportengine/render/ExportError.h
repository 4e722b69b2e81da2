#pragma once

#include <QString>

#include <stdexcept>

namespace Render {

// A report file that could not be written. The message is German and names the file, so the
// preview can show it to the operator as it is.
class ExportError : public std::runtime_error
{
public:
    ExportError(const QString &fileName, const QString &reason);

    QString fileName() const { return m_fileName; }
    QString message() const { return m_message; }

private:
    QString m_fileName;
    QString m_message;
};

} // namespace Render
