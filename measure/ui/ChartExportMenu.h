// The context menu that gets a chart out of the program: "Save image…" on
// the HQ-2 charts (PNG or PDF, through QCustomPlot's savePng / savePdf) and
// on the chart window's two pictures (PNG), and "Export CSV…" on the HQ-2
// charts (ChartCsvExport).
//
// Installed on a chart with one call; it watches the chart's context menu
// event and changes nothing else about it. The file is asked for with a
// window-modal QFileDialog opened with open(), never exec(); tests replace
// the chooser (setFileChooser) with one that answers at once.
#pragma once

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class ChartImage;
class QCustomPlot;
class QWidget;

namespace obr9 {
class ChartData;
}

class ChartExportMenu : public QObject {
    Q_OBJECT
public:
    // Receives the chosen path, or is never called when the operator cancels.
    using Done = std::function<void(const QString& path)>;
    // caption, name filters (";;"-separated, the first preselected) and the
    // suffix a name without one gets.
    using FileChooser = std::function<void(QWidget* parent, const QString& caption, const QString& filters,
                                           const QString& defaultSuffix, Done done)>;

    // On an HQ-2 chart: the plot is saved as drawn, the data go to CSV. The
    // data must live as long as the plot (the chart's own data do).
    static ChartExportMenu* install(QCustomPlot* chart, const obr9::ChartData& data);
    static ChartExportMenu* install(ChartImage* image);

    // Replaces the file dialog for every menu; an empty function restores it.
    static void setFileChooser(FileChooser chooser);

    // The menu shown last (null before the first and once it closed).
    QMenu* menu() const { return menu_; }

    bool saveImage(const QString& path);
    bool exportCsv(const QString& path);

signals:
    // After every save or export the operator asked for; error empty on success.
    void finished(const QString& path, const QString& error);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ChartExportMenu(QWidget* target, QCustomPlot* chart, const obr9::ChartData* data, ChartImage* image);
    void showMenu(const QPoint& globalPos);
    void choose(const QString& caption, const QString& filters, const QString& suffix,
                bool (ChartExportMenu::*action)(const QString&));
    void report(const QString& path, const QString& error);

    QWidget* target_;
    QCustomPlot* chart_;
    const obr9::ChartData* data_;
    ChartImage* image_;
    QPointer<QMenu> menu_;
};
