// The roads of a paper request, step by step, against the recording spooler: each row is a printer, a
// request, the calls the spooler got and the result.
#include "quorbel/set_paper.h"
#include "tests/quorbel/fake_spooler.h"

#include <gtest/gtest.h>

namespace quorbel::testing {
namespace {

const DeviceMode kA4Portrait{DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH, 1, 9, 2970, 2100, "A4"};
const Form kLetter{"Letter", 215900, 279400};
const Form kA4{"A4", 210000, 297000};
const Form kLandscapeForm{"UserDefineA4", 297000, 210000}; // what the requests below ask for
const Form kPortraitForm{"UserDefineA4", 210000, 297000};

// The driver's check of the requested sheet, made before a form is added or resized.
const QString kSheetCheck = "validate fields=15 orientation=1 paperSize=256 length=2100 width=2970";
const QString kSheetCheckLandscape = "validate fields=15 orientation=2 paperSize=256 length=2100 width=2970";

PaperRequest standard(std::int16_t orientation, std::int32_t code)
{
    return PaperRequest{.printerName = "P", .orientation = orientation, .paperSize = code};
}

// A sheet 297 mm wide and 210 mm long, as the month's fee list asks for it.
PaperRequest custom(std::int16_t orientation)
{
    return PaperRequest{.printerName = "P",
                        .orientation = orientation,
                        .paperSize = 256,
                        .paperLength = 2100,
                        .paperWidth = 2970,
                        .formName = "UserDefineA4"};
}

struct Road {
    const char* id;
    bool formsDatabase;
    std::function<void(FakePrinter&)> printer; // changes to a printer on A4 portrait with an empty forms database
    PaperRequest request;
    QStringList calls;
    bool result;
};

void PrintTo(const Road& road, std::ostream* os)
{
    *os << road.id;
}

const Road kRoads[] = {
    // listed paper sizes
    {"StandardCodeIsValidatedStoredAndAnnounced",
     true,
     [](FakePrinter&) {},
     standard(2, 8),
     {"open P", "readInfo", "validate fields=3 orientation=2 paperSize=8",
      "store orientation=2 paperSize=8 length=2970 width=2100 form=A4", "broadcast P", "close"},
     true},
    {"RestoringThePreviousCodeTakesTheSameRoad",
     false,
     [](FakePrinter& p) { p.info->paperSize = 256; },
     standard(1, 9),
     {"open P", "readInfo", "validate fields=3 orientation=1 paperSize=9",
      "store orientation=1 paperSize=9 length=2970 width=2100 form=A4", "broadcast P", "close"},
     true},
    {"PrinterWithoutDefaultsStartsFromTheDriversOnes",
     true,
     [](FakePrinter& p) {
         p.info.reset();
         p.driverDefaults = DeviceMode{15, 1, 1, 2794, 2159, "Letter"};
     },
     standard(1, 9),
     {"open P", "readInfo", "driverDefaults", "validate fields=3 orientation=1 paperSize=9",
      "store orientation=1 paperSize=9 length=2794 width=2159 form=Letter", "broadcast P", "close"},
     true},
    {"DriverMakingNoDefaultsFails",
     true,
     [](FakePrinter& p) { p.info.reset(); },
     standard(1, 9),
     {"open P", "readInfo", "driverDefaults", "close"},
     false},
    {"UnreadablePrinterFails",
     true,
     [](FakePrinter& p) { p.infoReadable = false; },
     standard(1, 9),
     {"open P", "readInfo", "close"},
     false},
    {"DriverWithoutPaperSizeFails",
     true,
     [](FakePrinter& p) { p.info->fields = DM_ORIENTATION; },
     standard(1, 9),
     {"open P", "readInfo", "close"},
     false},
    {"RefusedSettingIsNotStored",
     true,
     [](FakePrinter& p) { p.accepts = [](const DeviceMode&) { return false; }; },
     standard(1, 70),
     {"open P", "readInfo", "validate fields=3 orientation=1 paperSize=70", "close"},
     false},
    {"FailedStoreIsNotAnnounced",
     true,
     [](FakePrinter& p) { p.stores = false; },
     standard(1, 9),
     {"open P", "readInfo", "validate fields=3 orientation=1 paperSize=9",
      "store orientation=1 paperSize=9 length=2970 width=2100 form=A4", "close"},
     false},

    // custom size through the forms database
    {"NewFormIsAddedAndSelectedWithoutAnA4Form",
     true,
     [](FakePrinter&) {},
     custom(1),
     {"open P", "readInfo", "getForm UserDefineA4 -> none", kSheetCheck, "addForm UserDefineA4 297000x210000",
      "enumForms", "validate fields=3 orientation=1 paperSize=1",
      "store orientation=1 paperSize=1 length=2970 width=2100 form=A4", "broadcast P", "close"},
     true},
    {"NewFormIsSelectedByItsPositionCountedFromOne",
     true,
     [](FakePrinter& p) {
         p.forms = {kLetter, kA4};
     },
     custom(1),
     {"open P", "readInfo", "getForm UserDefineA4 -> none", kSheetCheck, "addForm UserDefineA4 297000x210000",
      "enumForms", "validate fields=3 orientation=1 paperSize=3",
      "store orientation=1 paperSize=3 length=2970 width=2100 form=A4", "broadcast P", "close"},
     true},
    {"FormOfTheSameSizeIsSelectedAsItIs",
     true,
     [](FakePrinter& p) {
         p.forms = {kLetter, kLandscapeForm, kA4};
     },
     custom(1),
     {"open P", "readInfo", "getForm UserDefineA4 -> 297000x210000", "enumForms",
      "validate fields=3 orientation=1 paperSize=2", "store orientation=1 paperSize=2 length=2970 width=2100 form=A4",
      "broadcast P", "close"},
     true},
    {"FormOfAnotherSizeIsResizedAndSelected",
     true,
     [](FakePrinter& p) { p.forms = {kPortraitForm}; },
     custom(2),
     {"open P", "readInfo", "getForm UserDefineA4 -> 210000x297000", kSheetCheckLandscape,
      "setForm UserDefineA4 297000x210000", "enumForms", "validate fields=3 orientation=2 paperSize=1",
      "store orientation=2 paperSize=1 length=2970 width=2100 form=A4", "broadcast P", "close"},
     true},
    {"AlreadySelectedFormWritesNothing",
     true,
     [](FakePrinter& p) {
         p.forms = {kLandscapeForm};
         p.info->formName = "UserDefineA4";
     },
     custom(1),
     {"open P", "readInfo", "getForm UserDefineA4 -> 297000x210000", "broadcast P", "close"},
     true},
    {"AlreadySelectedFormStillGetsTheRequestedOrientation",
     true,
     [](FakePrinter& p) {
         p.forms = {kLandscapeForm};
         p.info->formName = "UserDefineA4";
     },
     custom(2),
     {"open P", "readInfo", "getForm UserDefineA4 -> 297000x210000", "enumForms",
      "validate fields=3 orientation=2 paperSize=1",
      "store orientation=2 paperSize=1 length=2970 width=2100 form=UserDefineA4", "broadcast P", "close"},
     true},
    {"AlreadySelectedFormOfAnotherSizeIsSelectedAgain",
     true,
     [](FakePrinter& p) {
         p.forms = {kPortraitForm};
         p.info->formName = "UserDefineA4";
     },
     custom(1),
     {"open P", "readInfo", "getForm UserDefineA4 -> 210000x297000", kSheetCheck, "setForm UserDefineA4 297000x210000",
      "enumForms", "validate fields=3 orientation=1 paperSize=1",
      "store orientation=1 paperSize=1 length=2970 width=2100 form=UserDefineA4", "broadcast P", "close"},
     true},
    {"FormMissingFromTheListSelectsNoOtherForm",
     true,
     [](FakePrinter& p) {
         p.forms = {kLetter};
         p.listsForm = false;
     },
     custom(1),
     {"open P", "readInfo", "getForm UserDefineA4 -> none", kSheetCheck, "addForm UserDefineA4 297000x210000",
      "enumForms", "close"},
     false},
    {"FormThatCannotBeAddedFails",
     true,
     [](FakePrinter& p) { p.formsWritable = false; },
     custom(1),
     {"open P", "readInfo", "getForm UserDefineA4 -> none", kSheetCheck, "addForm UserDefineA4 297000x210000", "close"},
     false},
    {"FormThatCannotBeResizedFails",
     true,
     [](FakePrinter& p) {
         p.forms = {kPortraitForm};
         p.formsWritable = false;
     },
     custom(1),
     {"open P", "readInfo", "getForm UserDefineA4 -> 210000x297000", kSheetCheck, "setForm UserDefineA4 297000x210000",
      "close"},
     false},
    {"FormNameTooLongToKeepTouchesNoForm",
     true,
     [](FakePrinter& p) { p.forms = {kPortraitForm}; },
     [] {
         PaperRequest r = custom(1);
         r.formNameRefused = true; // the control still holds the previous name
         return r;
     }(),
     {"open P", "readInfo", "close"},
     false},
    // a request refused before any form is added or resized
    {"RefusedFormIsNotStored",
     true,
     [](FakePrinter& p) { p.accepts = [](const DeviceMode&) { return false; }; },
     custom(1),
     {"open P", "readInfo", "getForm UserDefineA4 -> none", kSheetCheck, "close"},
     false},
    {"RefusedSizeLeavesTheFormAsItWas",
     true,
     [](FakePrinter& p) {
         p.forms = {kPortraitForm};
         p.accepts = [](const DeviceMode&) { return false; };
     },
     custom(2),
     {"open P", "readInfo", "getForm UserDefineA4 -> 210000x297000", kSheetCheckLandscape, "close"},
     false},
    {"DriverWithoutPaperSizeFailsBeforeTheForm",
     true,
     [](FakePrinter& p) { p.info->fields = DM_ORIENTATION; },
     custom(1),
     {"open P", "readInfo", "getForm UserDefineA4 -> none", "close"},
     false},
    {"SelectionRefusedByTheDriverIsNotStored",
     true,
     [](FakePrinter& p) { p.accepts = [](const DeviceMode& m) { return m.paperSize == 256; }; },
     custom(1),
     {"open P", "readInfo", "getForm UserDefineA4 -> none", kSheetCheck, "addForm UserDefineA4 297000x210000",
      "enumForms", "validate fields=3 orientation=1 paperSize=1", "close"},
     false},

    // custom size without a forms database
    {"CustomSizeIsValidatedWholeThenStoredOnce",
     false,
     [](FakePrinter&) {},
     custom(2),
     {"open P", "readInfo", "validate fields=3 orientation=2 paperSize=256",
      "validate fields=14 paperSize=256 length=2100 width=2970",
      "store orientation=2 paperSize=256 length=2100 width=2970 form=A4", "broadcast P", "close"},
     true},
    {"DriverWithoutCustomSizesFailsBeforeWriting",
     false,
     [](FakePrinter& p) { p.info->fields = DM_ORIENTATION | DM_PAPERSIZE; },
     custom(1),
     {"open P", "readInfo", "close"},
     false},
    {"RefusedCustomCodeIsNotStored",
     false,
     [](FakePrinter& p) { p.accepts = [](const DeviceMode&) { return false; }; },
     custom(1),
     {"open P", "readInfo", "validate fields=3 orientation=1 paperSize=256", "close"},
     false},
    {"RefusedCustomSizeIsNotStored",
     false,
     [](FakePrinter& p) { p.accepts = [](const DeviceMode& m) { return !(m.fields & DM_PAPERLENGTH); }; },
     custom(1),
     {"open P", "readInfo", "validate fields=3 orientation=1 paperSize=256",
      "validate fields=14 paperSize=256 length=2100 width=2970", "close"},
     false},
    {"FailedCustomStoreIsNotAnnounced",
     false,
     [](FakePrinter& p) { p.stores = false; },
     custom(1),
     {"open P", "readInfo", "validate fields=3 orientation=1 paperSize=256",
      "validate fields=14 paperSize=256 length=2100 width=2970",
      "store orientation=1 paperSize=256 length=2100 width=2970 form=A4", "close"},
     false},
};

class QuorbelPaperRoad : public ::testing::TestWithParam<Road> { };

TEST_P(QuorbelPaperRoad, CallsAndResult)
{
    const Road& road = GetParam();
    FakeSpooler spooler;
    spooler.formsDatabase = road.formsDatabase;
    FakePrinter printer;
    printer.info = kA4Portrait;
    road.printer(printer);
    spooler.printers.insert("P", printer);

    const bool result = applyPaperRequest(road.request, spooler);

    EXPECT_EQ(spooler.calls, road.calls) << spooler.calls.join("\n").toStdString();
    EXPECT_EQ(result, road.result);
    if (!result) {
        EXPECT_FALSE(spooler.printers["P"].stored.has_value()) << "a failed request stored settings";
    }
}

INSTANTIATE_TEST_SUITE_P(Roads, QuorbelPaperRoad, ::testing::ValuesIn(kRoads),
                         [](const ::testing::TestParamInfo<Road>& info) { return std::string(info.param.id); });

TEST(QuorbelPaperRequest, UnknownPrinterFailsWithoutAnnouncement)
{
    FakeSpooler spooler;
    spooler.printers.insert("P", FakePrinter{.info = kA4Portrait});
    PaperRequest request = standard(1, 9);
    request.printerName = "Q";
    EXPECT_FALSE(applyPaperRequest(request, spooler));
    EXPECT_EQ(spooler.calls, QStringList{"open Q -> none"});
}

// The name goes to the spooler in 255 bytes of the ANSI code page; a longer one is refused untried.
TEST(QuorbelPaperRequest, PrinterNameLongerThan255BytesIsRefusedUntried)
{
    for (const auto& [name, opened] : {std::pair{QString(255, 'p'), true}, std::pair{QString(256, 'p'), false},
                                       std::pair{QString(128, QChar(0x6253)), false}}) {
        FakeSpooler spooler;
        PaperRequest request = standard(1, 9);
        request.printerName = name;
        EXPECT_FALSE(applyPaperRequest(request, spooler));
        EXPECT_EQ(!spooler.calls.isEmpty(), opened) << name.size();
    }
}

// Sizes reach the forms database in thousandths of a millimetre, from tenths: 2970 and 2100 give a form
// 297,000 wide and 210,000 long.
TEST(QuorbelPaperRequest, FormSizesAreInThousandthsOfAMillimetre)
{
    FakeSpooler spooler;
    spooler.printers.insert("P", FakePrinter{.info = kA4Portrait});
    ASSERT_TRUE(applyPaperRequest(custom(1), spooler));
    EXPECT_EQ(spooler.printers["P"].forms, QList<Form>{kLandscapeForm});
}

} // namespace
} // namespace quorbel::testing
