#include "quorbel/forms_registry.h"

#include "platform/component/json_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>

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

bool isWholeNumber(const QJsonValue& value)
{
    const double number = value.toDouble();
    return value.isDouble() && number == std::trunc(number) && number >= std::numeric_limits<std::int32_t>::min() &&
        number <= std::numeric_limits<std::int32_t>::max();
}

bool isForm(const QJsonValue& value)
{
    const QJsonObject form = value.toObject();
    return value.isObject() && form.value("name").isString() && isWholeNumber(form.value("width")) &&
        isWholeNumber(form.value("length"));
}

// A printer's entry: empty when the file has none, nothing when it is not in the shape this file writes.
// Such an entry is somebody else's data, or damage; either way it is not replaced by an edit.
std::optional<QJsonObject> entryOf(const QJsonObject& root, const QString& printer)
{
    const QJsonValue value = root.value("printers").toObject().value(printer);
    if (value.isUndefined())
        return QJsonObject();
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject entry = value.toObject();
    const QJsonValue forms = entry.value("forms");
    if (!forms.isUndefined()) {
        if (!forms.isArray())
            return std::nullopt;
        for (const QJsonValue& form : forms.toArray())
            if (!isForm(form))
                return std::nullopt;
    }
    const QJsonValue selected = entry.value("selected");
    if (!selected.isUndefined() && !selected.isString())
        return std::nullopt;
    return entry;
}

std::optional<QJsonObject> loadEntry(const QString& path, const QString& printer)
{
    const std::optional<QJsonObject> root = load(path);
    if (!root)
        return std::nullopt;
    return entryOf(*root, printer);
}

// Changes the entry of one printer and writes the file back; `change` returns false to refuse.
bool edit(const QString& path, const QString& printer, const std::function<bool(QJsonObject&)>& change)
{
    std::optional<QJsonObject> root = load(path);
    if (!root)
        return false;
    std::optional<QJsonObject> entry = entryOf(*root, printer);
    if (!entry || !change(*entry))
        return false;
    QJsonObject printers = root->value("printers").toObject();
    printers.insert(printer, *entry);
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

} // namespace

QString FormsRegistry::defaultPath()
{
    const QString configured = qEnvironmentVariable("QUORBEL_FORMS_REGISTRY");
    if (!configured.isEmpty())
        return configured;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/qelv/quorbel-forms.json";
}

FormsRegistry::FormsRegistry(QString path)
    : path_(std::move(path))
{
}

std::optional<QList<Form>> FormsRegistry::forms(const QString& printer) const
{
    const auto entry = loadEntry(path_, printer);
    if (!entry)
        return std::nullopt;
    QList<Form> result;
    const QJsonArray forms = entry->value("forms").toArray();
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
    const auto entry = loadEntry(path_, printer);
    if (!entry)
        return QString();
    return entry->value("selected").toString();
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

} // namespace quorbel
