#pragma once
// A program folder with a fresh pollutant file, and the means to press the keypad of a pollutant
// window and to read back what the file holds.
#include "platform/settings/settings.h"
#include "platform/ui/dialogs.h"
#include "qelv/assessment/PollutantWindow.h"
#include "qelv/core/Module1.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QStringList>
#include <gtest/gtest.h>

class PollutantFileTest : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        Module1::setStartupDefaults();
    }

    QString file() const { return folder->data(QStringLiteral("qelvwrw.mdb")); }
    void sql(const QString& statements) const { fixtures::exec(file(), statements); }
    QVariant probe(const QString& query) const { return fixtures::probe(file(), query); }
    int count(const QString& query) const { return probe(query).toInt(); }

    // A pollutant with its formula as "text:kind" pairs separated by blanks, IDs from `firstId` up.
    void addPollutant(const QString& number, const QString& name, int category, const QString& kind,
                      const QString& tokens = QString(), int firstId = 1) const
    {
        sql(QStringLiteral("insert into wrw values ('%1','%2',%3,'%4')").arg(number, name).arg(category).arg(kind));
        int id = firstId;
        for (const QString& t : tokens.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const qsizetype colon = t.lastIndexOf(QLatin1Char(':'));
            sql(QStringLiteral("insert into wrwgs values (%1,'%2',%3,'%4')")
                    .arg(id++)
                    .arg(t.left(colon), t.mid(colon + 1), number));
        }
    }

    // A pollutant's tokens in ID order as "text:kind" pairs, as addPollutant takes them.
    QString tokensOf(const QString& number) const
    {
        return probe(QStringLiteral("select coalesce(group_concat(MingCheng || ':' || BiaoJi, ' '), '') from "
                                    "(select * from wrwgs where WuRanWuBianHao = '%1' order by ID)")
                         .arg(number))
            .toString();
    }

    QString rowOf(const QString& number) const
    {
        return probe(QStringLiteral("select WuRanWuBianHao || '|' || MingCheng || '|' || LeiXing || '|' || FenLei "
                                    "from wrw where WuRanWuBianHao = '%1'")
                         .arg(number))
            .toString();
    }

    // Everything the catalogue and the token table hold, in a fixed order.
    QString everything() const
    {
        return probe(QStringLiteral("select (select coalesce(group_concat(r, ';'), '') from (select WuRanWuBianHao || "
                                    "'|' || MingCheng || '|' || "
                                    "LeiXing || '|' || FenLei as r from wrw order by rowid)) || ' // ' || "
                                    "(select coalesce(group_concat(r, ';'), '') from (select ID || '|' || MingCheng || "
                                    "'|' || BiaoJi || '|' || "
                                    "WuRanWuBianHao as r from wrwgs order by rowid))"))
            .toString();
    }

    // The message boxes shown, leaving out the input boxes of the keypad.
    static std::vector<ui::testing::Shown> messageBoxes()
    {
        std::vector<ui::testing::Shown> out;
        for (const auto& s : ui::testing::shown())
            if (s.kind == ui::testing::Shown::Message)
                out.push_back(s);
        return out;
    }
    static QStringList messages()
    {
        QStringList out;
        for (const auto& s : messageBoxes())
            out << s.text;
        return out;
    }
    static std::string messagesText() { return messages().join(QStringLiteral(" / ")).toStdString(); }

    static QString flag() { return settings::get(QStringLiteral("ModifyDataGS"), QStringLiteral("absent")); }

    // Presses keys: "c:<text>" the constant key answered with text ("c:" cancels), "v:<text>" the
    // variable key, "+ - * / | ( )" the operator keys, "undo" the undo key.
    static void press(PollutantWindow& w, const QString& keys)
    {
        for (const QString& k : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (k.startsWith(QLatin1String("c:"))) {
                ui::testing::answerInput(k.mid(2));
                w.Command1_Click();
            } else if (k.startsWith(QLatin1String("v:"))) {
                ui::testing::answerInput(k.mid(2));
                w.Command2_Click();
            } else if (k == QLatin1String("+")) {
                w.Command3_Click();
            } else if (k == QLatin1String("-")) {
                w.Command4_Click();
            } else if (k == QLatin1String("*")) {
                w.Command5_Click();
            } else if (k == QLatin1String("/")) {
                w.Command6_Click();
            } else if (k == QLatin1String("|")) {
                w.Command8_Click();
            } else if (k == QLatin1String("(")) {
                w.Command11_Click();
            } else if (k == QLatin1String(")")) {
                w.Command12_Click();
            } else if (k == QLatin1String("undo")) {
                w.Command7_Click();
            } else {
                ADD_FAILURE() << "unknown key " << k.toStdString();
            }
        }
    }
};
