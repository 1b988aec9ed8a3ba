#include "measure/ui/ModuleChartFiles.h"

#include "base/Reporter.h"
#include "measure/ChartFileLoader.h"
#include "measure/ChartFileWriter.h"
#include "measure/ui/ModuleChart.h"

#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace obr9;

namespace {
constexpr int kProgressSteps = 1000;
constexpr int kLoadPollMilliseconds = 10;  // how often a load's worker is looked at
constexpr int kCommitPollMilliseconds = 10; // likewise the final flush and rename of a save
} // namespace

ModuleChartFiles::ModuleChartFiles(Page page)
    : page_(std::move(page))
{
    connect(&turnTimer_, &QTimer::timeout, this, [this] { turn(); });
    delayTimer_.setSingleShot(true);
    connect(&delayTimer_, &QTimer::timeout, this, [this] { showProgress(); });
}

ModuleChartFiles::~ModuleChartFiles()
{
    loader_.reset();
    if (writer_) {
        // The chart is still alive here (the page drops this object first).
        while (writer_->state() == ChartFileWriter::State::Running) {
            const std::size_t before = writer_->pointsDone();
            writer_->step(kSlicePoints * 10);
            if (writer_->pointsDone() == before)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        writer_.reset();
    }
    delete progress_.data();
}

QString ModuleChartFiles::chooseFile(bool save, const QString& proposed)
{
    if (chooser_)
        return chooser_(save, proposed);
    QFileDialog dialog(page_.widget->window(), QString(), QFileInfo(proposed).path(),
                       QStringLiteral("Binarne (*.bin);;TXT (*.txt);;Wszystkie pliki (*)"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("bin"));
    if (!proposed.isEmpty())
        dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

ModuleChart* ModuleChartFiles::choose(bool save, QString& path)
{
    if (busy())
        return nullptr;
    path = chooseFile(save, page_.chartFileName());
    if (path.isEmpty())
        return nullptr;
    page_.setChartFileName(path);
    return page_.target();
}

void ModuleChartFiles::save()
{
    QString path;
    ModuleChart* chart = choose(true, path);
    if (!chart)
        return;
    writer_ = std::make_unique<ChartFileWriter>(chart->data(), std::vector<int>{}, path);
    if (writer_->state() == ChartFileWriter::State::Failed) {
        end(writer_->error());
        return;
    }
    begin(tr("Saving the chart to %1").arg(QFileInfo(path).fileName()));
}

void ModuleChartFiles::load()
{
    QString path;
    ModuleChart* chart = choose(false, path);
    if (!chart)
        return;
    loadTarget_ = chart;
    loader_ = std::make_unique<ChartFileLoader>(path, chart->seriesCount());
    begin(tr("Loading the chart from %1").arg(QFileInfo(path).fileName()));
}

void ModuleChartFiles::begin(const QString& text)
{
    jobText_ = text;
    done_ = 0;
    for (QPushButton* button : {page_.saveButton, page_.loadButton}) {
        if (button)
            button->setEnabled(false);
    }
    turnTimer_.start(writer_ ? 0 : kLoadPollMilliseconds);
    delayTimer_.start(progressDelay_);
}

void ModuleChartFiles::turn()
{
    if (writer_)
        saveTurn();
    else if (loader_)
        loadTurn();
    else
        end();
}

void ModuleChartFiles::saveTurn()
{
    QElapsedTimer clock;
    clock.start();
    ChartFileWriter::State state = ChartFileWriter::State::Running;
    bool encoding = true;
    while (state == ChartFileWriter::State::Running && clock.elapsed() < turnBudget_) {
        const std::size_t before = writer_->pointsDone();
        state = writer_->step(kSlicePoints);
        if (writer_->pointsDone() == before) {
            encoding = false; // waiting for the worker's flush and rename
            break;
        }
    }
    if (state == ChartFileWriter::State::Running) {
        // Idle polls while the file is flushed; slices back to back before.
        turnTimer_.setInterval(encoding ? 0 : kCommitPollMilliseconds);
        const std::size_t total = writer_->pointsTotal();
        setProgress(total == 0 ? 1.0 : double(writer_->pointsDone()) / double(total));
        return;
    }
    end(state == ChartFileWriter::State::Failed ? writer_->error() : QString());
}

void ModuleChartFiles::loadTurn()
{
    switch (loader_->state()) {
    case ChartFileLoader::State::Running: {
        const int64_t total = loader_->bytesTotal();
        setProgress(total <= 0 ? 0.0 : double(loader_->bytesRead()) / double(total));
        return;
    }
    case ChartFileLoader::State::Done:
        if (ModuleChart* chart = loadTarget_.data()) {
            chart->data() = loader_->takeChart();
            loader_.reset();
            if (page_.replaced)
                page_.replaced(chart);
        }
        end();
        return;
    case ChartFileLoader::State::Failed:
        end(loader_->error());
        return;
    case ChartFileLoader::State::Cancelled:
        end();
        return;
    }
}

void ModuleChartFiles::cancel()
{
    if (writer_ && writer_->committing()) {
        // Too late: the complete file is being flushed to disk (seconds for
        // a month) and replaces the old one whatever happens. Waiting for
        // it here would hold the window, so the dialog goes and the flush
        // ends in the background as a finished save.
        if (QProgressDialog* dialog = progress_.data()) {
            progress_.clear();
            dialog->hide();
            dialog->deleteLater();
        }
        delayTimer_.stop();
        return;
    }
    // Dropping the writer removes its temporary file; dropping the loader
    // stops its worker and discards what it read.
    if (busy())
        end();
}

QProgressDialog* ModuleChartFiles::progressDialog() const { return progress_.data(); }

void ModuleChartFiles::showProgress()
{
    if (!busy() || progress_ || (writer_ && writer_->committing()))
        return;
    auto* dialog = new QProgressDialog(jobText_, tr("Cancel"), 0, kProgressSteps, page_.widget->window());
    dialog->setObjectName(QStringLiteral("ChartFileProgress"));
    dialog->setWindowTitle(QStringLiteral("Chart file"));
    dialog->setWindowModality(Qt::NonModal);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(0);
    connect(dialog, &QProgressDialog::canceled, this, &ModuleChartFiles::cancel);
    progress_ = dialog;
    dialog->setValue(int(done_ * kProgressSteps));
    dialog->show();
}

void ModuleChartFiles::setProgress(double done)
{
    done_ = std::clamp(done, 0.0, 1.0);
    if (progress_)
        progress_->setValue(int(done_ * kProgressSteps));
}

void ModuleChartFiles::end(const QString& error)
{
    turnTimer_.stop();
    delayTimer_.stop();
    writer_.reset();
    loader_.reset();
    loadTarget_.clear();
    if (QProgressDialog* dialog = progress_.data()) {
        progress_.clear();
        dialog->hide();
        dialog->deleteLater(); // end() may run inside the dialog's own signal
    }
    for (QPushButton* button : {page_.saveButton, page_.loadButton}) {
        if (button)
            button->setEnabled(true);
    }
    // A message box runs the event loop: everything above is settled first.
    if (!error.isEmpty())
        page_.reporter().report({error, QStringLiteral("Chart file")});
}
