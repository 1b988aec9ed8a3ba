#include "measure/ui/ChartExportMenu.h"

#include "measure/ChartCsvExport.h"
#include "measure/ui/ChartImage.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>

#include <qcustomplot.h>

namespace {

ChartExportMenu::FileChooser& chooserOverride()
{
    static ChartExportMenu::FileChooser chooser;
    return chooser;
}

void openFileDialog(QWidget* parent, const QString& caption, const QString& filters, const QString& suffix,
                    ChartExportMenu::Done done)
{
    auto* dialog = new QFileDialog(parent, caption, QString(), filters);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(suffix);
    // The suffix follows the chosen filter: "*.pdf" gives ".pdf".
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog, [dialog](const QString& filter) {
        const qsizetype star = filter.indexOf(QLatin1String("*."));
        if (star >= 0)
            dialog->setDefaultSuffix(filter.mid(star + 2).section(QLatin1Char(')'), 0, 0).section(QLatin1Char(' '), 0, 0));
    });
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [done = std::move(done)](const QString& path) {
        if (!path.isEmpty())
            done(path);
    });
    dialog->open();
}

} // namespace

ChartExportMenu::ChartExportMenu(QWidget* target, QCustomPlot* chart, const obr9::ChartData* data,
                                 ChartImage* image)
    : QObject(target)
    , target_(target)
    , chart_(chart)
    , data_(data)
    , image_(image)
{
    target->installEventFilter(this);
}

ChartExportMenu* ChartExportMenu::install(QCustomPlot* chart, const obr9::ChartData& data)
{
    return new ChartExportMenu(chart, chart, &data, nullptr);
}

ChartExportMenu* ChartExportMenu::install(ChartImage* image)
{
    return new ChartExportMenu(image, nullptr, nullptr, image);
}

void ChartExportMenu::setFileChooser(FileChooser chooser)
{
    chooserOverride() = std::move(chooser);
}

bool ChartExportMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != target_)
        return QObject::eventFilter(watched, event);
    // The right press opens the menu itself, so that it also opens where
    // the press reaches the chart without the window's context menu event
    // (events sent straight to the widget); the mouse context menu event
    // that follows on a desktop is then eaten. The menu key still works.
    if (event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::RightButton) {
            showMenu(press->globalPosition().toPoint());
            return true;
        }
    } else if (event->type() == QEvent::ContextMenu) {
        auto* request = static_cast<QContextMenuEvent*>(event);
        if (request->reason() != QContextMenuEvent::Mouse)
            showMenu(request->globalPos());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ChartExportMenu::showMenu(const QPoint& globalPos)
{
    if (menu_)
        menu_->close();
    auto* menu = new QMenu(target_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(tr("Save image…"), this, [this] {
        if (chart_)
            choose(tr("Save image"), tr("PNG image (*.png);;PDF document (*.pdf)"), QStringLiteral("png"),
                   &ChartExportMenu::saveImage);
        else
            choose(tr("Save image"), tr("PNG image (*.png)"), QStringLiteral("png"), &ChartExportMenu::saveImage);
    });
    if (chart_) {
        menu->addAction(tr("Export CSV…"), this, [this] {
            choose(tr("Export CSV"), tr("CSV file (*.csv)"), QStringLiteral("csv"), &ChartExportMenu::exportCsv);
        });
    }
    menu_ = menu;
    menu->popup(globalPos);
}

void ChartExportMenu::choose(const QString& caption, const QString& filters, const QString& suffix,
                             bool (ChartExportMenu::*action)(const QString&))
{
    QPointer<ChartExportMenu> self(this);
    Done done = [self, action](const QString& path) {
        if (self)
            (self->*action)(path);
    };
    if (chooserOverride())
        chooserOverride()(target_, caption, filters, suffix, std::move(done));
    else
        openFileDialog(target_, caption, filters, suffix, std::move(done));
}

bool ChartExportMenu::saveImage(const QString& path)
{
    bool ok = false;
    if (chart_) {
        // Saved as drawn on screen, at the chart's size.
        if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0)
            ok = chart_->savePdf(path);
        else
            ok = chart_->savePng(path);
    } else if (image_) {
        ok = image_->image().save(path, "PNG");
    }
    report(path, ok ? QString() : tr("Cannot write the image %1").arg(path));
    return ok;
}

bool ChartExportMenu::exportCsv(const QString& path)
{
    QString error;
    const bool ok = data_ && obr9::SaveChartCsv(*data_, path, &error);
    report(path, ok ? QString() : tr("Cannot write %1: %2").arg(path, error));
    return ok;
}

void ChartExportMenu::report(const QString& path, const QString& error)
{
    if (!error.isEmpty()) {
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("OBR-9"), error, QMessageBox::Ok, target_);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
    emit finished(path, error);
}
