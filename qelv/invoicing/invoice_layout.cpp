#include "qelv/invoicing/invoice_layout.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"

#include <QSet>
#include <cmath>

namespace invoicing {

namespace {

// A field's number; an empty cell counts as 0, as the designer and the report treat it.
double orZero(const QVariant& v)
{
    return v.isNull() ? 0.0 : convert::toDouble(v);
}

int wholeOrZero(const QVariant& v)
{
    return v.isNull() ? 0 : convert::toInt32(convert::toDouble(v));
}

} // namespace

QList<LayoutField> InvoiceLayout::fieldsOf(std::initializer_list<Band> bands) const
{
    QList<LayoutField> out;
    for (const LayoutField& f : fields)
        for (Band b : bands)
            if (f.band == b)
                out << f;
    return out;
}

QList<LayoutField> InvoiceLayout::readFields(db::Connection& layoutFile)
{
    QList<LayoutField> fields;
    auto rs = layoutFile.openRecordset(QStringLiteral("Select * from fp order by ID ASC"), {}, db::LockType::ReadOnly);
    for (; !rs->isEOF(); rs->moveNext()) {
        LayoutField f;
        f.id = wholeOrZero(rs->value(QStringLiteral("ID")));
        f.name = rs->value(QStringLiteral("Name"));
        f.band = wholeOrZero(rs->value(QStringLiteral("LeiXing")));
        f.left = orZero(rs->value(QStringLiteral("Left")));
        f.top = orZero(rs->value(QStringLiteral("Top")));
        f.width = orZero(rs->value(QStringLiteral("Width")));
        f.height = orZero(rs->value(QStringLiteral("Height")));
        f.fontSize = orZero(rs->value(QStringLiteral("FontSize")));
        f.align = wholeOrZero(rs->value(QStringLiteral("Align")));
        fields << f;
    }
    return fields;
}

InvoiceLayout InvoiceLayout::read(db::Connection& layoutFile)
{
    InvoiceLayout layout;
    layout.fields = readFields(layoutFile);
    auto lines =
        layoutFile.openRecordset(QStringLiteral("Select * from fpLine Order By ID"), {}, db::LockType::ReadOnly);
    if (!lines->isEOF())
        layout.limits = BandLimits{convert::toDouble(lines->value(QStringLiteral("HeadHeigth"))),
                                   convert::toDouble(lines->value(QStringLiteral("DetailHeigth"))),
                                   convert::toDouble(lines->value(QStringLiteral("FooterHeigth")))};
    auto paper = layoutFile.openRecordset(QStringLiteral("Select * from fpPaperSize"), {}, db::LockType::ReadOnly);
    if (!paper->isEOF())
        layout.paper = PaperRow{convert::toDouble(paper->value(QStringLiteral("PaperWidth"))),
                                convert::toDouble(paper->value(QStringLiteral("Paperheigth"))),
                                convert::toDouble(paper->value(QStringLiteral("PictureWidth"))),
                                convert::toDouble(paper->value(QStringLiteral("PictureHeigth"))),
                                paper->value(QStringLiteral("JianXi"))};
    return layout;
}

QStringList layoutProblems(const InvoiceLayout& layout, LayoutUse use)
{
    QStringList problems;
    // The print tables: KPDW from the header and footer fields, MX from the line fields.
    auto checkTable = [&problems](const QList<LayoutField>& group, const QString& where) {
        if (group.isEmpty()) {
            problems << QStringLiteral("发票格式没有%1的字段。").arg(where);
            return;
        }
        // Column names are compared as the database compares them, without regard to case.
        QSet<QString> seen;
        for (const LayoutField& f : group) {
            const QString name = f.name.isNull() ? QString() : f.name.toString();
            if (name.trimmed().isEmpty()) {
                problems << QStringLiteral("发票格式第 %1 号字段没有名称。").arg(f.id);
                continue;
            }
            const QString lower = name.toLower();
            if (lower == QLatin1String("danweibianhao"))
                problems << QStringLiteral("发票格式的字段不能叫“%1”：这一列由程序自己加上。").arg(name);
            else if (lower == QLatin1String("id") && f.band == Line)
                problems << QStringLiteral("发票格式的明细行字段不能叫“%1”：这一列由程序自己加上。").arg(name);
            else if (seen.contains(lower))
                problems << QStringLiteral("发票格式的%1字段中“%2”出现了不止一次。").arg(where, name);
            seen.insert(lower);
        }
    };
    checkTable(layout.fieldsOf({Header, Footer}), QStringLiteral("表头和表尾"));
    checkTable(layout.fieldsOf({Line}), QStringLiteral("明细行"));
    if (use == LayoutUse::PrintTables)
        return problems;

    if (!layout.limits)
        problems << QStringLiteral("发票格式没有分栏线（fpLine）。");
    else if (layout.limits->detail == layout.limits->head)
        problems << QStringLiteral("发票格式的明细行高度为零：表头线和明细线重合。");
    if (!layout.paper)
        problems << QStringLiteral("发票格式没有纸张尺寸（fpPaperSize）。");
    else if (layout.paper->pictureWidth == 0 || layout.paper->pictureHeight == 0)
        problems << QStringLiteral("发票格式的图片尺寸为零。");
    for (Band b : {Header, Line, Footer})
        if (layout.fieldsOf({b}).size() > 20)
            problems << QStringLiteral("发票格式第 %1 栏的字段多于 20 个。").arg(int(b));
    return problems;
}

std::int16_t linesPerInvoice(const std::optional<BandLimits>& limits)
{
    if (!limits)
        return 6;
    const double line = limits->detail - limits->head;
    if (line == 0)
        throw convert::Error(QStringLiteral("除数为零"));
    const double v = (limits->footer - limits->head) / line;
    const double whole = convert::intFloor(v);
    return convert::toInt16(v - whole >= 0.5 ? whole + 1 : whole);
}

} // namespace invoicing
