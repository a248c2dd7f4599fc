#include "qelv/notices/notice_generator.h"

#include "platform/convert/convert.h"
#include "platform/db/prepared.h"
#include "platform/db/recordset.h"
#include "platform/db/transaction.h"
#include "qelv/core/capitals.h"
#include "qelv/core/data_files.h"
#include "qelv/core/discharge_records.h"
#include "qelv/core/fee_items.h"
#include "qelv/core/late_fee_ledger.h"
#include "qelv/core/late_fee_marks.h"
#include "qelv/notices/pollutant_detail.h"

namespace notices {

namespace {

const QString lineInsert = QStringLiteral("Insert Into MX (ID,DanWeiBianHao,序号,项目,金额) Values (?,?,?,?,?)");
const QString headerInsert = QStringLiteral(
    "Insert Into tzdw (DanWeiBianHao,DanWeiQuangCheng,FaLvFaGui,YingJiaoKuang,NianYueQiKuangMingXi,"
    "NianYueJiaoKuangMingXi,JiaoKuangQiXian,KaiHuiYinHang,ZhangHao,YiYi,DianHua,ShouKuanDanWei,TongZhiRiQi,"
    "JingBanRen,JiaoDuiRen) Values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");

QString textOf(const db::Recordset& row, const char* field)
{
    const QVariant v = row.value(QString::fromLatin1(field));
    return v.isNull() ? QString() : v.toString();
}

} // namespace

bool NoticeTexts::read(db::Connection& setUp, NoticeTexts* out)
{
    *out = {};
    auto tz = setUp.openRecordset(QStringLiteral("Select * from tz"), {}, db::LockType::ReadOnly);
    if (tz->recordCount() == 0 || tz->isEOF())
        return false;
    // Field names match without regard to case, as the stored row was read.
    out->FaLvFaGui = textOf(*tz, "fAlVfAgUI");
    out->JiaoKuanQiXian = textOf(*tz, "JiaoKuanQiXian");
    out->KaiHuYinHang = textOf(*tz, "KaiHuYinHang");
    out->ZhangHao = textOf(*tz, "ZhangHao");
    out->YiYi = textOf(*tz, "YiYi");
    out->DianHua = textOf(*tz, "DianHua");
    out->ShouKuanDanWei = textOf(*tz, "ShouKuanDanWei");
    out->JiaoDuiRen = textOf(*tz, "JiaoDuiRen");
    return true;
}

std::unique_ptr<RunFiles> RunFiles::open(const QDate& workMonth)
{
    auto f = std::make_unique<RunFiles>();
    f->openMonth(workMonth, dataFiles::monthNotices(workMonth));
    return f;
}

NoticeGenerator::NoticeGenerator(RunFiles& files, RunState state, NoticeTexts texts, Progress progress,
                                 ErrorSink detailErrors)
    : files_(files),
      state_(std::move(state)),
      texts_(std::move(texts)),
      progress_(std::move(progress)),
      detailErrors_(std::move(detailErrors))
{
}

RunResult NoticeGenerator::run(const QList<ListedEnterprise>& list, bool selectedOnly)
{
    RunResult result;
    if (list.isEmpty())
        return result;
    const int m = state_.workMonth.month();
    const QString month = convert::formatYearMonthCn(state_.workMonth);
    const QString noticeDate = QStringLiteral("%1年%2月%3日")
                                   .arg(state_.invoiceDate.year(), 4, 10, QLatin1Char('0'))
                                   .arg(state_.invoiceDate.month(), 2, 10, QLatin1Char('0'))
                                   .arg(state_.invoiceDate.day(), 2, 10, QLatin1Char('0'));

    generationRun::ListWalk walk(list.size(), progress_);
    try {
        // Declared first, so that it goes last: it takes back whatever the run wrote when it stops.
        lateFeeLedger::Attached ledgers(files_.print, files_.ledgersPath);
        // The files the run only reads, each read in one transaction: the run asks them a few questions
        // per enterprise, each of which would otherwise lock and check the file anew.
        db::ReadTransaction readEnterprises(files_.enterprises);
        db::ReadTransaction readDischarge(files_.discharge);
        db::ReadTransaction readBilling(files_.billing);
        // The fee items and the detail sheet of an enterprise read the same records.
        dischargeRecords::Cache records(files_.discharge);
        feeItems::Reader fees(files_.enterprises, files_.discharge, &records);
        PollutantDetail detail(files_.enterprises, files_.discharge, files_.print, files_.billing, state_.workMonth,
                               &records);
        // The window's detail step builds through it while the run goes on, and no longer.
        detail_ = &detail;
        struct Running {
            PollutantDetail*& detail;
            ~Running() { detail = nullptr; }
        } running{detail_};
        db::PreparedStatement register_(
            files_.enterprises, QStringLiteral("Select LowLever,DanWeiQuangCheng from dw where DanWeiBianHao=?"));
        db::PreparedStatement billing(files_.billing,
                                      QStringLiteral("select M%1B,M%1N from KPKZK where DanWeiBianHao=?").arg(m));
        db::PreparedStatement insertLine(files_.print, lineInsert);
        db::PreparedStatement insertHeader(files_.print, headerInsert);

        // The earlier run goes first, whole and on its own, so that whatever stops this one, none of
        // its notices is left to print, and with them the late payments it charged are set back.
        lateFeeMarks::RunMarks marks(files_.print, ledgers);
        marks.takeOutEarlier({QStringLiteral("MX"), QStringLiteral("tzdw"), QStringLiteral("WuRanWuMingXi")}, {});

        files_.print.beginTransaction();
        generationRun::LineIds ids(QStringLiteral("溢出：一次生成的通知行多于 32767 行"));

        for (const ListedEnterprise& row : list) {
            if (!walk.next(row.number, !selectedOnly || row.ticked))
                continue;
            const QString code = row.number;

            records.clear();
            const feeItems::EnterpriseFees f = fees.read(code);
            convert::Currency total = f.total;
            QVariant lowLever, period, months;
            if (register_.first({code}))
                lowLever = register_.value(0);
            if (billing.first({code})) {
                period = billing.value(0);
                months = billing.value(1);
            }
            const QString periodText = generationRun::periodText(period, state_.workMonth);

            std::int16_t number = 0;
            auto writeLine = [&](const QString& item, convert::Currency amount) {
                insertLine.run({ids.next(), code, QString::number(++number), item + periodText, amount.toString()});
            };
            for (const feeItems::Item& item : f.items)
                writeLine(item.separate ? item.name : item.name + QStringLiteral("收费"), item.amount);
            if (f.doubled.units() > 0)
                writeLine(QStringLiteral("加倍收费"), f.doubled);
            if (f.raised.units() > 0)
                writeLine(QStringLiteral("提高征收"), f.raised);
            const convert::Currency topUp = feeItems::minimumTopUp(total, lowLever, months);
            if (topUp.units() > 0) {
                total += topUp;
                writeLine(QStringLiteral("补充最少收费金额"), topUp);
            }
            lateFeeMarks::Marked marked{code, {}, std::nullopt};
            const convert::Currency lateFee = generationRun::lateFee(files_.print, state_, code, &marked.rows);
            marks.add(marked);
            if (lateFee.units() > 0)
                writeLine(QStringLiteral("滞纳金"), lateFee);
            total += lateFee;

            if (detailStep_) {
                std::int16_t index = static_cast<std::int16_t>(walk.position());
                detailStep_(index);
            } else {
                buildDetail(code);
            }

            const QString capitals = AmountToChineseCapitals(total);
            if (total.units() > 0) {
                insertHeader.run({code, row.name, texts_.FaLvFaGui,
                                  month + QStringLiteral("应缴纳排污费人民币") + capitals + QStringLiteral("整"),
                                  month + QStringLiteral("份排污情况明细表"),
                                  month + QStringLiteral("份应缴纳排污费明细表　　　（单位：元）"),
                                  texts_.JiaoKuanQiXian, texts_.KaiHuYinHang, texts_.ZhangHao, texts_.YiYi,
                                  texts_.DianHua, texts_.ShouKuanDanWei, noticeDate, state_.userName,
                                  texts_.JiaoDuiRen});
                ++result.notices;
            }
            insertLine.run(
                {ids.next(), code, QStringLiteral("合计"), capitals + QStringLiteral("整"), total.toString()});
        }
        walk.finish();
        files_.print.commit();
    } catch (const std::exception& e) {
        throw walk.stopped(e, QStringLiteral("本次没有生成通知单，也没有计收任何滞纳金。"));
    }
    result.processed = walk.taken();
    return result;
}

void NoticeGenerator::buildDetail(const QString& number)
{
    if (!detail_)
        return;
    detail_->build(number, [this, &number](const QString& why) {
        if (detailErrors_)
            detailErrors_(why + QStringLiteral("\n（单位 %1 的排污明细）").arg(number));
    });
}

QString closingMessage(const RunResult& result)
{
    return QStringLiteral("共生成 %1 张通知单！").arg(result.processed);
}

} // namespace notices
