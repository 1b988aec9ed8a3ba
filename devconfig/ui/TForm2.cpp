#include "devconfig/ui/TForm2.h"
#include "widgets/Named.h"
#include "widgets/PasswordEcho.h"

#include "devconfig/DeviceConfigSession.h"
#include "protocol/Frames.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace obr9;

TForm2::TForm2(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Login"));
    setWindowFlag(Qt::Window);

    auto* grid = new QGridLayout(this);
    grid->addWidget(named(new QLabel(QStringLiteral("User"), this), "Label1"), 0, 0);
    edit1_ = named(new QLineEdit(QStringLiteral("admin"), this), "Edit1");
    grid->addWidget(edit1_, 0, 1);
    grid->addWidget(named(new QLabel(QStringLiteral("Password"), this), "Label2"), 1, 0);
    edit2_ = named(new QLineEdit(QStringLiteral("7961"), this), "Edit2");
    showStars(edit2_);
    grid->addWidget(edit2_, 1, 1);

    auto* ok = named(new QPushButton(QStringLiteral("OK"), this), "Button1");
    auto* cancel = named(new QPushButton(QStringLiteral("Anuluj"), this), "Button2");
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    grid->addWidget(ok, 2, 0);
    grid->addWidget(cancel, 2, 1);
    connect(ok, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(cancel, &QPushButton::clicked, this, [this] { Button2Click(); });

    connect(edit1_, &QLineEdit::textChanged, this, [this] { limitTexts(); });
    connect(edit2_, &QLineEdit::textChanged, this, [this] { limitTexts(); });
    limitTexts();
    resize(260, 120);
}

void TForm2::limitTexts()
{
    edit1_->setMaxLength(std::max(0, kLoginTextLimit - int(edit2_->text().size())));
    edit2_->setMaxLength(std::max(0, kLoginTextLimit - int(edit1_->text().size())));
}

void TForm2::Button1Click()
{
    if (session_)
        session_->logIn(edit1_->text(), edit2_->text());
}

void TForm2::Button2Click()
{
    close();
}
