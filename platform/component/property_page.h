// A property page that a host's property browser shows for a control.
#pragma once

#include "platform/component/unknown.h"

#include <QString>

class QWidget;

namespace component {

class IPropertyPage : public IUnknown {
public:
    using Base = IUnknown;
    static constexpr QUuid iid{0xB196B28D, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07};

    virtual QString caption() = 0;
    // A new widget of the page; `parent` owns it.
    virtual QWidget* createPage(QWidget* parent) = 0;
};

} // namespace component
