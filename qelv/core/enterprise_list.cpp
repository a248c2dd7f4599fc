#include "qelv/core/enterprise_list.h"

#include "platform/convert/convert.h"
#include "platform/ui/twips.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <limits>

namespace enterpriseList {

void setUp(QTreeWidget* list, const QStringList& captions, const QList<double>& widths)
{
    list->setColumnCount(static_cast<int>(captions.size()));
    list->setHeaderLabels(captions);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    for (int i = 0; i < widths.size(); ++i)
        list->header()->resizeSection(i, ui::px(widths[i]));
}

std::int16_t fill(QTreeWidget* list, const QList<Row>& rows)
{
    if (rows.size() > std::numeric_limits<std::int16_t>::max())
        throw convert::Error(QStringLiteral("溢出：列出的单位多于 32767 个"));
    list->clear();
    std::int16_t count = 0;
    QList<QTreeWidgetItem*> items;
    for (const Row& row : rows) {
        ++count;
        auto* item = new QTreeWidgetItem;
        item->setText(0, row.number);
        item->setText(1, row.name);
        for (int i = 0; i < row.more.size(); ++i)
            if (!row.more[i].isNull())
                item->setText(2 + i, row.more[i]);
        item->setData(0, Qt::UserRole, QStringLiteral("No%1").arg(count));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        items << item;
    }
    list->addTopLevelItems(items);
    return count;
}

QString rowKey(const QTreeWidget* list, int row)
{
    const QTreeWidgetItem* item = list->topLevelItem(row);
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}

QList<Listed> listed(const QTreeWidget* list, int count)
{
    QList<Listed> out;
    for (int i = 0; i < count && i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        out << Listed{item->text(0), item->text(1), item->checkState(0) == Qt::Checked};
    }
    return out;
}

} // namespace enterpriseList
