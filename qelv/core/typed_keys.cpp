#include "qelv/core/typed_keys.h"

#include "platform/error/error.h"
#include "platform/ui/recordset_model.h"

namespace typedKeys {

QString blanksProblem(const QString& field, const QString& typed)
{
    const QString trimmed = typed.trimmed();
    if (typed == trimmed)
        return QString();
    if (trimmed.isEmpty())
        return QStringLiteral("%1不能为空（输入的只有空格）。").arg(field);
    return QStringLiteral("%1“%2”的前后有空格：%1前后不能有空格，请去掉空格后再输入。").arg(field, typed);
}

bool isKeyField(const QString& field)
{
    for (const char* key : {"DanWeiBianHao", "WuRanWuBianHao", "PaiWuKou"})
        if (field.compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void guardKeyColumns(ui::RecordsetModel& model)
{
    model.setEditCheck([&model](int column, const QString& text) {
        const QList<ui::GridColumn> columns = model.columns();
        if (column < 0 || column >= columns.size() || !isKeyField(columns[column].field))
            return;
        const QString caption = columns[column].caption.trimmed();
        const QString problem = blanksProblem(caption.isEmpty() ? columns[column].field : caption, text);
        if (!problem.isEmpty())
            throw platform::Error(problem);
    });
}

} // namespace typedKeys
