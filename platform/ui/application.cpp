#include "platform/ui/application.h"

#include "platform/process/heap.h"
#include "platform/ui/dialogs.h"

#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ui {

namespace {

// Every text of the program is Chinese, so Qt's own are too, also on a machine set up in another
// language: a print dialog in English beside Chinese windows only confuses the operator.
void speakChinese(QApplication& app)
{
    const QLocale chinese(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
    QLocale::setDefault(chinese);
    // Qt Widgets and Print Support both take their texts from the qtbase catalogue.
    auto* translator = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"), folder))
        QApplication::installTranslator(translator);
    else
        qWarning("Qt's Chinese translations are missing (%s): Qt's own dialogs show English texts",
                 qPrintable(QDir(folder).filePath(QStringLiteral("qtbase_zh_CN.qm"))));
}

} // namespace

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
{
    process::keepFreedHeap();
    speakChinese(*this);
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showError(e);
    } catch (...) {
        showError(QStringLiteral("未知错误"));
    }
    return false;
}

} // namespace ui
