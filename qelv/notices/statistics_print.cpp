#include "qelv/notices/statistics_print.h"

#include "platform/report/report_data.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_env.h"
#include "qelv/core/error_sink.h"
#include "qelv/core/frmMsgBox.h"
#include "qelv/notices/frmBB.h"

#include <memory>

namespace statistics {

QString reportTitle(const QString& orgName, const QDate& workMonth)
{
    return orgName + QString::number(workMonth.year()) + QStringLiteral("报表");
}

report::Document renderReport(const QString& conditionText)
{
    DataEnv::Loaded env;
    const std::unique_ptr<report::RowSource> rows = env->command(QStringLiteral("Command6"));
    frmBB form;
    form.control(QStringLiteral("ReportHeader"), QStringLiteral("lBiaoTou")).caption =
        reportTitle(Module1::gOrgName, Module1::gWorkMonth);
    form.control(QStringLiteral("ReportHeader"), QStringLiteral("Ltj")).caption =
        QStringLiteral("条件为 ") + conditionText;
    return form.render(*rows);
}

printRun::Outcome PrintReport(QWidget* window, const QList<QWidget*>& commands, const QString& conditionText)
{
    const QString progressText = QStringLiteral("正在打印报表...");
    // Closed however the run ends, a cancelled print dialog included.
    std::unique_ptr<frmMsgBox> progress(new frmMsgBox(window));
    progress->showText(progressText);

    auto document = std::make_shared<report::Document>();
    printRun::Request request;
    request.paper = {1, QStringLiteral("UserDefineA4"), 2100, 2970, 9};
    request.check = [document, conditionText] { *document = renderReport(conditionText); };
    request.render = [document] { return std::move(*document); };
    request.showPrintDialog = true;
    request.progress = [&progress](int pending) {
        progress->setText(QStringLiteral("正在打印报表 ") + QString::number(pending));
    };
    request.window = window;
    request.commands = commands;
    request.errors = messageBoxSink(window);
    const printRun::Outcome outcome = printRun::run(request);
    progress->close();
    return outcome;
}

} // namespace statistics
