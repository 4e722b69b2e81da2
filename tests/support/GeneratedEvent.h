#pragma once

#include "support/TestDatabase.h"

#include <QList>
#include <QMetaType>
#include <QString>

// A whole evening drawn from a seed: three categories, two posts with factors, forty
// teams and four groups, results from a few values only (so that many participants tie),
// some participants unfinished in one game or both, and printed marks when asked for. One
// team's name is markup, so that every front-end shows it as the text it is.
struct GeneratedEvent
{
    struct Options
    {
        quint32 seed = 1;
        QString method = QStringLiteral("Punkte/Zeit");
        int punkteSort = 1;
        int zeitSort = 2;
        bool autoRank = false;
        bool printedMarks = false;
        int teams = 40;
    };

    explicit GeneratedEvent(const Options &options);

    TestDatabase t;
    int event = 0;
    QList<int> categories;
    QList<int> posts;
    QList<int> teams; // entered in their own right
    QList<int> groups;
    QList<int> members;

    static QString markupName() { return QStringLiteral("<img src=x onerror=alert(1)>"); }
};

Q_DECLARE_METATYPE(GeneratedEvent::Options)
