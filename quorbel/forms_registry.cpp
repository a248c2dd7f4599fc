#include "quorbel/forms_registry.h"

#include "platform/component/json_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <functional>

namespace quorbel {

namespace {

std::optional<QJsonObject> load(const QString& path)
{
    std::optional<QJsonObject> root = component::loadJsonObject(path);
    if (!root)
        return std::nullopt;
    const QJsonValue printers = root->value("printers");
    if (!printers.isUndefined() && !printers.isObject())
        return std::nullopt;
    return root;
}

// Changes the entry of one printer and writes the file back; `change` returns false to refuse.
bool edit(const QString& path, const QString& printer, const std::function<bool(QJsonObject&)>& change)
{
    std::optional<QJsonObject> root = load(path);
    if (!root)
        return false;
    QJsonObject printers = root->value("printers").toObject();
    QJsonObject entry = printers.value(printer).toObject();
    if (!change(entry))
        return false;
    printers.insert(printer, entry);
    root->insert("printers", printers);
    return component::saveJsonObject(path, *root);
}

Form formOf(const QJsonObject& o)
{
    return Form{o.value("name").toString(), o.value("width").toInt(), o.value("length").toInt()};
}

QJsonObject jsonOf(const Form& form)
{
    return QJsonObject{{"name", form.name}, {"width", form.width}, {"length", form.length}};
}

}  // namespace

QString FormsRegistry::defaultPath()
{
    const QString configured = qEnvironmentVariable("QUORBEL_FORMS_REGISTRY");
    if (!configured.isEmpty())
        return configured;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/qelv/quorbel-forms.json";
}

FormsRegistry::FormsRegistry(QString path) : path_(std::move(path)) {}

std::optional<QList<Form>> FormsRegistry::forms(const QString& printer) const
{
    const auto root = load(path_);
    if (!root)
        return std::nullopt;
    QList<Form> result;
    const QJsonArray forms = root->value("printers").toObject().value(printer).toObject().value("forms").toArray();
    for (const QJsonValue& value : forms)
        result.append(formOf(value.toObject()));
    return result;
}

bool FormsRegistry::add(const QString& printer, const Form& form) const
{
    if (form.name.isEmpty())
        return false;
    return edit(path_, printer, [&](QJsonObject& entry) {
        QJsonArray forms = entry.value("forms").toArray();
        for (const QJsonValue& value : forms)
            if (value.toObject().value("name").toString() == form.name)
                return false;
        forms.append(jsonOf(form));
        entry.insert("forms", forms);
        return true;
    });
}

bool FormsRegistry::resize(const QString& printer, const Form& form) const
{
    return edit(path_, printer, [&](QJsonObject& entry) {
        QJsonArray forms = entry.value("forms").toArray();
        for (qsizetype i = 0; i < forms.size(); ++i) {
            if (forms.at(i).toObject().value("name").toString() == form.name) {
                forms.replace(i, jsonOf(form));
                entry.insert("forms", forms);
                return true;
            }
        }
        return false;
    });
}

QString FormsRegistry::selected(const QString& printer) const
{
    const auto root = load(path_);
    if (!root)
        return QString();
    return root->value("printers").toObject().value(printer).toObject().value("selected").toString();
}

bool FormsRegistry::select(const QString& printer, const QString& formName) const
{
    if (formName == selected(printer))
        return true;
    return edit(path_, printer, [&](QJsonObject& entry) {
        if (formName.isEmpty())
            entry.remove("selected");
        else
            entry.insert("selected", formName);
        return true;
    });
}

}  // namespace quorbel
