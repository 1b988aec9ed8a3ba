#include "app/Application.h"
#include "app/ProgramEntry.h"

int main(int argc, char* argv[])
{
    Application app(argc, argv);
    Application::setApplicationName(QStringLiteral("OBR-9"));
    std::unique_ptr<TForm1> form = CreateForms();
    form->show();
    return app.exec();
}
