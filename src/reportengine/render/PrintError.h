#pragma once

#include <QString>

#include <stdexcept>

namespace Render {

// Printing failed (the printer could not be opened or refused a page); the message is German.
class PrintError : public std::runtime_error
{
public:
    explicit PrintError(const QString &message);

    QString message() const { return m_message; }

private:
    QString m_message;
};

} // namespace Render
