// The control's module: what the library holds from its load to its unload, namely the count of its live
// objects and host locks, and the class factories of the control and of its property page.
#pragma once

#include "platform/component/class_factory.h"

namespace quorbel {

class CQuorbelApp {
public:
    static CQuorbelApp& instance();

    component::Module& module() { return m_module; }
    // The factory of a class the library serves, or null.
    component::IClassFactory* factory(const QUuid& clsid);

private:
    CQuorbelApp() = default;
    component::Module m_module;
};

} // namespace quorbel
