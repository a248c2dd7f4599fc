// The table of paper size codes and CUPS media, and the custom media names, checked against libcups.
#include "platform/printing/paper_sizes.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

namespace printing {
namespace {

TEST(PaperSizeTable, ListsEveryCodeFrom1To118InOrder)
{
    for (int code = 1; code <= 118; ++code) {
        const PaperSize* paper = paperSizeForCode(code);
        ASSERT_NE(paper, nullptr) << code;
        EXPECT_EQ(paper->code, code);
        EXPECT_FALSE(paper->description.empty());
    }
    for (int code : {0, -1, 119, kCustomPaperSize})
        EXPECT_EQ(paperSizeForCode(code), nullptr) << code;
    EXPECT_EQ(paperSizeForCode(9)->description, "A4 210 x 297 mm");
    EXPECT_EQ(paperSizeForCode(93)->description, "PRC 16K 146 x 215 mm");
}

// Every media is one CUPS knows by name, and its name gives the sheet's size.
TEST(PaperSizeTable, EveryMediaIsKnownToCupsWithTheSizeItsNameGives)
{
    for (const PaperSize& paper : kPaperSizes) {
        if (paper.code == 48 || paper.code == 49) {
            EXPECT_TRUE(paper.media.empty());
            continue;
        }
        const std::string media(paper.media);
        const auto size = mediaSize(media);
        ASSERT_TRUE(size) << media;
        const pwg_media_t* known = pwgMediaForPWG(media.c_str());
        ASSERT_NE(known, nullptr) << media;
        EXPECT_EQ((MediaSize{known->width, known->length}), *size) << media;
    }
}

TEST(PaperSizeTable, MediaReadsBackAsTheFirstCodeThatNamesIt)
{
    const std::pair<const char*, int> cases[] = {
        {"iso_a4_210x297mm", 9},  {"iso_a3_297x420mm", 8},   {"na_letter_8.5x11in", 1},
        {"na_ledger_11x17in", 3}, {"prc_16k_146x215mm", 93}, {"iso_a6_105x148mm", 70},
    };
    for (const auto& [media, code] : cases) {
        ASSERT_NE(paperSizeForMedia(media), nullptr) << media;
        EXPECT_EQ(paperSizeForMedia(media)->code, code) << media;
    }
    for (const char* media : {"", "custom_297x210mm_297x210mm", "om_small-photo_100x150mm"})
        EXPECT_EQ(paperSizeForMedia(media), nullptr) << media;
}

TEST(PaperSizeTable, CustomMediaIsNamedAsCupsNamesIt)
{
    const std::pair<int, int> sizes[] = {{29700, 21000}, {24150, 14000}, {10000, 10010}, {21000, 29700}};
    for (const auto& [width, length] : sizes) {
        char expected[256];
        pwgFormatSizeName(expected, sizeof expected, "custom", nullptr, width, length, nullptr);
        const std::string name = customMediaName(width, length);
        EXPECT_EQ(name, expected);
        EXPECT_TRUE(isCustomMedia(name));
        EXPECT_EQ(mediaSize(name), (MediaSize{width, length})) << name;
    }
    EXPECT_FALSE(isCustomMedia("custom_min_25.4x25.4mm"));
    EXPECT_TRUE(isCustomRangeMedia("custom_max_457.2x457.2mm"));
    EXPECT_FALSE(isCustomMedia("iso_a4_210x297mm"));
}

TEST(PaperSizeTable, NamesWithoutASizeGiveNone)
{
    for (const char* media :
         {"", "A4", "iso_a4", "iso_a4_210x297", "iso_a4_x297mm", "iso_a4_210xmm", "x_-1x2mm", "x_1x2x3mm", "x_0x2mm"})
        EXPECT_FALSE(mediaSize(media)) << media;
    EXPECT_EQ(mediaSize("na_letter_8.5x11in"), (MediaSize{21590, 27940}));
}

} // namespace
} // namespace printing
