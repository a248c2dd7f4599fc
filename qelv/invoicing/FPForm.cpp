#include "qelv/invoicing/FPForm.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/prepared.h"
#include "platform/report/report_data.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"

namespace invoicing {

namespace {

using report::Control;
using report::ControlKind;
using report::Section;
using report::SectionKind;

// Twips per millimetre of the report's fields and bands, and of its width. The designer's 56.693 is
// not theirs; the three differ on purpose and stay as they are.
constexpr double kFieldFactor = 56.69;
constexpr double kWidthFactor = 56.66;
constexpr int kFieldsPerBand = 20;

const char* const kHeader = "Command1_Header";
const char* const kDetail = "Command2_Detail";
const char* const kFooter = "Command1_Footer";

// The whole number of twips nearest to a value, halves to the even one.
double whole(double twips)
{
    return convert::toInt32(twips);
}

double divisor(double picture)
{
    if (picture == 0)
        throw convert::Error(QStringLiteral("除数为零"));
    return picture;
}

// Tenths of a millimetre to twips, so that the page is the very sheet the paper control sets.
double tenthsToTwips(std::int16_t tenths)
{
    return tenths * 1440.0 / 254.0;
}

report::Alignment alignmentOf(const LayoutField& f)
{
    switch (f.align) {
    case 0:
        return report::Alignment::Left;
    case 1:
        return report::Alignment::Right;
    case 2:
        return report::Alignment::Centre;
    default:
        throw report::Error(QStringLiteral("发票格式第 %1 号字段的对齐方式 %2 无效。").arg(f.id).arg(f.align));
    }
}

Control textField(int number)
{
    Control c;
    c.name = QStringLiteral("Text%1").arg(number);
    c.kind = ControlKind::TextBox;
    // Shown only once a layout row takes it.
    c.visible = false;
    // The stationery's boxes are printed where they are: a text too long for its box is printed smaller.
    c.shrinkToFit = true;
    return c;
}

struct BandDef {
    const char* section;
    Band kind;
    int firstField; // the band's first field: Text1, Text21, Text41
};

const BandDef kBands[] = {
    {kHeader, Header, 1},
    {kDetail, Line, 21},
    {kFooter, Footer, 41},
};

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

printRun::PaperRequest invoicePaper(const PaperRow& paper)
{
    printRun::PaperRequest request;
    request.orientation = 1;
    request.userFormName = QStringLiteral("UserDefine");
    request.paperLength = convert::toInt16(paper.paperHeight / 10);
    request.paperWidth = convert::toInt16(paper.paperWidth / 10);
    request.paperSize = 256;
    return request;
}

FPForm::FPForm()
{
    title = QStringLiteral("发票");
    orientation = report::Orientation::Portrait;
    // The fields are placed from the sheet's corner: no margins. A form is as tall as the sheet, its
    // rounded bands a twip or two more, so nothing but the next invoice starts a page; the page
    // footer's mark lies over the form's foot.
    leftMargin = rightMargin = topMargin = bottomMargin = 0;
    breakWhenFull = false;
    font = report::Font{report::availableFontFamily(QStringLiteral("宋体")), 9, false};

    addSection(QStringLiteral("ReportHeader"), SectionKind::ReportHeader, 0);
    addSection(QStringLiteral("PageHeader"), SectionKind::PageHeader, 0);
    addSection(QString::fromLatin1(kHeader), SectionKind::GroupHeader, 0);
    addSection(QString::fromLatin1(kDetail), SectionKind::Detail, 0);
    addSection(QString::fromLatin1(kFooter), SectionKind::GroupFooter, 0);
    addSection(QStringLiteral("PageFooter"), SectionKind::PageFooter, 0);
    addSection(QStringLiteral("ReportFooter"), SectionKind::ReportFooter, 0);
    // Each invoice on a form of its own.
    section(QString::fromLatin1(kHeader)).newPageBefore = true;
    for (const BandDef& band : kBands) {
        Section& s = section(QString::fromLatin1(band.section));
        for (int i = 0; i < kFieldsPerBand; ++i)
            s.controls.push_back(textField(band.firstField + i));
    }
    Control dot;
    dot.name = QStringLiteral("Label1");
    dot.kind = ControlKind::Label;
    dot.caption = QStringLiteral(".");
    dot.width = dot.height = 165;
    section(QStringLiteral("PageFooter")).controls = {dot};
}

void FPForm::DataReport_Initialize()
{
    db::Connection layoutFile(db::DataFile{QString::fromLatin1(dataFiles::printLayouts)});
    applyLayout(InvoiceLayout::read(layoutFile), Module1::gNonContinuousPrint);
}

void FPForm::applyLayout(const InvoiceLayout& layout, bool nonContinuous)
{
    // The gap is read only for single sheets: on continuous stationery a Null or odd value does no harm.
    double j = 0;
    if (layout.paper) {
        width = whole(layout.paper->paperWidth / 100 * kWidthFactor);
        const printRun::PaperRequest sheet = invoicePaper(*layout.paper);
        paper = QSizeF(tenthsToTwips(sheet.paperWidth), tenthsToTwips(sheet.paperLength));
        if (nonContinuous)
            j = convert::toInt16(convert::toDouble(layout.paper->gap));
    }
    const double g = j / 100 * kFieldFactor;
    gap_ = g;

    auto requireLimits = [&layout] {
        if (!layout.limits || !layout.paper)
            throw report::Error(QStringLiteral("发票格式没有分栏线或纸张尺寸，无法排版。"));
    };
    for (Section& s : sections()) {
        const QString name = s.name;
        if (sameName(name, QString::fromLatin1(kHeader))) {
            requireLimits();
            s.height = whole(layout.limits->head / 100 * kFieldFactor * layout.paper->paperHeight /
                                 divisor(layout.paper->pictureHeight) -
                             g);
            s.visible = true;
        } else if (sameName(name, QString::fromLatin1(kDetail))) {
            requireLimits();
            s.height = whole((layout.limits->detail - layout.limits->head) / 100 * kFieldFactor *
                             layout.paper->paperHeight / divisor(layout.paper->pictureHeight));
            s.visible = true;
        } else if (sameName(name, QString::fromLatin1(kFooter))) {
            requireLimits();
            s.height = whole((layout.paper->pictureHeight - layout.limits->footer) / 100 * kFieldFactor *
                                 layout.paper->paperHeight / divisor(layout.paper->pictureHeight) +
                             g);
            s.visible = true;
        } else {
            s.height = 0;
            s.visible = false;
        }
    }
    section(QStringLiteral("PageHeader")).visible = true;
    section(QStringLiteral("PageHeader")).height = 0;
    section(QStringLiteral("PageFooter")).visible = true;
    section(QStringLiteral("PageFooter")).height = 50;

    const PaperRow& p = *layout.paper;
    const BandLimits& limits = *layout.limits;
    for (const BandDef& band : kBands) {
        Section& s = section(QString::fromLatin1(band.section));
        for (Control& c : s.controls)
            c.visible = false;
        const QList<LayoutField> rows = layout.fieldsOf({band.kind});
        if (rows.isEmpty())
            continue;
        // The top of a field is measured from its band's top: the picture's top less the gap for the
        // header, the band limits for the others.
        auto place = [&](Control& c, const LayoutField& f) {
            if (f.name.isNull())
                throw report::Error(QStringLiteral("发票格式第 %1 号字段没有名称。").arg(f.id));
            c.dataField = f.name.toString();
            c.left = whole(f.left / 100 * kFieldFactor * p.paperWidth / divisor(p.pictureWidth));
            c.width = whole(f.width / 100 * kFieldFactor * p.paperWidth / divisor(p.pictureWidth));
            c.height = whole(f.height / 100 * kFieldFactor * p.paperHeight / divisor(p.pictureHeight));
            switch (band.kind) {
            case Header:
                c.top = whole(f.top / 100 * kFieldFactor * p.paperHeight / divisor(p.pictureHeight) - g);
                break;
            case Line:
                c.top = whole((f.top - limits.head) / 100 * kFieldFactor * p.paperHeight / divisor(p.pictureHeight));
                break;
            case Footer:
                c.top = whole((f.top - limits.footer) / 100 * kFieldFactor * p.paperHeight / divisor(p.pictureHeight));
                break;
            }
            c.fontSize = f.fontSize;
            c.alignment = alignmentOf(f);
        };
        int k = 0;
        for (const LayoutField& f : rows) {
            Control& c = s.control(QStringLiteral("Text%1").arg(band.firstField + k));
            place(c, f);
            c.visible = true;
            ++k;
        }
        for (; k < kFieldsPerBand; ++k) {
            Control& c = s.control(QStringLiteral("Text%1").arg(band.firstField + k));
            place(c, rows.last());
            c.visible = false;
        }
    }
}

report::Document FPForm::renderInvoices(db::Connection& printFile, const QStringList& enterprises) const
{
    auto columnsOf = [&printFile](const char* table) {
        QStringList names;
        for (const db::ColumnDef& c : printFile.columns(QString::fromLatin1(table)))
            names << c.name;
        return names;
    };
    const QStringList headerColumns = columnsOf("KPDW");
    const QStringList lineColumns = columnsOf("MX");

    // What the shown fields read, each column once; a field whose column is not there shows nothing.
    report::Report laidOut = *this;
    QStringList parentFields, childFields;
    for (Section& s : laidOut.sections()) {
        const bool lines = s.kind == SectionKind::Detail;
        if (!lines && s.kind != SectionKind::GroupHeader && s.kind != SectionKind::GroupFooter)
            continue;
        const QStringList& columns = lines ? lineColumns : headerColumns;
        QStringList& fields = lines ? childFields : parentFields;
        for (Control& c : s.controls) {
            if (c.kind != ControlKind::TextBox || c.dataField.isEmpty())
                continue;
            if (!c.visible || !columns.contains(c.dataField, Qt::CaseInsensitive)) {
                c.dataField.clear();
                continue;
            }
            if (!fields.contains(c.dataField, Qt::CaseInsensitive))
                fields << c.dataField;
        }
    }

    auto selectOf = [](const QStringList& fields, const char* table, const char* tail) {
        QStringList quoted;
        for (const QString& f : fields)
            quoted << db::quoteIdentifier(f);
        if (quoted.isEmpty())
            quoted << QStringLiteral("1");
        return QStringLiteral("select %1 from %2 where DanWeiBianHao = ?%3")
            .arg(quoted.join(u','), QString::fromLatin1(table), QString::fromLatin1(tail));
    };
    db::PreparedStatement header(printFile, selectOf(parentFields, "KPDW", ""));
    db::PreparedStatement lines(printFile, selectOf(childFields, "MX", " order by ID"));
    auto valuesOf = [](db::PreparedStatement& st, qsizetype count) {
        QVariantList values;
        values.reserve(count);
        for (int i = 0; i < count; ++i)
            values << st.value(i);
        return values;
    };

    std::vector<report::TableParents::Parent> parents;
    parents.reserve(enterprises.size());
    for (const QString& number : enterprises) {
        if (!header.first({number}))
            throw db::Error(QStringLiteral("打印文件中没有单位 %1 的发票。").arg(number));
        report::TableParents::Parent parent;
        parent.values = valuesOf(header, parentFields.size());
        for (bool more = lines.first({number}); more; more = lines.next())
            parent.children.push_back(valuesOf(lines, childFields.size()));
        parents.push_back(std::move(parent));
    }
    report::TableParents rows(parentFields, childFields, std::move(parents));
    return laidOut.render(rows);
}

} // namespace invoicing
