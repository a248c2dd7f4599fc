// The registry of components: a file of ours that maps class identifiers and ProgIDs to the library that
// serves them, and keeps the type libraries that libraries register. It is a JSON file whose place is the
// environment variable QELV_COMPONENT_REGISTRY, else components.json in the "qelv" folder of the user's
// configuration folder. Every change reads the file, changes it in memory and writes it back whole
// (through a temporary file, so that a reader never sees half a file). A file that is there but is no
// registry is never overwritten: the change fails instead, and the file stays as it was.
#pragma once

#include "platform/component/json_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <QString>
#include <QUuid>
#include <functional>
#include <optional>

namespace component {

struct TypeLibEntry {
    QUuid id{};
    int major = 1;
    int minor = 0;
    QString name{};
    QString helpString{};
    QString helpFile{};
    QString library{}; // the library that holds it
};

struct ClassEntry {
    QUuid clsid{};
    QString progId{}; // may be empty: a class reached by its identifier only
    QString name{}; // the user type name
    QString library{}; // full path of the library that serves it
    QString threadingModel{}; // empty when the class names none
    quint32 miscStatus = 0;
    int toolboxBitmap = 0; // 0: none
    QUuid typeLib{}; // null: none
    QString typeLibVersion{};
    bool control = false;
};

class Registry {
public:
    static QString defaultPath()
    {
        const QString configured = qEnvironmentVariable("QELV_COMPONENT_REGISTRY");
        if (!configured.isEmpty())
            return configured;
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/qelv/components.json";
    }

    explicit Registry(QString path = defaultPath())
        : path_(std::move(path))
    {
    }
    const QString& path() const { return path_; }

    bool registerTypeLib(const TypeLibEntry& entry) const
    {
        return edit([&](QJsonObject& root) {
            QJsonObject libs;
            if (!section(root, "typeLibs", &libs))
                return false;
            QJsonObject versions = libs.value(key(entry.id)).toObject();
            versions.insert(version(entry.major, entry.minor),
                            QJsonObject{{"name", entry.name},
                                        {"helpString", entry.helpString},
                                        {"helpFile", entry.helpFile},
                                        {"library", entry.library}});
            libs.insert(key(entry.id), versions);
            store(root, "typeLibs", libs);
            return true;
        });
    }

    bool unregisterTypeLib(const QUuid& id, int major, int minor) const
    {
        return edit([&](QJsonObject& root) {
            QJsonObject libs;
            if (!section(root, "typeLibs", &libs))
                return false;
            QJsonObject versions = libs.value(key(id)).toObject();
            versions.remove(version(major, minor));
            if (versions.isEmpty())
                libs.remove(key(id));
            else
                libs.insert(key(id), versions);
            store(root, "typeLibs", libs);
            return true;
        });
    }

    // Writes the class and, when it has one, its ProgID; a ProgID that named another class now names this one.
    bool registerClass(const ClassEntry& entry) const
    {
        if (entry.clsid.isNull() || entry.library.isEmpty())
            return false;
        return edit([&](QJsonObject& root) {
            QJsonObject classes, progIds;
            if (!section(root, "classes", &classes) || !section(root, "progIds", &progIds))
                return false;
            QJsonObject value{{"name", entry.name},
                              {"library", entry.library},
                              {"control", entry.control},
                              {"miscStatus", static_cast<qint64>(entry.miscStatus)}};
            if (!entry.progId.isEmpty())
                value.insert("progId", entry.progId);
            if (!entry.threadingModel.isEmpty())
                value.insert("threadingModel", entry.threadingModel);
            if (entry.toolboxBitmap)
                value.insert("toolboxBitmap", entry.toolboxBitmap);
            if (!entry.typeLib.isNull()) {
                value.insert("typeLib", key(entry.typeLib));
                value.insert("typeLibVersion", entry.typeLibVersion);
            }
            classes.insert(key(entry.clsid), value);
            if (!entry.progId.isEmpty())
                progIds.insert(entry.progId, key(entry.clsid));
            store(root, "classes", classes);
            store(root, "progIds", progIds);
            return true;
        });
    }

    // Removes the class and every ProgID that names it.
    bool unregisterClass(const QUuid& clsid) const
    {
        return edit([&](QJsonObject& root) {
            QJsonObject classes, progIds;
            if (!section(root, "classes", &classes) || !section(root, "progIds", &progIds))
                return false;
            classes.remove(key(clsid));
            for (const QString& progId : progIds.keys())
                if (progIds.value(progId).toString() == key(clsid))
                    progIds.remove(progId);
            store(root, "classes", classes);
            store(root, "progIds", progIds);
            return true;
        });
    }

    std::optional<ClassEntry> findClass(const QUuid& clsid) const
    {
        const auto root = load();
        if (!root)
            return std::nullopt;
        const QJsonValue value = root->value("classes").toObject().value(key(clsid));
        if (!value.isObject())
            return std::nullopt;
        const QJsonObject o = value.toObject();
        ClassEntry entry;
        entry.clsid = clsid;
        entry.progId = o.value("progId").toString();
        entry.name = o.value("name").toString();
        entry.library = o.value("library").toString();
        entry.threadingModel = o.value("threadingModel").toString();
        entry.miscStatus = static_cast<quint32>(o.value("miscStatus").toInteger());
        entry.toolboxBitmap = o.value("toolboxBitmap").toInt();
        entry.typeLib = QUuid::fromString(o.value("typeLib").toString());
        entry.typeLibVersion = o.value("typeLibVersion").toString();
        entry.control = o.value("control").toBool();
        return entry;
    }

    // The class that a ProgID names, or a class identifier given as text ("{...}").
    std::optional<ClassEntry> findClass(const QString& progIdOrClsid) const
    {
        const QUuid asId = QUuid::fromString(progIdOrClsid);
        if (!asId.isNull())
            return findClass(asId);
        const auto root = load();
        if (!root)
            return std::nullopt;
        const QUuid clsid = QUuid::fromString(root->value("progIds").toObject().value(progIdOrClsid).toString());
        if (clsid.isNull())
            return std::nullopt;
        return findClass(clsid);
    }

    std::optional<TypeLibEntry> findTypeLib(const QUuid& id, int major, int minor) const
    {
        const auto root = load();
        if (!root)
            return std::nullopt;
        const QJsonValue value =
            root->value("typeLibs").toObject().value(key(id)).toObject().value(version(major, minor));
        if (!value.isObject())
            return std::nullopt;
        const QJsonObject o = value.toObject();
        return TypeLibEntry{id,
                            major,
                            minor,
                            o.value("name").toString(),
                            o.value("helpString").toString(),
                            o.value("helpFile").toString(),
                            o.value("library").toString()};
    }

private:
    static QString key(const QUuid& id) { return id.toString(QUuid::WithBraces).toUpper(); }
    static QString version(int major, int minor) { return QString::number(major) + '.' + QString::number(minor); }

    // A section of the registry, empty when absent; false when it is there but is no section.
    static bool section(const QJsonObject& root, const char* name, QJsonObject* out)
    {
        const QJsonValue value = root.value(QLatin1String(name));
        if (value.isUndefined()) {
            *out = QJsonObject();
            return true;
        }
        if (!value.isObject())
            return false;
        *out = value.toObject();
        return true;
    }

    // Puts a section back; an empty one that was not there stays away, so that removing what is not
    // registered changes nothing.
    static void store(QJsonObject& root, const char* name, const QJsonObject& value)
    {
        if (value.isEmpty() && !root.contains(QLatin1String(name)))
            return;
        root.insert(QLatin1String(name), value);
    }

    // The registry as it is: empty when there is no file yet, nothing when the file cannot be read as one.
    std::optional<QJsonObject> load() const { return loadJsonObject(path_); }

    bool edit(const std::function<bool(QJsonObject&)>& change) const
    {
        std::optional<QJsonObject> root = load();
        if (!root)
            return false;
        const QJsonObject before = *root;
        if (!change(*root))
            return false;
        if (*root == before)
            return true; // nothing to write: removing what is not there leaves no file behind
        return saveJsonObject(path_, *root);
    }

    QString path_;
};

} // namespace component
