// The control's properties, their initial values and their dispatch, and what SetPaper hands on.
#include "platform/component/class_factory.h"
#include "quorbel/CQuorbelCtrl.h"
#include "quorbel/identities.h"
#include "tests/quorbel/fake_spooler.h"

#include <gtest/gtest.h>

namespace quorbel::testing {
namespace {

using component::DispId;
using component::Invoke;
using component::Ptr;

class QuorbelControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        spooler = std::make_shared<FakeSpooler>();
        FakePrinter printer;
        printer.info = DeviceMode{15, 1, 9, 2970, 2100, "A4"};
        spooler->printers.insert("P", printer);
        control = Ptr<CQuorbelCtrl>(new CQuorbelCtrl(module, spooler));
    }

    QVariant get(DispId id)
    {
        QVariant value;
        EXPECT_EQ(control->invoke(id, Invoke::PropertyGet, {}, &value), component::S_OK) << id;
        return value;
    }
    component::HResult put(DispId id, const QVariant& value)
    {
        return control->invoke(id, Invoke::PropertyPut, {value}, nullptr);
    }
    bool setPaper()
    {
        QVariant result;
        EXPECT_EQ(control->invoke(dispid::SetPaper, Invoke::Method, {}, &result), component::S_OK);
        EXPECT_EQ(result.metaType().id(), QMetaType::Bool);
        return result.toBool();
    }

    component::Module module;
    std::shared_ptr<FakeSpooler> spooler;
    Ptr<CQuorbelCtrl> control;
};

TEST_F(QuorbelControl, NewInstanceHasTheInitialValues)
{
    EXPECT_EQ(get(dispid::Orientation), QVariant::fromValue<std::int16_t>(1));
    EXPECT_EQ(get(dispid::PaperLength), QVariant::fromValue<std::int16_t>(270));
    EXPECT_EQ(get(dispid::PaperWidth), QVariant::fromValue<std::int16_t>(210));
    EXPECT_EQ(get(dispid::UserFormName), QVariant(QStringLiteral("User Defined")));
    EXPECT_EQ(get(dispid::PrinterName), QVariant(QString()));
    EXPECT_EQ(get(dispid::PaperSize), QVariant::fromValue<std::int16_t>(8));
    EXPECT_EQ(control->formName(), QByteArray("User Defined"));
    EXPECT_FALSE(control->isModified());
}

// No property checks its value: zero, negative and extreme values come back as written.
TEST_F(QuorbelControl, EveryPropertyReadsBackWhatWasWritten)
{
    struct Case {
        DispId id;
        QVariant written;
        QVariant read;
    };
    const Case cases[] = {
        {dispid::Orientation, 2, QVariant::fromValue<std::int16_t>(2)},
        {dispid::Orientation, -1, QVariant::fromValue<std::int16_t>(-1)},
        {dispid::PaperLength, 2100, QVariant::fromValue<std::int16_t>(2100)},
        {dispid::PaperLength, 0, QVariant::fromValue<std::int16_t>(0)},
        {dispid::PaperWidth, 32767, QVariant::fromValue<std::int16_t>(32767)},
        {dispid::PaperWidth, -32768, QVariant::fromValue<std::int16_t>(-32768)},
        {dispid::PaperSize, 256, QVariant::fromValue<std::int16_t>(256)},
        {dispid::PaperSize, QStringLiteral("9"), QVariant::fromValue<std::int16_t>(9)},
        {dispid::UserFormName, QStringLiteral("发票"), QStringLiteral("发票")},
        {dispid::UserFormName, QString(), QString()},
        {dispid::PrinterName, QStringLiteral("HP LaserJet"), QStringLiteral("HP LaserJet")},
        {dispid::PrinterName, 12, QStringLiteral("12")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.id << " " << c.written.toString().toStdString());
        ASSERT_EQ(put(c.id, c.written), component::S_OK);
        EXPECT_EQ(get(c.id), c.read);
    }
    EXPECT_TRUE(control->isModified());
}

TEST_F(QuorbelControl, DispatchRefusesWhatTheInterfaceDoesNotHave)
{
    struct Case {
        DispId id;
        Invoke kind;
        QVariantList args;
        component::HResult expected;
    };
    const Case cases[] = {
        {5, Invoke::PropertyGet, {}, component::DISP_E_MEMBERNOTFOUND},
        {6, Invoke::PropertyGet, {}, component::DISP_E_MEMBERNOTFOUND},
        {dispid::SetPaper, Invoke::PropertyGet, {}, component::DISP_E_MEMBERNOTFOUND},
        {dispid::Orientation, Invoke::Method, {}, component::DISP_E_MEMBERNOTFOUND},
        {dispid::AboutBox, Invoke::PropertyPut, {1}, component::DISP_E_MEMBERNOTFOUND},
        {dispid::SetPaper, Invoke::Method, {1}, component::DISP_E_BADPARAMCOUNT},
        {dispid::Orientation, Invoke::PropertyPut, {}, component::DISP_E_BADPARAMCOUNT},
        {dispid::Orientation, Invoke::PropertyPut, {1, 2}, component::DISP_E_BADPARAMCOUNT},
        {dispid::PaperSize, Invoke::PropertyPut, {QStringLiteral("A4")}, component::DISP_E_TYPEMISMATCH},
        {dispid::PaperSize, Invoke::PropertyPut, {QVariantList{}}, component::DISP_E_TYPEMISMATCH},
        {dispid::PaperLength, Invoke::PropertyPut, {32768}, component::DISP_E_OVERFLOW},
        {dispid::PaperWidth, Invoke::PropertyPut, {-40000.0}, component::DISP_E_OVERFLOW},
        {dispid::PrinterName, Invoke::PropertyPut, {QVariantList{}}, component::DISP_E_TYPEMISMATCH},
    };
    for (const Case& c : cases) {
        QVariant result;
        EXPECT_EQ(control->invoke(c.id, c.kind, c.args, &result), c.expected) << c.id;
    }
    // nothing refused changed a property
    EXPECT_EQ(get(dispid::PaperSize), QVariant::fromValue<std::int16_t>(8));
    EXPECT_EQ(get(dispid::PaperLength), QVariant::fromValue<std::int16_t>(270));
}

// A form name is kept in 31 bytes of the ANSI code page, where a Chinese character takes two.
TEST_F(QuorbelControl, UserFormNameReachesTheFormNameOnlyWhenItFits)
{
    struct Case {
        QString name;
        bool kept;
    };
    const Case cases[] = {
        {QString(31, 'F'), true},
        {QString(32, 'G'), false},
        {QString(15, QChar(0x53D1)) + 'x', true}, // 31 bytes
        {QString(16, QChar(0x7968)), false}, // 32 bytes
    };
    for (const Case& c : cases) {
        const QByteArray before = control->formName();
        ASSERT_EQ(put(dispid::UserFormName, c.name), component::S_OK);
        EXPECT_EQ(get(dispid::UserFormName).toString(), c.name) << "the property reads back what was written";
        EXPECT_EQ(control->formName() == before, !c.kept) << c.name.toStdString();
    }
}

TEST_F(QuorbelControl, SetPaperHandsOnTheRequestAndChangesNoProperty)
{
    put(dispid::PrinterName, QStringLiteral("P"));
    put(dispid::Orientation, 2);
    put(dispid::PaperSize, 9);
    EXPECT_TRUE(setPaper());
    ASSERT_TRUE(spooler->printers["P"].stored);
    EXPECT_EQ(spooler->printers["P"].stored->paperSize, 9);
    EXPECT_EQ(spooler->printers["P"].stored->orientation, 2);
    EXPECT_EQ(get(dispid::PaperSize), QVariant::fromValue<std::int16_t>(9));
    EXPECT_EQ(get(dispid::Orientation), QVariant::fromValue<std::int16_t>(2));
    EXPECT_EQ(get(dispid::PrinterName), QVariant(QStringLiteral("P")));
}

TEST_F(QuorbelControl, PaperSize256TakesTheCustomRoadWithTheKeptFormName)
{
    put(dispid::PrinterName, QStringLiteral("P"));
    put(dispid::UserFormName, QStringLiteral("UserDefineA4"));
    put(dispid::PaperLength, 2100);
    put(dispid::PaperWidth, 2970);
    put(dispid::PaperSize, 256);
    EXPECT_TRUE(setPaper());
    EXPECT_TRUE(spooler->calls.contains("addForm UserDefineA4 297000x210000"))
        << spooler->calls.join('\n').toStdString();
}

// A name too long to keep would leave "UserDefineA4" in use and resize that form instead.
TEST_F(QuorbelControl, TooLongFormNameMakesSetPaperFailWithoutTouchingAnotherForm)
{
    spooler->printers["P"].forms = {Form{"UserDefineA4", 297000, 210000}};
    put(dispid::PrinterName, QStringLiteral("P"));
    put(dispid::UserFormName, QStringLiteral("UserDefineA4"));
    put(dispid::UserFormName, QString(32, 'L'));
    put(dispid::PaperLength, 1000);
    put(dispid::PaperWidth, 1000);
    put(dispid::PaperSize, 256);
    EXPECT_FALSE(setPaper());
    EXPECT_EQ(spooler->printers["P"].forms, (QList<Form>{Form{"UserDefineA4", 297000, 210000}}));
    // a name that fits again makes the request work
    put(dispid::UserFormName, QStringLiteral("Short"));
    EXPECT_TRUE(setPaper());
}

TEST_F(QuorbelControl, ObjectAnswersForItsInterfacesAndLivesByItsReferences)
{
    auto dispatch = control.query<component::IDispatch>();
    EXPECT_TRUE(dispatch);
    EXPECT_TRUE(control.query<component::IUnknown>());
    component::HResult hr = component::S_OK;
    EXPECT_FALSE(control.query<component::IClassFactory>(&hr));
    EXPECT_EQ(hr, component::E_NOINTERFACE);
    EXPECT_FALSE(module.canUnload());
    control.reset();
    EXPECT_FALSE(module.canUnload()) << "a reference is still held";
    dispatch.reset();
    EXPECT_TRUE(module.canUnload());
}

} // namespace
} // namespace quorbel::testing
