#pragma once

#include <QDialog>

struct Forms;

struct ParticipantRow;
// Result entry for one participant.
class TTeamResultForm : public QDialog
{
    Q_OBJECT

public:
    TTeamResultForm(Forms &forms, QWidget *parent);

    // Shows the dialog for a participant of the open event; true after a successful save.
    bool execFor(const ParticipantRow &participant);
    bool finished() const;
    bool addGameFinished() const;

private:
    Forms &m_forms;
};
