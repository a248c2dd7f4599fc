#include "qelv/core/compaction.h"

#include "platform/files/files.h"
#include "platform/ui/dialogs.h"

namespace compaction {

db::CompactResult compactDataFile(const QString& name, const QString& transientName, QWidget* owner)
{
    QString keptAs;
    const db::CompactResult result = db::compact(files::dataFile(name), transientName, &keptAs);
    if (!keptAs.isEmpty())
        ui::msgBox(QStringLiteral("数据文件夹中有上次压缩未完成时留下的文件 %1，已改名保存为 %2，请检查后处理。")
                       .arg(transientName, keptAs),
                   ui::Buttons::Ok, ui::Icon::Information, QString::fromUtf8(ui::appTitle), owner);
    return result;
}

} // namespace compaction
