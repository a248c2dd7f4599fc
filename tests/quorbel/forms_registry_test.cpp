// The control's forms database: forms per printer, the selected form, and a damaged file left alone.
#include "quorbel/forms_registry.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quorbel {
namespace {

TEST(QuorbelFormsRegistry, KeepsFormsPerPrinterInTheOrderAdded)
{
    QTemporaryDir dir;
    const FormsRegistry forms(dir.path() + "/sub/forms.json");
    EXPECT_EQ(forms.forms("P"), QList<Form>{});
    EXPECT_TRUE(forms.add("P", {"UserDefine", 210000, 270000}));
    EXPECT_TRUE(forms.add("P", {"发票", 241000, 140000}));
    EXPECT_TRUE(forms.add("Q", {"UserDefine", 100000, 100000}));
    EXPECT_FALSE(forms.add("P", {"UserDefine", 1000, 1000})) << "a name is added once";
    EXPECT_FALSE(forms.add("P", {"", 1000, 1000}));
    EXPECT_TRUE(forms.resize("P", {"UserDefine", 297000, 210000}));
    EXPECT_FALSE(forms.resize("P", {"Missing", 1000, 1000}));

    const FormsRegistry reread(forms.path());
    EXPECT_EQ(reread.forms("P"), (QList<Form>{{"UserDefine", 297000, 210000}, {"发票", 241000, 140000}}));
    EXPECT_EQ(reread.forms("Q"), (QList<Form>{{"UserDefine", 100000, 100000}}));
}

TEST(QuorbelFormsRegistry, RemembersTheSelectedFormPerPrinter)
{
    QTemporaryDir dir;
    const FormsRegistry forms(dir.path() + "/forms.json");
    EXPECT_EQ(forms.selected("P"), QString());
    EXPECT_TRUE(forms.select("P", "UserDefine"));
    EXPECT_EQ(forms.selected("P"), QStringLiteral("UserDefine"));
    EXPECT_EQ(forms.selected("Q"), QString());
    EXPECT_TRUE(forms.select("P", QString()));
    EXPECT_EQ(forms.selected("P"), QString());
}

TEST(QuorbelFormsRegistry, DamagedFileIsNeverOverwritten)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/forms.json";
    for (const QByteArray& damaged :
         {QByteArray("{ not json"), QByteArray("[1, 2]"), QByteArray("{\"printers\": 3}")}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(damaged);
        file.close();
        const FormsRegistry forms(path);
        EXPECT_FALSE(forms.forms("P"));
        EXPECT_FALSE(forms.add("P", {"UserDefine", 1000, 1000}));
        EXPECT_FALSE(forms.select("P", "UserDefine"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), damaged);
    }
}

// One printer's entry that is not in the shape this file writes is left as it is, like a damaged file,
// while the entries of the other printers are read and changed as before.
TEST(QuorbelFormsRegistry, DamagedPrinterEntryIsNeverOverwritten)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/forms.json";
    const QByteArray damagedEntries[] = {
        "3",
        "[]",
        R"({"forms": {}})",
        R"({"forms": [7]})",
        R"({"forms": [{"name": 5, "width": 1000, "length": 1000}]})",
        R"({"forms": [{"name": "A", "width": 1.5, "length": 1000}]})",
        R"({"forms": [{"name": "A", "width": 1000}]})",
        R"({"forms": [{"name": "A", "width": 1000, "length": 1e12}]})",
        R"({"selected": 7})",
    };
    for (const QByteArray& entry : damagedEntries) {
        SCOPED_TRACE(entry.toStdString());
        const QByteArray damaged =
            R"({"printers": {"P": )" + entry + R"(, "Q": {"forms": [{"name": "B", "width": 1000, "length": 2000}]}}})";
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(damaged);
        file.close();

        const FormsRegistry forms(path);
        EXPECT_FALSE(forms.forms("P"));
        EXPECT_FALSE(forms.add("P", {"UserDefine", 1000, 1000}));
        EXPECT_FALSE(forms.resize("P", {"A", 2000, 2000}));
        EXPECT_FALSE(forms.select("P", "UserDefine"));
        EXPECT_EQ(forms.selected("P"), QString());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), damaged);
        file.close();

        EXPECT_EQ(forms.forms("Q"), (QList<Form>{{"B", 1000, 2000}}));
        EXPECT_TRUE(forms.add("Q", {"UserDefine", 1000, 1000}));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QJsonObject printers = QJsonDocument::fromJson(file.readAll()).object().value("printers").toObject();
        EXPECT_EQ(printers.value("P"), QJsonDocument::fromJson(R"({"P": )" + entry + "}").object().value("P"));
    }
}

} // namespace
} // namespace quorbel
