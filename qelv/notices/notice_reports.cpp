#include "qelv/notices/notice_reports.h"

#include "platform/db/connection.h"
#include "platform/db/error.h"
#include "platform/files/files.h"
#include "platform/report/report_data.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"
#include "qelv/core/error_sink.h"
#include "qelv/core/frmMsgBox.h"
#include "qelv/core/lookup_indexes.h"
#include "qelv/core/report_controls.h"

#include <memory>

namespace notices {

namespace {

using report::Alignment;
using report::Control;
using report::ControlKind;
using report::Section;
using report::SectionKind;
using reportControls::label;
using reportControls::textBox;

constexpr double pageWidth = 9906; // A4 less two margins of 1000

Control rule(const char* name, double top)
{
    return reportControls::placed(ControlKind::Line, name, 0, top, pageWidth, 0);
}

void a4(report::Report& r, const QString& title)
{
    r.title = title;
    r.paper = QSizeF(11906, 16838);
    r.orientation = report::Orientation::Portrait;
    r.width = pageWidth;
    r.leftMargin = r.rightMargin = 1000;
    r.topMargin = r.bottomMargin = 1000;
    r.font = report::Font{report::printFontFamily(), 10.5, false};
}

QString noticeFile(const QDate& month)
{
    const QString path = files::dataFile(dataFiles::monthNotices(month));
    if (!files::exists(path))
        throw db::Error(QStringLiteral("找不到文件“%1”。").arg(path));
    return path;
}

report::Document renderOver(const QDate& month, const report::Report& layout, const QString& childSql)
{
    noticeFile(month);
    db::Connection print(db::DataFile{dataFiles::monthNotices(month)});
    lookupIndexes::ensure(print);
    report::RelatedQueries rows(print, QStringLiteral("select * from tzdw Order by DanWeiBianHao"), childSql,
                                QStringLiteral("DanWeiBianHao"));
    return layout.render(rows);
}

printRun::Outcome printReport(QWidget* window, const QList<QWidget*>& commands, const QString& progressText,
                              std::function<report::Document(const QDate&)> render)
{
    const QDate month = Module1::gWorkMonth;
    // Closed however the run ends.
    std::unique_ptr<frmMsgBox> progress(new frmMsgBox(window));
    progress->showText(progressText);
    printRun::Request request;
    request.paper = {1, QStringLiteral("UserDefine"), 2700, 2100, 9};
    request.check = [month] { noticeFile(month); };
    request.render = [month, render] { return render(month); };
    request.showPrintDialog = false;
    request.progress = [&progress, progressText](int) { progress->setText(progressText); };
    request.window = window;
    request.commands = commands;
    request.errors = messageBoxSink(window);
    const printRun::Outcome outcome = printRun::run(request);
    progress->close();
    return outcome;
}

} // namespace

tzdw::tzdw()
{
    a4(*this, QStringLiteral("排污费缴纳通知单"));
    Control title = label("Label1", QStringLiteral("排污费缴纳通知单"), 0, 0, pageWidth, 500, Alignment::Centre);
    title.fontSize = 18;
    title.bold = true;
    Section& head = addSection(QStringLiteral("tzdw_Header"), SectionKind::GroupHeader, 2400);
    head.newPageBefore = true;
    head.controls = {
        title,
        textBox("DanWeiQuangCheng", "DanWeiQuangCheng", 0, 700, pageWidth, 300, Alignment::Left, true),
        textBox("YingJiaoKuang", "YingJiaoKuang", 0, 1100, pageWidth, 300, Alignment::Left, true),
        textBox("NianYueJiaoKuangMingXi", "NianYueJiaoKuangMingXi", 0, 1550, pageWidth, 300, Alignment::Centre),
        rule("Line1", 1950),
        label("Label2", QStringLiteral("序号"), 0, 2000, 900, 300, Alignment::Centre),
        label("Label3", QStringLiteral("项目"), 1000, 2000, 6400, 300),
        label("Label4", QStringLiteral("金额"), 7500, 2000, 2406, 300, Alignment::Right),
        rule("Line2", 2350),
    };
    addSection(QStringLiteral("MX_Detail"), SectionKind::Detail, 360).controls = {
        textBox("序号", "序号", 0, 30, 900, 300, Alignment::Centre),
        textBox("项目", "项目", 1000, 30, 6400, 300, Alignment::Left, true),
        textBox("金额", "金额", 7500, 30, 2406, 300, Alignment::Right),
    };
    auto text = [](const char* name, const char* caption, const char* dataField, double top) {
        return std::vector<Control>{
            label(name, QString::fromUtf8(caption), 0, top, 1800, 300),
            textBox(dataField, dataField, 1900, top, pageWidth - 1900, 300, Alignment::Left, true)};
    };
    std::vector<Control> foot{rule("Line3", 60),
                              textBox("FaLvFaGui", "FaLvFaGui", 0, 150, pageWidth, 300, Alignment::Left, true)};
    double top = 600;
    const struct {
        const char *name, *caption, *field;
    } texts[] = {
        {"Label5", "缴款期限：", "JiaoKuangQiXian"},
        {"Label6", "开户银行：", "KaiHuiYinHang"},
        {"Label7", "账号：", "ZhangHao"},
        {"Label8", "收款单位：", "ShouKuanDanWei"},
        {"Label9", "联系电话：", "DianHua"},
        {"Label10", "异议：", "YiYi"},
    };
    for (const auto& t : texts) {
        for (Control& c : text(t.name, t.caption, t.field, top))
            foot.push_back(c);
        top += 400;
    }
    top += 200;
    foot.push_back(label("Label11", QStringLiteral("经办人："), 0, top, 1000, 300));
    foot.push_back(textBox("JingBanRen", "JingBanRen", 1000, top, 1800, 300, Alignment::Left, true));
    foot.push_back(label("Label12", QStringLiteral("校对人："), 3000, top, 1000, 300));
    foot.push_back(textBox("JiaoDuiRen", "JiaoDuiRen", 4000, top, 1800, 300, Alignment::Left, true));
    foot.push_back(textBox("TongZhiRiQi", "TongZhiRiQi", 6400, top, 3506, 300, Alignment::Right));
    addSection(QStringLiteral("tzdw_Footer"), SectionKind::GroupFooter, top + 400).controls = foot;
}

PaiWuMinXi::PaiWuMinXi()
{
    a4(*this, QStringLiteral("排污情况明细表"));
    Control title = textBox("NianYueQiKuangMingXi", "NianYueQiKuangMingXi", 0, 0, pageWidth, 500, Alignment::Centre);
    title.fontSize = 16;
    title.bold = true;
    Section& head = addSection(QStringLiteral("tzdw_Header"), SectionKind::GroupHeader, 1450);
    head.newPageBefore = true;
    head.controls = {
        title,
        label("Label1", QStringLiteral("单位名称："), 0, 650, 1300, 300),
        textBox("DanWeiQuangCheng", "DanWeiQuangCheng", 1300, 650, 6000, 300, Alignment::Left, true),
        label("Label2", QStringLiteral("编号："), 7400, 650, 800, 300),
        textBox("DanWeiBianHao", "DanWeiBianHao", 8200, 650, 1706, 300),
        rule("Line1", 1030),
        label("Label3", QStringLiteral("排污口"), 0, 1080, 900, 300, Alignment::Centre),
        label("Label4", QStringLiteral("污染物名称"), 1000, 1080, 2200, 300),
        label("Label5", QStringLiteral("污染物数据"), 3300, 1080, 6606, 300),
        rule("Line2", 1420),
    };
    addSection(QStringLiteral("WuRanWuMingXi_Detail"), SectionKind::Detail, 360).controls = {
        textBox("PaiWuKou", "PaiWuKou", 0, 30, 900, 300, Alignment::Centre),
        textBox("WuRanWuMingCheng", "WuRanWuMingCheng", 1000, 30, 2200, 300, Alignment::Left, true),
        textBox("WuRanWuShuJu", "WuRanWuShuJu", 3300, 30, 6606, 300, Alignment::Left, true),
    };
    addSection(QStringLiteral("tzdw_Footer"), SectionKind::GroupFooter, 120).controls = {rule("Line3", 60)};
}

report::Document renderNotices(const QDate& month)
{
    return renderOver(month, tzdw(), QStringLiteral("select * from MX where DanWeiBianHao = ? Order by ID ASC"));
}

report::Document renderPollutantDetails(const QDate& month)
{
    return renderOver(month, PaiWuMinXi(),
                      QStringLiteral("select * from WuRanWuMingXi where DanWeiBianHao = ? Order By PaiWuKou ASC"));
}

printRun::Outcome PrintNotices(QWidget* window, const QList<QWidget*>& commands)
{
    return printReport(window, commands, QStringLiteral("正在打印通知..."), renderNotices);
}

printRun::Outcome PrintPollutantDetails(QWidget* window, const QList<QWidget*>& commands)
{
    return printReport(window, commands, QStringLiteral("正在打印排污明细..."), renderPollutantDetails);
}

} // namespace notices
