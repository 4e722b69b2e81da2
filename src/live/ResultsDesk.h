#pragma once

#include "results/PostResults.h"

#include <QObject>
#include <QThread>

#include <functional>

class ResultsWriter;

// Where the posts' saves are written: a read-write connection used for nothing else, in a
// thread of its own, so that a save waiting for the write lock (the program commits, the board
// reads) never holds up the server's answers or the program's window. The connection is opened
// with the first save, so a server that only shows the board never opens a file for writing.
class ResultsDesk : public QObject
{
    Q_OBJECT

public:
    // outcome, or an error text when the database could not be written
    using Done = std::function<void(const PostSaveOutcome &outcome, const QString &error)>;

    ResultsDesk();
    ~ResultsDesk() override;

    void setDirectory(const QString &directory);
    // Called back in this object's thread.
    void save(int anlassNr, int postenNr, const PostSave &save, const Done &done);

private:
    QThread m_thread;
    ResultsWriter *m_writer; // lives in m_thread
};
