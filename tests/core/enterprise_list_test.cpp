// The checkable list of enterprises of the invoice and notice run windows.
#include "platform/convert/convert.h"
#include "qelv/core/enterprise_list.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

QStringList column(const QTreeWidget& list, int c)
{
    QStringList out;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        out << list.topLevelItem(i)->text(c);
    return out;
}

QStringList keys(const QTreeWidget& list)
{
    QStringList out;
    for (int i = 0; i <= list.topLevelItemCount(); ++i)
        out << enterpriseList::rowKey(&list, i);
    return out;
}

QList<enterpriseList::Row> numbered(int count)
{
    QList<enterpriseList::Row> rows;
    rows.reserve(count);
    for (int i = 1; i <= count; ++i)
        rows << enterpriseList::Row{QString::number(i), QStringLiteral("厂")};
    return rows;
}

} // namespace

TEST(EnterpriseList, ALoadReplacesTheRowsWithKeysFromNo1AndEveryBoxClear)
{
    QTreeWidget list;
    enterpriseList::setUp(&list, {QStringLiteral("单位编号"), QStringLiteral("单位全称"), QStringLiteral("发票编号")},
                          {1000, 2300});
    ASSERT_EQ(enterpriseList::fill(&list, numbered(4)), 4);
    list.topLevelItem(1)->setCheckState(0, Qt::Checked);

    const QList<enterpriseList::Row> rows = {
        {QStringLiteral("0012"), QStringLiteral("甲厂"), {QStringLiteral("00000007")}},
        {QStringLiteral("0003"), QStringLiteral("乙厂"), {QString()}}, // no invoice number
        {QStringLiteral("0005"), QStringLiteral("丙厂")},
    };
    EXPECT_EQ(enterpriseList::fill(&list, rows), 3);
    EXPECT_EQ(column(list, 0), (QStringList{"0012", "0003", "0005"})) << "in the order given, leading zeros kept";
    EXPECT_EQ(column(list, 1), (QStringList{"甲厂", "乙厂", "丙厂"}));
    EXPECT_EQ(column(list, 2), (QStringList{"00000007", "", ""}));
    EXPECT_FALSE(list.topLevelItem(1)->data(2, Qt::DisplayRole).isValid());
    EXPECT_EQ(keys(list), (QStringList{"No1", "No2", "No3", ""}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(list.topLevelItem(i)->flags() & Qt::ItemIsUserCheckable) << i;
        EXPECT_EQ(list.topLevelItem(i)->checkState(0), Qt::Unchecked) << i;
    }

    EXPECT_EQ(enterpriseList::fill(&list, {}), 0);
    EXPECT_EQ(list.topLevelItemCount(), 0);
}

TEST(EnterpriseList, MoreRowsThanTheCountHoldsChangeNothing)
{
    QTreeWidget list;
    enterpriseList::fill(&list, numbered(2));
    try {
        enterpriseList::fill(&list, numbered(32768));
        FAIL() << "32,768 rows were taken";
    } catch (const convert::Error& e) {
        EXPECT_EQ(e.description(), QStringLiteral("溢出：列出的单位多于 32767 个"));
    }
    EXPECT_EQ(column(list, 0), (QStringList{"1", "2"})) << "the list as it was, so it agrees with its count";

    EXPECT_EQ(enterpriseList::fill(&list, numbered(32767)), 32767);
    EXPECT_EQ(enterpriseList::rowKey(&list, 32766), QStringLiteral("No32767"));
}

TEST(EnterpriseList, ARunTakesTheCountedRowsWithTheirTicks)
{
    QTreeWidget list;
    enterpriseList::fill(&list,
                         {{QStringLiteral("01"), QStringLiteral("甲")},
                          {QStringLiteral("02"), QStringLiteral("乙")},
                          {QStringLiteral("03"), QStringLiteral("丙")}});
    list.topLevelItem(0)->setCheckState(0, Qt::Checked);
    list.topLevelItem(2)->setCheckState(0, Qt::Checked);
    const auto taken = [&list](int count) {
        QStringList out;
        for (const enterpriseList::Listed& l : enterpriseList::listed(&list, count))
            out << l.number + QLatin1Char('|') + l.name + (l.ticked ? QStringLiteral("|x") : QString());
        return out;
    };
    EXPECT_EQ(taken(3), (QStringList{"01|甲|x", "02|乙", "03|丙|x"}));
    EXPECT_EQ(taken(2), (QStringList{"01|甲|x", "02|乙"}));
    EXPECT_EQ(taken(0), QStringList());
    delete list.takeTopLevelItem(1);
    EXPECT_EQ(taken(3), (QStringList{"01|甲|x", "03|丙|x"})) << "a row no longer there is left out";
}
