#include "support/HerbstProgram.h"

#include "app/ui/MainForm.h"
#include "support/KeyboardChecks.h"

HerbstProgram::HerbstProgram()
{
    kat = t.addCategory(QStringLiteral("Senioren"));
    t.addCategory(QStringLiteral("Junioren"));
    t.addPost(QStringLiteral("Slalom"));
    event = t.addEvent(QStringLiteral("Herbst"));
    aebi = t.addTeam(QStringLiteral("Aebi"), QStringLiteral("Alma"), kat, false, 1);
    brun = t.addTeam(QStringLiteral("Brun"), QStringLiteral("Beat"), kat, false, 2);
    caduff = t.addTeam(QStringLiteral("Caduff"), QStringLiteral("Cla"), kat, false, 0);
    group = t.addGroup(QStringLiteral("Wirbel"), kat);
    t.addMember(group, brun);
    t.addEntry(event, aebi, 1);
    t.addEntry(event, brun, 2);
    forms.create(*t.competition, t.ui);
    t.open(event);
}

HerbstProgram::~HerbstProgram()
{
    forms.destroy();
}

void HerbstProgram::showMain()
{
    main().show();
    if (!activate(&main()))
        qFatal("main window not active");
}
