// The control as a host meets it: registered by its library's exports in a registry file of the test's
// own, created through the registry by ProgID or class identifier, and called late-bound by dispatch
// identifier. Nothing of the control is linked in: the library is loaded as the program loads it.
#include "platform/component/host.h"
#include "platform/component/property_page.h"
#include "tests/fixtures/modal.h"

#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace component;

const QUuid kControl = QUuid::fromString(QStringLiteral("{4E79D236-3AD6-44D3-9AFC-754AD7ABF9E2}"));
const QUuid kPropPage = QUuid::fromString(QStringLiteral("{21DAA67D-0E1F-497A-8652-A14AC1E4070A}"));
const QUuid kTypeLib = QUuid::fromString(QStringLiteral("{8069E170-9517-4AF3-9B3D-4FE099226F5B}"));
const QString kProgId = QStringLiteral("QUORBEL.QuorbelCtrl.1");

enum : DispId {
    Orientation = 1,
    PaperLength = 2,
    PaperWidth = 3,
    UserFormName = 4,
    PrinterName = 7,
    PaperSize = 8,
    SetPaper = 9,
    AboutBox = -552
};

class QuorbelComponent : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        registryPath = dir.path() + "/components.json";
        qputenv("QELV_COMPONENT_REGISTRY", registryPath.toUtf8());
        HResult hr = E_FAIL;
        library = Library::open(QStringLiteral(QUORBEL_LIBRARY), &hr);
        ASSERT_EQ(hr, S_OK) << QUORBEL_LIBRARY;
    }
    void TearDown() override { qunsetenv("QELV_COMPONENT_REGISTRY"); }

    HResult registerServer() { return library->entry<DllRegisterServerFunction>(kDllRegisterServer)(); }
    HResult unregisterServer() { return library->entry<DllUnregisterServerFunction>(kDllUnregisterServer)(); }

    void writeRegistry(const QByteArray& text)
    {
        QFile file(registryPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    QByteArray registryText()
    {
        QFile file(registryPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    Dispatch create()
    {
        Dispatch control;
        EXPECT_EQ(registerServer(), S_OK);
        EXPECT_EQ(createObject(kProgId, &control), S_OK);
        return control;
    }

    QTemporaryDir dir;
    QString registryPath;
    std::shared_ptr<Library> library;
};

TEST_F(QuorbelComponent, RegistrationWritesTheClassesAndTheTypeLibrary)
{
    ASSERT_EQ(registerServer(), S_OK);
    const Registry registry(registryPath);
    const QString path = QFileInfo(QStringLiteral(QUORBEL_LIBRARY)).canonicalFilePath();

    const auto control = registry.findClass(kProgId);
    ASSERT_TRUE(control);
    EXPECT_EQ(control->clsid, kControl);
    EXPECT_EQ(control->name, QStringLiteral("Quorbel Control"));
    EXPECT_EQ(control->library, path);
    EXPECT_EQ(control->threadingModel, QStringLiteral("Apartment"));
    EXPECT_EQ(control->miscStatus, 0x00020191u);
    EXPECT_EQ(control->toolboxBitmap, 1);
    EXPECT_EQ(control->typeLib, kTypeLib);
    EXPECT_EQ(control->typeLibVersion, QStringLiteral("1.0"));
    EXPECT_TRUE(control->control);

    const auto page = registry.findClass(kPropPage);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->name, QStringLiteral("Quorbel Property Page"));
    EXPECT_TRUE(page->progId.isEmpty());
    EXPECT_TRUE(page->threadingModel.isEmpty());
    EXPECT_FALSE(registry.findClass(QStringLiteral("QUORBEL.QuorbelPropPage.1")))
        << "the page's ProgID is not registered";

    const auto typeLib = registry.findTypeLib(kTypeLib, 1, 0);
    ASSERT_TRUE(typeLib);
    EXPECT_EQ(typeLib->name, QStringLiteral("QUORBELLib"));
    EXPECT_EQ(typeLib->helpString, QStringLiteral("Quorbel ActiveX Control module"));
    EXPECT_EQ(typeLib->helpFile, QStringLiteral("Quorbel.hlp"));
    EXPECT_EQ(typeLib->library, path);
}

TEST_F(QuorbelComponent, UnregistrationRemovesWhatRegistrationWrote)
{
    writeRegistry(R"({"classes": {"{00000000-0000-0000-0000-000000000001}": {"library": "/other.so"}}})");
    ASSERT_EQ(registerServer(), S_OK);
    ASSERT_EQ(unregisterServer(), S_OK);
    const Registry registry(registryPath);
    EXPECT_FALSE(registry.findClass(kProgId));
    EXPECT_FALSE(registry.findClass(kControl));
    EXPECT_FALSE(registry.findClass(kPropPage));
    EXPECT_FALSE(registry.findTypeLib(kTypeLib, 1, 0));
    EXPECT_TRUE(registry.findClass(QUuid::fromString(QStringLiteral("{00000000-0000-0000-0000-000000000001}"))))
        << "another library's class stays";
    EXPECT_EQ(unregisterServer(), S_OK) << "nothing left to remove";
}

TEST_F(QuorbelComponent, UnregisteringWhatWasNeverRegisteredLeavesNoFile)
{
    EXPECT_EQ(unregisterServer(), S_OK);
    EXPECT_FALSE(QFile::exists(registryPath));
}

// The type library comes first: when it cannot be written nothing else is tried; a class that cannot be
// written fails with the class code. A registry file that is no registry is never overwritten.
TEST_F(QuorbelComponent, RegistrationFailuresGiveTheirCodesAndLoseNoData)
{
    struct Case {
        const char* what;
        QByteArray file;
        HResult registration;
        HResult unregistration;
        bool typeLibWritten;
    };
    const Case cases[] = {
        {"damaged file", "{ \"classes\": ", SELFREG_E_TYPELIB, SELFREG_E_TYPELIB, false},
        {"no JSON object", "[]", SELFREG_E_TYPELIB, SELFREG_E_TYPELIB, false},
        {"type libraries not a section", R"({"typeLibs": 1})", SELFREG_E_TYPELIB, SELFREG_E_TYPELIB, false},
        {"classes not a section", R"({"classes": []})", SELFREG_E_CLASS, SELFREG_E_CLASS, true},
        {"ProgIDs not a section", R"({"progIds": "x"})", SELFREG_E_CLASS, SELFREG_E_CLASS, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeRegistry(c.file);
        EXPECT_EQ(registerServer(), c.registration);
        EXPECT_EQ(Registry(registryPath).findTypeLib(kTypeLib, 1, 0).has_value(), c.typeLibWritten);
        EXPECT_FALSE(Registry(registryPath).findClass(kProgId));
        if (!c.typeLibWritten) {
            EXPECT_EQ(registryText(), c.file);
        }
        writeRegistry(c.file);
        EXPECT_EQ(unregisterServer(), c.unregistration);
        EXPECT_EQ(registryText(), c.file);
    }
}

TEST_F(QuorbelComponent, RegistryInAPlaceThatCannotBeWrittenFailsAtTheTypeLibrary)
{
    QFile file(dir.path() + "/a-file");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    for (const QString& place : {dir.path(), dir.path() + "/a-file/components.json"}) {
        qputenv("QELV_COMPONENT_REGISTRY", place.toUtf8());
        EXPECT_EQ(registerServer(), SELFREG_E_TYPELIB) << place.toStdString();
    }
}

TEST_F(QuorbelComponent, CreationGoesThroughTheRegistry)
{
    Dispatch control;
    EXPECT_EQ(createObject(kProgId, &control), REGDB_E_CLASSNOTREG) << "not registered yet";
    EXPECT_FALSE(control);
    ASSERT_EQ(registerServer(), S_OK);
    EXPECT_EQ(createObject(kProgId, &control), S_OK);
    EXPECT_TRUE(control);
    EXPECT_EQ(createObject(kControl.toString(), &control), S_OK);
    EXPECT_TRUE(control);
    ASSERT_EQ(unregisterServer(), S_OK);
    EXPECT_EQ(createObject(kProgId, &control), REGDB_E_CLASSNOTREG);

    const ClassEntry moved{.clsid = kControl, .progId = kProgId, .library = dir.path() + "/gone.so"};
    ASSERT_TRUE(Registry(registryPath).registerClass(moved));
    EXPECT_EQ(createObject(kProgId, &control), CO_E_DLLNOTFOUND);
}

TEST_F(QuorbelComponent, PropertiesByDispatchIdentifier)
{
    Dispatch control = create();
    ASSERT_TRUE(control);
    const std::pair<DispId, QVariant> initial[] = {{Orientation, 1},         {PaperLength, 270},
                                                   {PaperWidth, 210},        {UserFormName, "User Defined"},
                                                   {PrinterName, QString()}, {PaperSize, 8}};
    for (const auto& [id, value] : initial) {
        HResult hr = E_FAIL;
        EXPECT_EQ(control.get(id, &hr).toString(), value.toString()) << id;
        EXPECT_EQ(hr, S_OK);
    }
    // the order in which the printing windows set them
    const std::pair<DispId, QVariant> request[] = {
        {PrinterName, "Printer"}, {Orientation, 2},   {UserFormName, "UserDefineA4"},
        {PaperLength, 2100},      {PaperWidth, 2970}, {PaperSize, 256}};
    for (const auto& [id, value] : request)
        EXPECT_EQ(control.put(id, value), S_OK) << id;
    for (const auto& [id, value] : request)
        EXPECT_EQ(control.get(id).toString(), value.toString()) << id;
    HResult hr = S_OK;
    control.get(5, &hr);
    EXPECT_EQ(hr, DISP_E_MEMBERNOTFOUND);
}

// Nothing listens where CUPS_SERVER points: the request fails without reaching any scheduler of the machine.
TEST_F(QuorbelComponent, SetPaperReportsFailureAsFalse)
{
    qputenv("CUPS_SERVER", "127.0.0.1:9");
    Dispatch control = create();
    ASSERT_TRUE(control);
    control.put(PrinterName, "NoSuchPrinter");
    HResult hr = E_FAIL;
    const QVariant result = control.call(SetPaper, {}, &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(result.metaType().id(), QMetaType::Bool);
    EXPECT_FALSE(result.toBool());
    qunsetenv("CUPS_SERVER");
}

TEST_F(QuorbelComponent, AboutBoxRunsModallyUntilClosed)
{
    Dispatch control = create();
    ASSERT_TRUE(control);
    bool shown = false;
    fixtures::whenShown<QDialog>("CQuorbelAboutDlg", [&](QDialog* box) {
        shown = true;
        EXPECT_TRUE(box->isModal());
        box->findChild<QPushButton*>("IDOK")->click();
    });
    HResult hr = E_FAIL;
    const QVariant result = control.call(AboutBox, {}, &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(result.isValid()) << "AboutBox gives no result";
}

TEST_F(QuorbelComponent, FactoriesAndUnloading)
{
    EXPECT_EQ(library->canUnloadNow(), S_OK);
    Ptr<IClassFactory> factory;
    EXPECT_EQ(library->getClassObject(QUuid::createUuid(), IClassFactory::iid, factory.out()),
              CLASS_E_CLASSNOTAVAILABLE);

    ASSERT_EQ(library->getClassObject(kPropPage, IClassFactory::iid, factory.out()), S_OK);
    EXPECT_EQ(library->canUnloadNow(), S_FALSE) << "a factory is held";
    Ptr<IPropertyPage> page;
    EXPECT_EQ(factory->createInstance(nullptr, IPropertyPage::iid, page.out()), S_OK);
    factory.reset();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->caption(), QStringLiteral("General"));
    QWidget host;
    QWidget* widget = page->createPage(&host);
    ASSERT_NE(widget, nullptr);
    EXPECT_NE(widget->findChild<QLabel*>("lblText"), nullptr);
    EXPECT_EQ(library->canUnloadNow(), S_FALSE) << "a page is alive";
    page.reset();
    EXPECT_EQ(library->canUnloadNow(), S_OK);

    ASSERT_EQ(library->getClassObject(kControl, IClassFactory::iid, factory.out()), S_OK);
    Ptr<IDispatch> object;
    EXPECT_EQ(factory->createInstance(factory.get(), IDispatch::iid, object.out()), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->createInstance(nullptr, IClassFactory::iid, object.out()), E_NOINTERFACE);
    EXPECT_EQ(factory->lockServer(true), S_OK);
    factory.reset();
    EXPECT_EQ(library->canUnloadNow(), S_FALSE) << "the host holds a lock";
    ASSERT_EQ(library->getClassObject(kControl, IClassFactory::iid, factory.out()), S_OK);
    EXPECT_EQ(factory->lockServer(false), S_OK);
    factory.reset();
    EXPECT_EQ(library->canUnloadNow(), S_OK);
}

} // namespace
