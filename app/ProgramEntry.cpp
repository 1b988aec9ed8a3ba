#include "app/ProgramEntry.h"

#include "devconfig/ui/TForm2.h"
#include "devconfig/ui/TForm3.h"
#include "measure/ui/TForm4.h"
#include "measure/ui/TForm5.h"

#include <QCoreApplication>

std::unique_ptr<TForm1> CreateForms()
{
    auto form1 = std::make_unique<TForm1>();
    // The dialogs are children of the main window: they live exactly as long.
    auto* form2 = new TForm2(form1.get());
    auto* form3 = new TForm3(form1.get());
    obr9::Program& program = form1->program();
    auto* form4 = new TForm4(program.deviceState(), program.temperatureHistory(),
                             program.voltageHistory(), form1.get());
    auto* form5 = new TForm5(form1.get());
    form1->attachDialogs(form2, form3, form4, form5);
    form1->startUp(QCoreApplication::arguments());
    return form1;
}
