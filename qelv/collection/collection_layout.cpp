#include "qelv/collection/collection_layout.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"

#include <QSet>

namespace collection {

namespace {

double orZero(const QVariant& v)
{
    return v.isNull() ? 0.0 : convert::toDouble(v);
}

QList<LayoutItem> itemsOf(db::Connection& layoutFile, const QString& kind)
{
    QList<LayoutItem> items;
    auto rs = layoutFile.openRecordset(QStringLiteral("Select * from wt where ZiDuanBiaoQian = ? order by id asc"),
                                       {kind}, db::LockType::ReadOnly);
    for (; !rs->isEOF(); rs->moveNext()) {
        LayoutItem item;
        item.id = convert::toInt32(orZero(rs->value(QStringLiteral("ID"))));
        item.name = rs->value(QStringLiteral("Name"));
        item.left = orZero(rs->value(QStringLiteral("Left")));
        item.top = orZero(rs->value(QStringLiteral("Top")));
        item.width = orZero(rs->value(QStringLiteral("Width")));
        item.height = orZero(rs->value(QStringLiteral("Height")));
        item.fontSize = orZero(rs->value(QStringLiteral("FontSize")));
        item.align = convert::toInt32(orZero(rs->value(QStringLiteral("Align"))));
        items << item;
    }
    return items;
}

// The paper control's value of a paper size: tenths of a millimetre in 16 bits.
bool controlTakes(double hundredths)
{
    try {
        convert::toInt16(hundredths / 10);
        return true;
    } catch (const convert::Error&) {
        return false;
    }
}

} // namespace

CollectionLayout CollectionLayout::read(db::Connection& layoutFile)
{
    CollectionLayout layout;
    layout.fields = itemsOf(layoutFile, QStringLiteral("字段"));
    layout.labels = itemsOf(layoutFile, QStringLiteral("标签"));
    auto paper = layoutFile.openRecordset(QStringLiteral("Select * from wtPaperSize"), {}, db::LockType::ReadOnly);
    if (!paper->isEOF())
        layout.paper = LayoutPaper{
            orZero(paper->value(QStringLiteral("PaperWidth"))), orZero(paper->value(QStringLiteral("Paperheigth"))),
            orZero(paper->value(QStringLiteral("PictureWidth"))), orZero(paper->value(QStringLiteral("PictureHeigth"))),
            paper->value(QStringLiteral("JianXi"))};
    return layout;
}

int gapOf(const LayoutPaper& paper)
{
    if (paper.gap.isNull())
        throw convert::Error(QStringLiteral("无效使用 Null"));
    return convert::toInt16(convert::toDouble(paper.gap));
}

QStringList layoutProblems(const CollectionLayout& layout, const QStringList& documentColumns, bool singleSheets)
{
    QStringList problems;
    if (!layout.paper)
        problems << QStringLiteral("托收打印格式没有纸张尺寸（wtPaperSize 中没有行）。");
    else {
        const LayoutPaper& p = *layout.paper;
        if (p.paperWidth <= 0 || p.paperHeight <= 0)
            problems << QStringLiteral("托收打印格式的纸张宽度和高度都要大于零。");
        else if (!controlTakes(p.paperWidth) || !controlTakes(p.paperHeight))
            problems << QStringLiteral("托收打印格式的纸张尺寸超出了打印机能设置的范围。");
        if (p.pictureWidth <= 0 || p.pictureHeight <= 0)
            problems << QStringLiteral("托收打印格式的图片宽度和高度都要大于零。");
        if (singleSheets) {
            try {
                gapOf(p);
            } catch (const convert::Error&) {
                problems << QStringLiteral("托收打印格式的非连续纸张偏移值“%1”不是 -32768 到 32767 之间的数。")
                                .arg(p.gap.toString());
            }
        }
    }
    if (layout.fields.size() > maxFields)
        problems << QStringLiteral("托收打印格式有 %1 个字段，委托单最多只能放 %2 个。")
                        .arg(layout.fields.size())
                        .arg(maxFields);
    if (layout.labels.size() > maxLabels)
        problems << QStringLiteral("托收打印格式有 %1 个标签，委托单最多只能放 %2 个。")
                        .arg(layout.labels.size())
                        .arg(maxLabels);

    QSet<QString> columns;
    for (const QString& c : documentColumns)
        columns.insert(c.toLower());
    for (const LayoutItem& f : layout.fields) {
        const QString name = f.name.isNull() ? QString() : f.name.toString();
        if (name.isEmpty())
            problems << QStringLiteral("托收打印格式第 %1 号字段没有名称。").arg(f.id);
        else if (!columns.contains(name.toLower()))
            problems
                << QStringLiteral(
                       "托收打印格式第 %1 号字段“%2”不是委托单打印文件中的列：请在“托收打印格式”中重新生成委托单结构。")
                       .arg(f.id)
                       .arg(name);
    }
    for (const QList<LayoutItem>* items : {&layout.fields, &layout.labels})
        for (const LayoutItem& item : *items)
            if (item.align < 0 || item.align > 2)
                problems << QStringLiteral("托收打印格式第 %1 号的对齐方式 %2 不是 0、1 或 2。")
                                .arg(item.id)
                                .arg(item.align);
    return problems;
}

} // namespace collection
