#include "qelv/core/paper_record.h"

#include "platform/error/error.h"
#include "platform/files/files.h"
#include "platform/settings/settings.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace paperRecord {

namespace {

QJsonObject toJson(const Entry& e)
{
    QJsonObject o;
    o.insert(QStringLiteral("printer"), e.printer);
    // An absent setting stays absent: the printer then goes back to its driver's default.
    if (e.paper.media)
        o.insert(QStringLiteral("media"), *e.paper.media);
    if (e.paper.orientation)
        o.insert(QStringLiteral("orientation"), *e.paper.orientation);
    o.insert(QStringLiteral("paperSize"), e.paperSizeCode);
    return o;
}

std::optional<Entry> fromJson(const QJsonValue& v)
{
    const QJsonObject o = v.toObject();
    const QJsonValue printer = o.value(QStringLiteral("printer"));
    if (!printer.isString() || printer.toString().isEmpty())
        return std::nullopt;
    Entry e;
    e.printer = printer.toString();
    if (const QJsonValue media = o.value(QStringLiteral("media")); media.isString())
        e.paper.media = media.toString();
    if (const QJsonValue orientation = o.value(QStringLiteral("orientation")); orientation.isDouble())
        e.paper.orientation = orientation.toInt();
    e.paperSizeCode = o.value(QStringLiteral("paperSize")).toInt();
    return e;
}

void write(const QList<Entry>& list)
{
    if (list.isEmpty()) {
        if (QFile::exists(path()) && !QFile::remove(path()))
            throw platform::Error(QStringLiteral("无法删除文件：%1").arg(path()));
        return;
    }
    QJsonArray array;
    for (const Entry& e : list)
        array.append(toJson(e));
    try {
        files::writeDurably(path(), QJsonDocument(array).toJson());
    } catch (const files::Error& e) {
        throw platform::Error(QStringLiteral("无法记下打印机原来的纸张：%1").arg(e.description()));
    }
}

} // namespace

QString path()
{
    return settings::folder(QString::fromUtf8(settings::appName)) + QStringLiteral("/printer-paper.json");
}

QList<Entry> entries(const ErrorSink& errors)
{
    QFile f(path());
    if (!f.exists())
        return {};
    QList<Entry> list;
    QJsonParseError parse{};
    const QJsonDocument doc =
        f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll(), &parse) : QJsonDocument();
    bool damaged = !doc.isArray();
    for (const QJsonValue& v : doc.array()) {
        if (const auto e = fromJson(v))
            list << *e;
        else
            damaged = true;
    }
    if (damaged && errors)
        errors(
            QStringLiteral("记录打印机原来纸张的文件 %1 无法读取，其中的打印机纸张没有恢复，请检查打印机的纸张设置。")
                .arg(path()));
    return list;
}

std::optional<Entry> entryFor(const QString& printer, const ErrorSink& errors)
{
    for (const Entry& e : entries(errors))
        if (e.printer == printer)
            return e;
    return std::nullopt;
}

void remember(const Entry& entry)
{
    QList<Entry> list = entries();
    list.removeIf([&](const Entry& e) { return e.printer == entry.printer; });
    list << entry;
    write(list);
}

void forget(const QString& printer)
{
    QList<Entry> list = entries();
    if (list.removeIf([&](const Entry& e) { return e.printer == printer; }) > 0 || list.isEmpty())
        write(list);
}

void restoreAll(const ErrorSink& errors)
{
    if (!QFile::exists(path()))
        return;
    const QList<Entry> list = entries(errors);
    for (const Entry& e : list) {
        try {
            try {
                if (printing::printerPaper(e.printer) != e.paper)
                    printing::restorePrinterPaper(e.printer, e.paper);
            } catch (const printing::UnknownPrinter&) {
                // A printer removed since has no paper to set back.
                platform::warnDropped("paper record: setting back the paper of a printer no longer there");
            }
            forget(e.printer);
        } catch (const std::exception& ex) {
            if (errors)
                errors(QStringLiteral("打印机“%1”上次打印时改过的纸张还没有恢复：%2")
                           .arg(e.printer, platform::describe(ex)));
        }
    }
    if (list.isEmpty())
        forget(QString()); // an unreadable record was reported: it is not read again at every start
}

} // namespace paperRecord
