#pragma once

#include <QString>

#include <stdexcept>

// A failed write of the settings file; the message is German and names the file.
class IniFileError : public std::runtime_error
{
public:
    explicit IniFileError(const QString &message);

    QString message() const { return m_message; }

private:
    QString m_message;
};

// The settings file, read and written the way the Windows private-profile functions do it:
// nothing is cached, every read looks at the file on disk and every write replaces the file
// at once. A write changes only the one line of its key; everything else, comments and
// lines the reader cannot make sense of included, stays as it was.
class IniFile
{
public:
    explicit IniFile(const QString &path);

    QString path() const { return m_path; }
    bool exists() const;
    void createIfMissing();

    // A file that is missing or cannot be read gives defaultValue for every key. A value in a
    // matching pair of quotes is read without them.
    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    void writeString(const QString &section, const QString &key, const QString &value);

private:
    QString m_path;
};
