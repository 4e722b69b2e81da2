#include "live/ResultsDesk.h"

#include "engine/Database.h"
#include "engine/DatabaseError.h"

// The writing side, in the desk's thread.
class ResultsWriter : public QObject
{
public:
    void setDirectory(const QString &directory)
    {
        if (directory == m_directory)
            return;
        m_db.close();
        m_directory = directory;
    }

    // Throws DatabaseError.
    PostSaveOutcome save(int anlassNr, int postenNr, const PostSave &save)
    {
        if (m_directory.isEmpty())
            throw DatabaseError(QStringLiteral("Es ist keine Datenbank geöffnet."));
        if (!m_db.isOpen())
            m_db.open(m_directory);
        return PostResults::save(m_db, anlassNr, postenNr, save);
    }

private:
    Database m_db;
    QString m_directory;
};

ResultsDesk::ResultsDesk() : m_writer(new ResultsWriter)
{
    m_thread.setObjectName(QStringLiteral("LiveResultsDesk"));
    m_writer->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_writer, &QObject::deleteLater);
    m_thread.start();
}

ResultsDesk::~ResultsDesk()
{
    // The saves under way finish first: a judge's save is never cut off in its transaction.
    m_thread.quit();
    m_thread.wait();
}

void ResultsDesk::setDirectory(const QString &directory)
{
    QMetaObject::invokeMethod(m_writer,
                              [writer = m_writer, directory] { writer->setDirectory(directory); });
}

void ResultsDesk::save(int anlassNr, int postenNr, const PostSave &save, const Done &done)
{
    QMetaObject::invokeMethod(m_writer, [this, writer = m_writer, anlassNr, postenNr, save, done] {
        PostSaveOutcome outcome;
        QString error;
        try {
            outcome = writer->save(anlassNr, postenNr, save);
        } catch (const DatabaseError &e) {
            error = e.message();
        }
        QMetaObject::invokeMethod(this, [done, outcome, error] { done(outcome, error); });
    });
}
