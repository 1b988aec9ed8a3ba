#include "app/ProgramEntry.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    std::unique_ptr<TForm1> form = CreateForms();
    form->show();
    return app.exec();
}
