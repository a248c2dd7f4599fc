#include "quorbel/CQuorbelApp.h"

#include "quorbel/CQuorbelCtrl.h"
#include "quorbel/CQuorbelPropPage.h"
#include "quorbel/cups_spooler.h"
#include "quorbel/identities.h"

#include "platform/component/property_page.h"
#include "platform/component/server.h"

namespace quorbel {

using namespace component;

namespace {

// The property page as the component model hands it to a host's property browser.
class PropPageObject : public Object<IPropertyPage> {
public:
    using Object::Object;
    QString caption() override { return QString::fromLatin1(kStringPropPageCaption); }
    QWidget* createPage(QWidget* parent) override { return new CQuorbelPropPage(parent); }
};

IUnknown* makeControl(Module& module)
{
    return static_cast<IDispatch*>(new CQuorbelCtrl(module, std::make_shared<CupsSpooler>()));
}

IUnknown* makePropPage(Module& module)
{
    return static_cast<IPropertyPage*>(new PropPageObject(module));
}

TypeLibEntry typeLib()
{
    return TypeLibEntry{kTypeLibId,
                        kTypeLibMajor,
                        kTypeLibMinor,
                        QString::fromLatin1(kTypeLibName),
                        QString::fromLatin1(kTypeLibHelpString),
                        QString::fromLatin1(kTypeLibHelpFile),
                        libraryPathOf(reinterpret_cast<const void*>(&makeControl))};
}

ClassEntry controlClass()
{
    ClassEntry entry;
    entry.clsid = kControlClassId;
    entry.progId = QString::fromLatin1(kControlProgId);
    entry.name = QString::fromLatin1(kStringControlName);
    entry.library = libraryPathOf(reinterpret_cast<const void*>(&makeControl));
    entry.threadingModel = QStringLiteral("Apartment");
    entry.miscStatus = kMiscStatus;
    entry.toolboxBitmap = kToolboxBitmap;
    entry.typeLib = kTypeLibId;
    entry.typeLibVersion = QStringLiteral("1.0");
    entry.control = true;
    return entry;
}

ClassEntry propPageClass()
{
    ClassEntry entry;
    entry.clsid = kPropPageClassId;
    entry.name = QString::fromLatin1(kStringPropPageName);
    entry.library = libraryPathOf(reinterpret_cast<const void*>(&makeControl));
    return entry;
}

} // namespace

CQuorbelApp& CQuorbelApp::instance()
{
    static CQuorbelApp app;
    return app;
}

IClassFactory* CQuorbelApp::factory(const QUuid& clsid)
{
    static ClassFactory control(m_module, makeControl);
    static ClassFactory page(m_module, makePropPage);
    if (clsid == kControlClassId)
        return &control;
    if (clsid == kPropPageClassId)
        return &page;
    return nullptr;
}

} // namespace quorbel

using namespace component;
using quorbel::CQuorbelApp;

COMPONENT_EXPORT HResult DllRegisterServer()
{
    return registerServer(Registry(), quorbel::typeLib(), {quorbel::controlClass(), quorbel::propPageClass()});
}

COMPONENT_EXPORT HResult DllUnregisterServer()
{
    return unregisterServer(Registry(), quorbel::kTypeLibId, quorbel::kTypeLibMajor, quorbel::kTypeLibMinor,
                            {quorbel::kControlClassId, quorbel::kPropPageClassId});
}

COMPONENT_EXPORT HResult DllGetClassObject(const QUuid& clsid, const QUuid& iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    IClassFactory* factory = CQuorbelApp::instance().factory(clsid);
    if (!factory)
        return CLASS_E_CLASSNOTAVAILABLE;
    return factory->queryInterface(iid, object);
}

COMPONENT_EXPORT HResult DllCanUnloadNow()
{
    return CQuorbelApp::instance().module().canUnload() ? S_OK : S_FALSE;
}
