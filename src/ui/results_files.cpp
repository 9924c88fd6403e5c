// Saving and printing the results of the analysis shown: the text, JSON and CSV
// of the command-line tool, and a one-page report through Qt's print support.
#include "output/result_output.h"
#include "results/analysis.h"
#include "ui/analysis_views.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>

#include <algorithm>

namespace nvx {

namespace {

QString HtmlTable(const QString& caption, const ReportTable& t) {
    QString html = QStringLiteral("<h3>%1</h3><table border=\"1\" cellspacing=\"0\" "
                                  "cellpadding=\"2\"><tr>")
                       .arg(caption.toHtmlEscaped());
    auto align = [&t](std::size_t c) {
        return c < t.Columns.size() && t.Columns[c].Align == ColumnAlign::Right
                   ? QStringLiteral(" align=\"right\"")
                   : QString();
    };
    for (std::size_t c = 0; c < t.Columns.size(); ++c)
        html += QStringLiteral("<th%1>%2</th>")
                    .arg(align(c), QString::fromStdString(t.Columns[c].Caption).toHtmlEscaped());
    html += QStringLiteral("</tr>");
    for (const auto& row : t.Rows) {
        html += QStringLiteral("<tr>");
        for (std::size_t c = 0; c < row.size(); ++c)
            html += QStringLiteral("<td%1>%2</td>")
                        .arg(align(c), QString::fromStdString(row[c]).trimmed().toHtmlEscaped());
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

AnalysisViews::FileFormat FormatOf(const QString& path, const QString& filter) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "json" || (suffix.isEmpty() && filter.contains("json")))
        return AnalysisViews::FileFormat::Json;
    if (suffix == "csv" || (suffix.isEmpty() && filter.contains("csv")))
        return AnalysisViews::FileFormat::Csv;
    return AnalysisViews::FileFormat::Text;
}

} // namespace

RunResult AnalysisViews::ShownRunResult() const {
    RunResult r;
    r.Combo = window_.AnalysedValues();
    r.Entries = r.Combo.EntriesCount();
    DescribeResults(analysis_, analysis_.GetHost(), r);
    r.Seconds = window_.ComputeSeconds();
    return r;
}

std::string AnalysisViews::ResultsAs(FileFormat format) const {
    const RunResult r = ShownRunResult();
    switch (format) {
    case FileFormat::Json:
        return ResultJsonText(r) + "\n";
    case FileFormat::Csv:
        return ResultCsv(r);
    case FileFormat::Text:
        break;
    }
    return ResultText(r, true);
}

bool AnalysisViews::SaveResults(const QString& path, FileFormat format) {
    const std::string text = ResultsAs(format);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.flush()) {
        MessageBoxes::Error(&window_, QStringLiteral("The results could not be saved as %1: %2")
                                          .arg(path, file.errorString()));
        return false;
    }
    return true;
}

void AnalysisViews::SaveResultsAs() {
    if (!window_.ResultsShown()) return;
    const ComboValues& v = window_.AnalysedValues();
    const QString name =
        QStringLiteral("%1-%2.txt")
            .arg(QString::fromStdString(v.North.str()), QString::fromStdString(v.South.str()));
    QString filter;
    QString path = QFileDialog::getSaveFileName(
        &window_, QStringLiteral("Save Results"), name,
        QStringLiteral("Text (*.txt);;CSV (*.csv);;JSON (*.json)"), &filter);
    if (path.isEmpty()) return;
    const FileFormat format = FormatOf(path, filter);
    if (QFileInfo(path).suffix().isEmpty())
        path += format == FileFormat::Json  ? QStringLiteral(".json")
                : format == FileFormat::Csv ? QStringLiteral(".csv")
                                            : QStringLiteral(".txt");
    SaveResults(path, format);
}

QString AnalysisViews::ReportHtml() const {
    const RunResult r = ShownRunResult();
    const ResultsSummary& s = r.Results;
    std::vector<std::string> names;
    for (const LineResult& line : s.Lines)
        names.push_back(line.Name);
    QString summary = window_.ComboSummaryText().toHtmlEscaped();
    summary.replace(QLatin1Char('\r'), QStringLiteral("<br>"));
    summary.replace(QLatin1Char('\t'), QStringLiteral("&nbsp;&nbsp;"));
    return QStringLiteral("<h2>Norvadex: %1</h2><p>%2</p>")
               .arg(window_.windowTitle().section(QStringLiteral(" - "), 0, 0).toHtmlEscaped(),
                    summary) +
           HtmlTable(QStringLiteral("Results"), ResultListTable(s)) +
           HtmlTable(QStringLiteral("Strat x goal table"), LineGoalTable(s)) +
           HtmlTable(QString::fromStdString(PayoffTableView(s).Caption), PayoffTableView(s)) +
           HtmlTable(QStringLiteral("Tricks table"), TricksTableView(r.TricksRows, names));
}

void AnalysisViews::PrintReport(QPrinter* printer) const {
    QTextDocument doc;
    // Laid out in the printer's units, so that the fonts keep their point sizes.
    doc.documentLayout()->setPaintDevice(printer);
    doc.setHtml(ReportHtml());
    QPainter painter(printer);
    if (!painter.isActive()) return;
    // The whole report on one page: laid out at the page's width, or wider when
    // a table needs it, then scaled down until it fits.
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    doc.setTextWidth(page.width());
    doc.setTextWidth(std::max(page.width(), doc.idealWidth()));
    const QSizeF size = doc.size();
    const double scale =
        std::min({1.0, page.width() / size.width(), page.height() / size.height()});
    painter.scale(scale, scale);
    doc.drawContents(&painter);
}

void AnalysisViews::PrintResults() {
    if (!window_.ResultsShown()) return;
    QPrinter printer;
    QPrintDialog dialog(&printer, &window_);
    if (dialog.exec() == QDialog::Accepted) PrintReport(&printer);
}

void AnalysisViews::PreviewResults() {
    if (!window_.ResultsShown()) return;
    QPrinter printer;
    QPrintPreviewDialog preview(&printer, &window_);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* p) { PrintReport(p); });
    preview.exec();
}

} // namespace nvx
