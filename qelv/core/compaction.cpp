#include "qelv/core/compaction.h"

#include "platform/files/files.h"
#include "platform/ui/dialogs.h"

namespace compaction {

db::CompactResult compactDataFile(const QString& name, const QString& transientName, QWidget* owner)
{
    QString keptAs, keptFrom;
    const db::CompactResult result = db::compact(files::dataFile(name), transientName, &keptAs, &keptFrom);
    if (!keptAs.isEmpty())
        ui::inform(keptFrom.isEmpty()
                       ? QStringLiteral("数据文件夹中有上次压缩未完成时留下的文件 %1，已改名保存为 %2，请检查后处理。")
                             .arg(transientName, keptAs)
                       // Earlier versions never changed the database before their copy was complete.
                       : QStringLiteral("数据文件夹中有上次压缩数据库 %3 未完成时留下的文件 %1（%3 "
                                        "本身未被改变），已改名保存为 %2，请检查后处理。%3 只保留最新的一份这样的副本，"
                                        "较早的已删除。")
                             .arg(transientName, keptAs, keptFrom),
                   owner);
    return result;
}

} // namespace compaction
