#include "app/Competition.h"
#include "app/DataLocation.h"
#include "app/ui/Forms.h"
#include "app/ui/GuiUserInterface.h"
#include "app/ui/MainForm.h"
#include "app/ui/VelundaApplication.h"
#include "data/DataLibrary.h"

int main(int argc, char *argv[])
{
    VelundaApplication app(argc, argv);
    DataLibrary dataLibrary;
    Forms forms;
    GuiUserInterface ui(forms);
    app.setUserInterface(&ui);
    Competition competition(dataLibrary, ui);
    competition.setDataLocation(DataLocation::forThisProgram());
    forms.create(competition, ui);
    forms.MainForm->show();
    const int result = app.exec();
    app.setUserInterface(nullptr);
    forms.destroy();
    return result;
}
