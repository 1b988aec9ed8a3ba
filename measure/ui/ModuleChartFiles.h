// "save" and "load" of the HQ-2 page: the file dialog, then the chart
// written or read without holding the window.
//
// A save is written a slice at a time from the event loop (at most
// kTurnMilliseconds per turn) through ChartFileWriter, so the file on disk
// is always either the previous one or the complete new one. It holds the
// chart as it was at the click; points that arrive meanwhile stay in the
// chart only. A load is read on a worker thread into a chart of its own and
// replaces the page's chart only once the whole file was read; a refused
// file leaves the chart as it was and is reported as a chart file error.
//
// A job that is still running after the progress delay shows a progress
// dialog (not modal: the charts go on growing). Its Cancel ends the job:
// a cancelled save leaves the previous file, a cancelled load leaves the
// chart as it was (once the whole file is written and being flushed, the
// save can no longer be undone; Cancel then only closes the dialog). While a
// job runs, "save" and "load" are disabled.
//
// When the page goes while a job runs (the window closes), a save is
// finished first, since the operator asked for that file and the points
// exist nowhere else; a load is dropped.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstddef>
#include <functional>
#include <memory>

class ModuleChart;
class QProgressDialog;
class QPushButton;
class QWidget;

namespace obr9 {
class ChartFileLoader;
class ChartFileWriter;
class Reporter;
} // namespace obr9

class ModuleChartFiles : public QObject {
    Q_OBJECT
public:
    // Asked for a chart file path: save or open, starting from proposed.
    // An empty answer is a cancel.
    using FileChooser = std::function<QString(bool save, const QString& proposed)>;

    // What the page lends: all called on the GUI thread, at the moment of use.
    struct Page {
        QWidget* widget = nullptr; // owner of the dialogs
        std::function<obr9::Reporter&()> reporter;
        std::function<QString()> chartFileName; // the program-wide chart file name
        std::function<void(const QString&)> setChartFileName;
        std::function<ModuleChart*()> target;    // the chart GroupBox8 names, or none
        // A load replaced the chart's data; the page brings the rest in step.
        std::function<void(ModuleChart*)> replaced;
        QPushButton* saveButton = nullptr;
        QPushButton* loadButton = nullptr;
    };

    static constexpr int kProgressDelayMilliseconds = 500;
    static constexpr int kTurnMilliseconds = 15;
    static constexpr std::size_t kSlicePoints = 10000;

    explicit ModuleChartFiles(Page page);
    ~ModuleChartFiles() override;

    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    void setProgressDelay(int milliseconds) { progressDelay_ = milliseconds; }
    // Longest a save writes per event-loop turn (kTurnMilliseconds).
    void setTurnBudget(int milliseconds) { turnBudget_ = milliseconds; }

    void save(); // Button2Click
    void load(); // Button4Click
    void cancel();

    bool busy() const { return writer_ || loader_; }
    // The progress dialog while it is shown, else null.
    QProgressDialog* progressDialog() const;

private:
    QString chooseFile(bool save, const QString& proposed);
    // The file the operator picks (remembered as the chart file name) and
    // the chart it is for; nullptr when a job runs, nothing was picked or no
    // chart is chosen.
    ModuleChart* choose(bool save, QString& path);
    void begin(const QString& text);
    void turn();
    void saveTurn();
    void loadTurn();
    void showProgress();
    void setProgress(double done);
    // Ends the job; a non-empty error is reported after everything is reset.
    void end(const QString& error = {});

    Page page_;
    FileChooser chooser_;
    int progressDelay_ = kProgressDelayMilliseconds;
    int turnBudget_ = kTurnMilliseconds;
    std::unique_ptr<obr9::ChartFileWriter> writer_;
    std::unique_ptr<obr9::ChartFileLoader> loader_;
    QPointer<ModuleChart> loadTarget_;
    QString jobText_;
    double done_ = 0; // share of the job done, 0..1
    QTimer turnTimer_;
    QTimer delayTimer_;
    QPointer<QProgressDialog> progress_;
};
