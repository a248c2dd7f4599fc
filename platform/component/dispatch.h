// Late binding: an object's members are reached by their fixed dispatch identifiers, with the arguments and
// the result as variants, so that a host calls a control it was not built against.
#pragma once

#include "platform/component/unknown.h"

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <cstdint>
#include <limits>

namespace component {

using DispId = std::int32_t;

// What a call asks of a member: run a method, read a property or write one.
enum class Invoke { Method = 1, PropertyGet = 2, PropertyPut = 4 };

class IDispatch : public IUnknown {
public:
    using Base = IUnknown;
    static constexpr QUuid iid{0x00020400, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

    // A property write passes the new value as its one argument; `result` may be null when the caller
    // wants none. Unknown members give DISP_E_MEMBERNOTFOUND, a wrong number of arguments
    // DISP_E_BADPARAMCOUNT, an argument of the wrong kind DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW.
    virtual HResult invoke(DispId member, Invoke kind, const QVariantList& args, QVariant* result) = 0;
};

// Conversions of arguments to the member types, as automation coerces them.
namespace coerce {

// A 16-bit integer (automation's "short"): whole numbers, numeric text, booleans; anything else does not fit.
inline HResult toShort(const QVariant& value, std::int16_t* out)
{
    bool ok = false;
    qlonglong number = 0;
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        number = value.toBool() ? -1 : 0; // automation's True is -1
        ok = true;
        break;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (d < std::numeric_limits<std::int16_t>::min() - 0.5 || d >= std::numeric_limits<std::int16_t>::max() + 0.5)
            return DISP_E_OVERFLOW;
        number = qRound64(d);
        ok = true;
        break;
    }
    case QMetaType::QString:
        number = value.toString().trimmed().toLongLong(&ok);
        break;
    default:
        if (value.canConvert<qlonglong>() && value.metaType().id() != QMetaType::QVariantList)
            number = value.toLongLong(&ok);
        break;
    }
    if (!ok)
        return DISP_E_TYPEMISMATCH;
    if (number < std::numeric_limits<std::int16_t>::min() || number > std::numeric_limits<std::int16_t>::max())
        return DISP_E_OVERFLOW;
    *out = static_cast<std::int16_t>(number);
    return S_OK;
}

// A text (automation's BSTR): text itself, or a number or boolean written out.
inline HResult toText(const QVariant& value, QString* out)
{
    switch (value.metaType().id()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Bool:
        *out = value.toString();
        return S_OK;
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

} // namespace coerce

} // namespace component
