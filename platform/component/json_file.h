#pragma once
// The small JSON files of the component model (the registry of components, a control's own lists):
// read whole, written whole through a save file, so a reader never sees half a file.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <optional>

namespace component {

// The file's object: empty when there is no file (or an empty one), nothing when it cannot be read
// or is not a JSON object, so that a caller never writes over a file it does not understand.
inline std::optional<QJsonObject> loadJsonObject(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return QJsonObject();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (bytes.trimmed().isEmpty())
        return QJsonObject();
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

inline bool saveJsonObject(const QString& path, const QJsonObject& root)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    return file.commit();
}

} // namespace component
