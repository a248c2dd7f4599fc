// 1,500 one-page stationery documents of 60 fields each, rendered by the report runtime into one PDF,
// beside a bare loop that paints the same texts at the same places straight onto a QPdfWriter.
//
//     bench report_pdf        the runtime against the bare loop (target: within 1.5 times)
//     bench report_pdf_pages  the runtime against the time 1,500 pages take at 200 pages a second
#include "bench_support.h"
#include "platform/report/report.h"
#include "platform/report/report_data.h"
#include "platform/report/report_output.h"
#include "platform/ui/application.h"
#include <QTemporaryDir>

#include <QApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kDocuments = 1500;
constexpr int kFieldsPerBand = 20;
constexpr int kRepetitions = 3;
constexpr double kSheetWidth = 13606, kSheetHeight = 7370; // 240 x 130 mm of invoice stationery
constexpr double kHeader = 2800, kLine = 1600; // the footer takes the rest

struct Field {
    double left, top, width, height;
    int band; // 0 header, 1 line, 2 footer
    QString name;
};

// The layout of a sheet: 20 fields in each of the three bands, spread over the stationery.
std::vector<Field> layout()
{
    std::vector<Field> fields;
    const double heights[] = {kHeader, kLine, kSheetHeight - kHeader - kLine};
    for (int band = 0; band < 3; ++band)
        for (int i = 0; i < kFieldsPerBand; ++i) {
            const double width = 2400;
            const double left = 200 + (i % 5) * (width + 250);
            const double top = 100 + (i / 5) * (heights[band] - 200) / 4;
            fields.push_back({left, top, width, 240, band, QStringLiteral("F%1_%2").arg(band).arg(i)});
        }
    return fields;
}

QString value(int document, const Field& f)
{
    return QStringLiteral("%1号企业%2").arg(document + 1).arg(f.name);
}

double runtime(const QString& path, const std::vector<Field>& fields)
{
    QElapsedTimer timer;
    timer.start();
    report::Report r;
    r.paper = QSizeF(kSheetWidth, kSheetHeight);
    const char* names[] = {"Command1_Header", "Command2_Detail", "Command1_Footer"};
    const report::SectionKind kinds[] = {report::SectionKind::GroupHeader, report::SectionKind::Detail,
                                         report::SectionKind::GroupFooter};
    const double heights[] = {kHeader, kLine, kSheetHeight - kHeader - kLine};
    r.addSection("PageHeader", report::SectionKind::PageHeader, 0);
    for (int band = 0; band < 3; ++band)
        r.addSection(names[band], kinds[band], heights[band]);
    r.addSection("PageFooter", report::SectionKind::PageFooter, 0);
    QStringList parentFields, childFields;
    for (const Field& f : fields) {
        report::Control c;
        c.name = f.name;
        c.kind = report::ControlKind::TextBox;
        c.dataField = f.name;
        c.left = f.left;
        c.top = f.top;
        c.width = f.width;
        c.height = f.height;
        r.section(names[f.band]).controls.push_back(c);
        (f.band == 1 ? childFields : parentFields) << f.name;
    }
    std::vector<report::TableParents::Parent> parents;
    parents.reserve(kDocuments);
    for (int d = 0; d < kDocuments; ++d) {
        report::TableParents::Parent p;
        QVariantList child;
        for (const Field& f : fields)
            (f.band == 1 ? child : p.values) << value(d, f);
        p.children.push_back(child);
        parents.push_back(std::move(p));
    }
    report::TableParents data(parentFields, childFields, std::move(parents));
    const report::Document document = r.render(data);
    report::writePdf(document, path);
    if (document.pages.size() != kDocuments)
        std::fprintf(stderr, "the runtime made %zu pages\n", document.pages.size());
    return double(timer.nsecsElapsed()) / 1e6;
}

double bareLoop(const QString& path, const std::vector<Field>& fields)
{
    QElapsedTimer timer;
    timer.start();
    QPdfWriter writer(path);
    writer.setResolution(1440);
    writer.setPageLayout(QPageLayout(QPageSize(QSizeF(kSheetWidth / 20, kSheetHeight / 20), QPageSize::Point),
                                     QPageLayout::Portrait, QMarginsF()));
    QPainter painter(&writer);
    QFont font(report::printFontFamily());
    font.setPixelSize(180);
    painter.setFont(font);
    const double tops[] = {0, kHeader, kHeader + kLine};
    for (int d = 0; d < kDocuments; ++d) {
        if (d > 0)
            writer.newPage();
        for (const Field& f : fields)
            painter.drawText(QRectF(f.left, tops[f.band] + f.top, f.width, f.height),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, value(d, f));
    }
    painter.end();
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ui::Application app(argc, argv);
    QTemporaryDir dir;
    const std::vector<Field> fields = layout();
    std::vector<double> ours, base;
    for (int i = 0; i < kRepetitions; ++i) {
        base.push_back(bareLoop(dir.path() + "/bare.pdf", fields));
        ours.push_back(runtime(dir.path() + "/report.pdf", fields));
    }
    const double o = bench::median(ours), b = bench::median(base);
    bench::printRatio("report_pdf", o, b, "1.5");
    // Over 200 pages a second: the documents' time may not pass that of 200 pages a second.
    const double limit = kDocuments / 200.0 * 1000.0;
    bench::printLimit("report_pdf_pages", o, limit);
    return 0;
}
