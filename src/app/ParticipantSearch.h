#pragma once

#include <QList>
#include <QString>

struct ParticipantRow;

// Finds a participant of the grid as the operator names it: a number is a start number,
// any other text a part of the name ("Name Vorname") or of the dog's name, case ignored.
// The search starts at row from and wraps around; -1 when nobody matches.
int findParticipant(const QList<ParticipantRow> &rows, const QString &text, int from = 0);
