// The control against a private CUPS scheduler: every request is checked by reading the printer's
// defaults back from the scheduler with ipptool. Two printers: qcustom takes custom sizes, qlisted only
// its listed sizes; both start each test on A4 portrait.
#include "quorbel/CQuorbelCtrl.h"
#include "quorbel/broadcast.h"
#include "quorbel/cups_spooler.h"
#include "quorbel/forms_registry.h"
#include "quorbel/identities.h"
#include "tests/fixtures/cups/printing_test.h"

#include "platform/component/host.h"
#include "platform/printing/paper_sizes.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quorbel {
namespace {

using fixtures::CupsScheduler;

const QString kA4 = QStringLiteral("iso_a4_210x297mm");
const QString kA3 = QStringLiteral("iso_a3_297x420mm");
const QString kPortrait = QStringLiteral("portrait");
const QString kLandscape = QStringLiteral("landscape");

const QString kSheet = QStringLiteral("custom_297x210mm_297x210mm"); // 297 mm wide, 210 mm long

// The code of a printer's first user form: its position after the listed papers.
constexpr std::int16_t kFirstFormCode = std::int16_t(printing::kPaperSizes.size() + 1);

// A paper request as a printing window makes it (form name "UserDefineA4"), its result, what the printer
// carries afterwards when it is true (it keeps what it had when false), and whether the request sent the
// printer's settings to the scheduler at all.
struct Step {
    const char* what;
    QString printer;
    std::int16_t orientation, paperSize, paperLength, paperWidth;
    bool result;
    QString media, printerOrientation;
    bool writes;
};

class QuorbelCups : public fixtures::PrintingTest<> {
protected:
    void SetUp() override
    {
        PrintingTest::SetUp();
        if (!ready())
            return;
        QString error;
        for (const char* name : {"qcustom", "qlisted"})
            ASSERT_TRUE(scheduler->setPrinterDefaults(name, kA4, kPortrait, &error)) << error.toStdString();
        formsPath = dir.path() + "/forms.json";
        announced =
            std::make_unique<QSignalSpy>(&DeviceModeBroadcast::instance(), &DeviceModeBroadcast::deviceModeChanged);
    }

    // Sets the control's properties in the order the printing windows use and calls SetPaper.
    bool setPaper(const Step& step, bool formsDatabase = true)
    {
        auto spooler = std::make_shared<CupsSpooler>(CupsSpooler::Options{formsDatabase, formsPath});
        component::Ptr<CQuorbelCtrl> control(new CQuorbelCtrl(module, spooler));
        control->SetPrinterName(step.printer);
        control->SetOrientation(step.orientation);
        control->SetUserFormName(QStringLiteral("UserDefineA4"));
        control->SetPaperLength(step.paperLength);
        control->SetPaperWidth(step.paperWidth);
        control->SetPaperSize(step.paperSize);
        return control->SetPaper();
    }

    int writes() const { return scheduler->operationCount("CUPS-Add-Modify-Printer"); }

    // The forms file as it is on disk; nothing when there is none.
    std::optional<QByteArray> formsFile() const
    {
        QFile file(formsPath);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return file.readAll();
    }
    void writeFormsFile(const QByteArray& bytes) const
    {
        QFile file(formsPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    QJsonObject printersInFormsFile() const
    {
        return QJsonDocument::fromJson(formsFile().value_or(QByteArray())).object().value("printers").toObject();
    }

    // Runs the steps in order and checks each against the scheduler.
    void run(const std::vector<Step>& steps, bool formsDatabase = true)
    {
        for (const Step& step : steps) {
            SCOPED_TRACE(step.what);
            const CupsScheduler::Defaults before = defaults(step.printer);
            const int writesBefore = writes();
            const qsizetype announcedBefore = announced->count();

            EXPECT_EQ(setPaper(step, formsDatabase), step.result);

            const CupsScheduler::Defaults after = defaults(step.printer);
            EXPECT_EQ(after.media, step.result ? step.media : before.media);
            EXPECT_EQ(after.orientation, step.result ? step.printerOrientation : before.orientation);
            EXPECT_EQ(writes() > writesBefore, step.writes);
            EXPECT_EQ(announced->count() - announcedBefore, step.result ? 1 : 0);
            if (step.result && announced->count() > announcedBefore) {
                EXPECT_EQ(announced->last().at(0).toString(), step.printer);
            }
        }
    }

    QTemporaryDir dir;
    QString formsPath;
    component::Module module;
    std::unique_ptr<QSignalSpy> announced;
};

TEST_F(QuorbelCups, ListedAndCustomSizesThroughTheFormsDatabase)
{
    run({
        {"standard size", "qcustom", 2, 8, 0, 0, true, kA3, kLandscape, true},
        {"custom size, new form", "qcustom", 1, 256, 2100, 2970, true, kSheet, kPortrait, true},
        {"custom size, already selected", "qcustom", 1, 256, 2100, 2970, true, kSheet, kPortrait, false},
        {"already selected, other orientation", "qcustom", 2, 256, 2100, 2970, true, kSheet, kLandscape, true},
        {"restore to the saved code", "qcustom", 1, 9, 0, 0, true, kA4, kPortrait, true},
        {"custom size, same size", "qcustom", 1, 256, 2100, 2970, true, kSheet, kPortrait, true},
        {"custom size, new size", "qcustom", 1, 256, 1400, 2410, true, "custom_241x140mm_241x140mm", kPortrait, true},
        {"restore again", "qcustom", 1, 9, 0, 0, true, kA4, kPortrait, true},
    });
    EXPECT_EQ(FormsRegistry(formsPath).forms("qcustom"), (QList<Form>{{"UserDefineA4", 241000, 140000}}));
}

TEST_F(QuorbelCups, CustomSizeWithoutTheFormsDatabase)
{
    run(
        {
            {"custom size", "qcustom", 2, 256, 2100, 2970, true, kSheet, kLandscape, true},
            {"restore to the saved code", "qcustom", 1, 9, 0, 0, true, kA4, kPortrait, true},
            {"beyond the printer's limits", "qcustom", 1, 256, 2100, 30000, false, {}, {}, false},
        },
        false);
    EXPECT_FALSE(QFile::exists(formsPath)) << "no form is kept on this road";
}

TEST_F(QuorbelCups, UnknownPrinterChangesNothing)
{
    const int writesBefore = writes();
    EXPECT_FALSE(setPaper({"unknown printer", "qmissing", 1, 8, 0, 0, false, {}, {}, false}));
    EXPECT_FALSE(setPaper({"unknown printer", "qmissing", 1, 256, 2100, 2970, false, {}, {}, false}));
    EXPECT_EQ(writes(), writesBefore);
    EXPECT_EQ(announced->count(), 0);
    for (const char* printer : {"qcustom", "qlisted"}) {
        EXPECT_EQ(defaults(printer).media, kA4);
        EXPECT_EQ(defaults(printer).orientation, kPortrait);
    }
}

TEST_F(QuorbelCups, PrinterWithoutCustomSizesKeepsItsPaper)
{
    run({
        {"custom size through a form", "qlisted", 2, 256, 2100, 2970, false, {}, {}, false},
        {"a size it does not list", "qlisted", 2, 70, 0, 0, false, {}, {}, false},
        {"no such orientation", "qlisted", 3, 8, 0, 0, false, {}, {}, false},
        {"a size it lists", "qlisted", 2, 8, 0, 0, true, kA3, kLandscape, true},
    });
    run({{"custom size without forms", "qlisted", 2, 256, 2100, 2970, false, {}, {}, false}}, false);
}

// A custom size the printer does not take is refused before any form is touched: the forms file stays as
// it was, byte for byte, whether the form would have been added or resized, and the form keeps its size
// for a later request by its code.
TEST_F(QuorbelCups, RefusedCustomSizeLeavesTheFormsFileAsItWas)
{
    const std::vector<Step> refused{
        {"below the printer's minimum", "qcustom", 1, 256, 100, 100, false, {}, {}, false},
        {"zero width", "qcustom", 1, 256, 2100, 0, false, {}, {}, false},
        {"negative length", "qcustom", 1, 256, -2100, 2970, false, {}, {}, false},
        {"beyond the printer's maximum", "qcustom", 1, 256, 2100, 30000, false, {}, {}, false},
        {"a size it takes, in no orientation", "qcustom", 3, 256, 1400, 2410, false, {}, {}, false},
        {"printer without custom sizes", "qlisted", 1, 256, 2100, 2970, false, {}, {}, false},
    };
    run(refused);
    EXPECT_EQ(formsFile(), std::nullopt) << "a refused form was added";

    run({
        {"custom size, new form", "qcustom", 2, 256, 2100, 2970, true, kSheet, kLandscape, true},
        {"restore", "qcustom", 1, 9, 0, 0, true, kA4, kPortrait, true},
    });
    const std::optional<QByteArray> kept = formsFile();
    ASSERT_TRUE(kept);
    for (const Step& step : refused) {
        run({step});
        EXPECT_EQ(formsFile(), kept) << step.what;
    }
    run({{"the form by its code", "qcustom", 2, kFirstFormCode, 0, 0, true, kSheet, kLandscape, true}});
}

// CUPS knows a printer by its name in any letter case: whatever spelling a window uses, the printer has
// one list of forms, and a form has one code.
TEST_F(QuorbelCups, PrinterNamedInAnotherCaseFindsTheSameForms)
{
    run({
        {"custom size as qcustom", "qcustom", 1, 256, 2100, 2970, true, kSheet, kPortrait, true},
        {"the same as QCustom, already selected", "QCustom", 1, 256, 2100, 2970, true, kSheet, kPortrait, false},
        {"restore as QCUSTOM", "QCUSTOM", 1, 9, 0, 0, true, kA4, kPortrait, true},
        {"the form by its code as QCustom", "QCustom", 2, kFirstFormCode, 0, 0, true, kSheet, kLandscape, true},
        {"new size as QCustom", "QCustom", 1, 256, 1400, 2410, true, "custom_241x140mm_241x140mm", kPortrait, true},
        {"the form by its code as qcustom", "qcustom", 2, kFirstFormCode, 0, 0, true, "custom_241x140mm_241x140mm",
         kLandscape, true},
    });
    EXPECT_EQ(printersInFormsFile().keys(), QStringList{"qcustom"});
    EXPECT_EQ(FormsRegistry(formsPath).forms("qcustom"), (QList<Form>{{"UserDefineA4", 241000, 140000}}));
}

// A printer's entry that is not in the shape the control writes is not the control's to replace: a request
// that needs it fails and leaves the file as it was, while the other printers' entries serve as before.
TEST_F(QuorbelCups, UnreadablePrinterEntryIsLeftAsItIs)
{
    for (const QByteArray& entry : {QByteArray("3"), QByteArray(R"({"forms": {"name": "UserDefineA4"}})"),
                                    QByteArray(R"({"forms": [{"name": "UserDefineA4", "width": "wide"}]})")}) {
        SCOPED_TRACE(entry.toStdString());
        const QByteArray damaged = R"({"printers": {"qcustom": )" + entry + "}}";
        writeFormsFile(damaged);
        run({
            {"new form", "qcustom", 1, 256, 2100, 2970, false, {}, {}, false},
            {"a form by its code", "qcustom", 1, kFirstFormCode, 0, 0, false, {}, {}, false},
        });
        EXPECT_EQ(formsFile(), damaged);
    }

    writeFormsFile(R"({"printers": {"qlisted": {"forms": 3}}})");
    run({{"new form for another printer", "qcustom", 2, 256, 2100, 2970, true, kSheet, kLandscape, true}});
    EXPECT_EQ(printersInFormsFile().value("qlisted"), (QJsonObject{{"forms", 3}}));
    EXPECT_EQ(FormsRegistry(formsPath).forms("qcustom"), (QList<Form>{{"UserDefineA4", 297000, 210000}}));
}

// The scheduler lets only members of its system group change printers; "nobody" is not one.
TEST_F(QuorbelCups, DeniedChangeLeavesThePrinterAsItWas)
{
    qputenv("CUPS_USER", CupsScheduler::unprivilegedUser().toUtf8());
    run({
        {"standard size", "qcustom", 2, 8, 0, 0, false, {}, {}, true},
        {"custom size", "qcustom", 1, 256, 2100, 2970, false, {}, {}, true},
    });
    run({{"custom size without forms", "qcustom", 1, 256, 2100, 2970, false, {}, {}, true}}, false);
    qunsetenv("CUPS_USER");
    run({{"the same by an administrator", "qcustom", 2, 8, 0, 0, true, kA3, kLandscape, true}});
}

// The host's way: the library registered in a registry of the test's own, the control created through
// it and driven by dispatch identifiers, as a printing window does before and after it prints.
TEST_F(QuorbelCups, PrintingWindowSetsAndRestoresThePaperThroughTheRegistry)
{
    qputenv("QELV_COMPONENT_REGISTRY", (dir.path() + "/components.json").toUtf8());
    qputenv("QUORBEL_FORMS_REGISTRY", formsPath.toUtf8());
    component::HResult hr = component::E_FAIL;
    auto library = component::Library::open(QStringLiteral(QUORBEL_LIBRARY), &hr);
    ASSERT_EQ(hr, component::S_OK);
    ASSERT_EQ(library->entry<component::DllRegisterServerFunction>(component::kDllRegisterServer)(), component::S_OK);

    component::Dispatch paper;
    ASSERT_EQ(component::createObject(kControlProgId, &paper), component::S_OK);
    paper.put(dispid::PrinterName, "qcustom");
    paper.put(dispid::Orientation, 1);
    paper.put(dispid::UserFormName, "UserDefineA4");
    paper.put(dispid::PaperLength, 2100);
    paper.put(dispid::PaperWidth, 2970);
    paper.put(dispid::PaperSize, 256);
    EXPECT_TRUE(paper.call(dispid::SetPaper).toBool());
    EXPECT_EQ(defaults("qcustom").media, kSheet);
    EXPECT_EQ(FormsRegistry(formsPath).forms("qcustom"), (QList<Form>{{"UserDefineA4", 297000, 210000}}));

    paper.put(dispid::PaperSize, 9);
    EXPECT_TRUE(paper.call(dispid::SetPaper).toBool());
    EXPECT_EQ(defaults("qcustom").media, kA4);
    EXPECT_EQ(defaults("qcustom").orientation, kPortrait);

    qunsetenv("QELV_COMPONENT_REGISTRY");
    qunsetenv("QUORBEL_FORMS_REGISTRY");
}

} // namespace
} // namespace quorbel
