// The device-mode paper size codes (1 to 118, and 256 for a custom size) and the CUPS media that stands for
// each of them. One table for the whole system: the paper-setting control writes a code's media into a
// printer's defaults, and the printing layer reads a printer's media back as a code. Header only, so that
// the control, which links against nothing of the program, can use it as well.
//
// Media names are PWG self-describing names ("iso_a4_210x297mm"); sizes are in hundredths of a millimetre,
// the unit CUPS uses. Several codes stand for the same sheet fed another way (Ledger is Tabloid turned,
// the "Rotated" and "Transverse" codes): they share one media, orientation being a setting of its own, and
// reading a media back gives the first code of the table that names it.
#pragma once

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace printing {

// The code that asks for a sheet of a given width and length instead of a listed one.
inline constexpr int kCustomPaperSize = 256;

struct PaperSize {
    int code;
    std::string_view description; // as the device-mode list names the paper (UTF-8)
    std::string_view media; // the CUPS media; empty for the two reserved codes
};

inline constexpr std::array<PaperSize, 118> kPaperSizes{{
    {1, "Letter 8 1/2 x 11 in", "na_letter_8.5x11in"},
    {2, "Letter Small 8 1/2 x 11 in", "na_letter_8.5x11in"},
    {3, "Tabloid 11 x 17 in", "na_ledger_11x17in"},
    {4, "Ledger 17 x 11 in", "na_ledger_11x17in"},
    {5, "Legal 8 1/2 x 14 in", "na_legal_8.5x14in"},
    {6, "Statement 5 1/2 x 8 1/2 in", "na_invoice_5.5x8.5in"},
    {7, "Executive 7 1/4 x 10 1/2 in", "na_executive_7.25x10.5in"},
    {8, "A3 297 x 420 mm", "iso_a3_297x420mm"},
    {9, "A4 210 x 297 mm", "iso_a4_210x297mm"},
    {10, "A4 Small 210 x 297 mm", "iso_a4_210x297mm"},
    {11, "A5 148 x 210 mm", "iso_a5_148x210mm"},
    {12, "B4 (JIS) 250 x 354", "jis_b4_257x364mm"},
    {13, "B5 (JIS) 182 x 257 mm", "jis_b5_182x257mm"},
    {14, "Folio 8 1/2 x 13 in", "na_foolscap_8.5x13in"},
    {15, "Quarto 215 x 275 mm", "na_quarto_8.5x10.83in"},
    {16, "10x14 in", "na_10x14_10x14in"},
    {17, "11x17 in", "na_ledger_11x17in"},
    {18, "Note 8 1/2 x 11 in", "na_letter_8.5x11in"},
    {19, "Envelope #9 3 7/8 x 8 7/8", "na_number-9_3.875x8.875in"},
    {20, "Envelope #10 4 1/8 x 9 1/2", "na_number-10_4.125x9.5in"},
    {21, "Envelope #11 4 1/2 x 10 3/8", "na_number-11_4.5x10.375in"},
    {22, "Envelope #12 4 \u00be x 11", "na_number-12_4.75x11in"},
    {23, "Envelope #14 5 x 11 1/2", "na_number-14_5x11.5in"},
    {24, "C size sheet", "na_c_17x22in"},
    {25, "D size sheet", "na_d_22x34in"},
    {26, "E size sheet", "na_e_34x44in"},
    {27, "Envelope DL 110 x 220mm", "iso_dl_110x220mm"},
    {28, "Envelope C5 162 x 229 mm", "iso_c5_162x229mm"},
    {29, "Envelope C3  324 x 458 mm", "iso_c3_324x458mm"},
    {30, "Envelope C4  229 x 324 mm", "iso_c4_229x324mm"},
    {31, "Envelope C6  114 x 162 mm", "iso_c6_114x162mm"},
    {32, "Envelope C65 114 x 229 mm", "iso_c6c5_114x229mm"},
    {33, "Envelope B4  250 x 353 mm", "iso_b4_250x353mm"},
    {34, "Envelope B5  176 x 250 mm", "iso_b5_176x250mm"},
    {35, "Envelope B6  176 x 125 mm", "iso_b6_125x176mm"},
    {36, "Envelope 110 x 230 mm", "om_italian_110x230mm"},
    {37, "Envelope Monarch 3.875 x 7.5 in", "na_monarch_3.875x7.5in"},
    {38, "6 3/4 Envelope 3 5/8 x 6 1/2 in", "na_personal_3.625x6.5in"},
    {39, "US Std Fanfold 14 7/8 x 11 in", "na_fanfold-us_11x14.875in"},
    {40, "German Std Fanfold 8 1/2 x 12 in", "na_fanfold-eur_8.5x12in"},
    {41, "German Legal Fanfold 8 1/2 x 13 in", "na_foolscap_8.5x13in"},
    {42, "B4 (ISO) 250 x 353 mm", "iso_b4_250x353mm"},
    {43, "Japanese Postcard 100 x 148 mm", "jpn_hagaki_100x148mm"},
    {44, "9 x 11 in", "na_9x11_9x11in"},
    {45, "10 x 11 in", "na_10x11_10x11in"},
    {46, "15 x 11 in", "na_11x15_11x15in"},
    {47, "Envelope Invite 220 x 220 mm", "om_invite_220x220mm"},
    {48, "RESERVED--DO NOT USE", ""},
    {49, "RESERVED--DO NOT USE", ""},
    {50, "Letter Extra 9 \u00bd x 12 in", "na_letter-extra_9.5x12in"},
    {51, "Legal Extra 9 \u00bd x 15 in", "na_legal-extra_9.5x15in"},
    {52, "Tabloid Extra 11.69 x 18 in", "na_tabloid-extra_11.69x18in"},
    {53, "A4 Extra 9.27 x 12.69 in", "iso_a4-extra_235.5x322.3mm"},
    {54, "Letter Transverse 8 \u00bd x 11 in", "na_letter_8.5x11in"},
    {55, "A4 Transverse 210 x 297 mm", "iso_a4_210x297mm"},
    {56, "Letter Extra Transverse 9\u00bd x 12 in", "na_letter-extra_9.5x12in"},
    {57, "SuperA/SuperA/A4 227 x 356 mm", "na_super-a_8.94x14in"},
    {58, "SuperB/SuperB/A3 305 x 487 mm", "na_b-plus_12x19.17in"},
    {59, "Letter Plus 8.5 x 12.69 in", "na_letter-plus_8.5x12.69in"},
    {60, "A4 Plus 210 x 330 mm", "om_folio_210x330mm"},
    {61, "A5 Transverse 148 x 210 mm", "iso_a5_148x210mm"},
    {62, "B5 (JIS) Transverse 182 x 257 mm", "jis_b5_182x257mm"},
    {63, "A3 Extra 322 x 445 mm", "iso_a3-extra_322x445mm"},
    {64, "A5 Extra 174 x 235 mm", "iso_a5-extra_174x235mm"},
    {65, "B5 (ISO) Extra 201 x 276 mm", "iso_b5-extra_201x276mm"},
    {66, "A2 420 x 594 mm", "iso_a2_420x594mm"},
    {67, "A3 Transverse 297 x 420 mm", "iso_a3_297x420mm"},
    {68, "A3 Extra Transverse 322 x 445 mm", "iso_a3-extra_322x445mm"},
    {69, "Japanese Double Postcard 200 x 148 mm", "jpn_oufuku_148x200mm"},
    {70, "A6 105 x 148 mm", "iso_a6_105x148mm"},
    {71, "Japanese Envelope Kaku #2", "jpn_kaku2_240x332mm"},
    {72, "Japanese Envelope Kaku #3", "jpn_kaku3_216x277mm"},
    {73, "Japanese Envelope Chou #3", "jpn_chou3_120x235mm"},
    {74, "Japanese Envelope Chou #4", "jpn_chou4_90x205mm"},
    {75, "Letter Rotated 11 x 8 1/2 11 in", "na_letter_8.5x11in"},
    {76, "A3 Rotated 420 x 297 mm", "iso_a3_297x420mm"},
    {77, "A4 Rotated 297 x 210 mm", "iso_a4_210x297mm"},
    {78, "A5 Rotated 210 x 148 mm", "iso_a5_148x210mm"},
    {79, "B4 (JIS) Rotated 364 x 257 mm", "jis_b4_257x364mm"},
    {80, "B5 (JIS) Rotated 257 x 182 mm", "jis_b5_182x257mm"},
    {81, "Japanese Postcard Rotated 148 x 100 mm", "jpn_hagaki_100x148mm"},
    {82, "Double Japanese Postcard Rotated 148 x 200 mm", "jpn_oufuku_148x200mm"},
    {83, "A6 Rotated 148 x 105 mm", "iso_a6_105x148mm"},
    {84, "Japanese Envelope Kaku #2 Rotated", "jpn_kaku2_240x332mm"},
    {85, "Japanese Envelope Kaku #3 Rotated", "jpn_kaku3_216x277mm"},
    {86, "Japanese Envelope Chou #3 Rotated", "jpn_chou3_120x235mm"},
    {87, "Japanese Envelope Chou #4 Rotated", "jpn_chou4_90x205mm"},
    {88, "B6 (JIS) 128 x 182 mm", "jis_b6_128x182mm"},
    {89, "B6 (JIS) Rotated 182 x 128 mm", "jis_b6_128x182mm"},
    {90, "12 x 11 in", "na_11x12_11x12in"},
    {91, "Japanese Envelope You #4", "jpn_you4_105x235mm"},
    {92, "Japanese Envelope You #4 Rotated", "jpn_you4_105x235mm"},
    {93, "PRC 16K 146 x 215 mm", "prc_16k_146x215mm"},
    {94, "PRC 32K 97 x 151 mm", "prc_32k_97x151mm"},
    {95, "PRC 32K(Big) 97 x 151 mm", "prc_32k_97x151mm"},
    {96, "PRC Envelope #1 102 x 165 mm", "prc_1_102x165mm"},
    {97, "PRC Envelope #2 102 x 176 mm", "prc_2_102x176mm"},
    {98, "PRC Envelope #3 125 x 176 mm", "prc_3_125x176mm"},
    {99, "PRC Envelope #4 110 x 208 mm", "prc_4_110x208mm"},
    {100, "PRC Envelope #5 110 x 220 mm", "prc_5_110x219mm"},
    {101, "PRC Envelope #6 120 x 230 mm", "prc_6_120x230mm"},
    {102, "PRC Envelope #7 160 x 230 mm", "prc_7_160x230mm"},
    {103, "PRC Envelope #8 120 x 309 mm", "prc_8_120x309mm"},
    {104, "PRC Envelope #9 229 x 324 mm", "prc_9_229x324mm"},
    {105, "PRC Envelope #10 324 x 458 mm", "prc_10_324x458mm"},
    {106, "PRC 16K Rotated", "prc_16k_146x215mm"},
    {107, "PRC 32K Rotated", "prc_32k_97x151mm"},
    {108, "PRC 32K(Big) Rotated", "prc_32k_97x151mm"},
    {109, "PRC Envelope #1 Rotated 165 x 102 mm", "prc_1_102x165mm"},
    {110, "PRC Envelope #2 Rotated 176 x 102 mm", "prc_2_102x176mm"},
    {111, "PRC Envelope #3 Rotated 176 x 125 mm", "prc_3_125x176mm"},
    {112, "PRC Envelope #4 Rotated 208 x 110 mm", "prc_4_110x208mm"},
    {113, "PRC Envelope #5 Rotated 220 x 110 mm", "prc_5_110x219mm"},
    {114, "PRC Envelope #6 Rotated 230 x 120 mm", "prc_6_120x230mm"},
    {115, "PRC Envelope #7 Rotated 230 x 160 mm", "prc_7_160x230mm"},
    {116, "PRC Envelope #8 Rotated 309 x 120 mm", "prc_8_120x309mm"},
    {117, "PRC Envelope #9 Rotated 324 x 229 mm", "prc_9_229x324mm"},
    {118, "PRC Envelope #10 Rotated 458 x 324 mm", "prc_10_324x458mm"},
}};

// The entry of a listed code, or nullptr (0, 256, and anything outside 1 to 118).
inline const PaperSize* paperSizeForCode(int code)
{
    if (code < 1 || code > static_cast<int>(kPaperSizes.size()))
        return nullptr;
    return &kPaperSizes[static_cast<std::size_t>(code - 1)];
}

// The first listed code whose media is the given one, or nullptr.
inline const PaperSize* paperSizeForMedia(std::string_view media)
{
    if (media.empty())
        return nullptr;
    for (const PaperSize& paper : kPaperSizes)
        if (paper.media == media)
            return &paper;
    return nullptr;
}

struct MediaSize {
    int width = 0; // hundredths of a millimetre
    int length = 0;
    bool operator==(const MediaSize&) const = default;
};

// The size that a self-describing media name carries in its last part ("..._210x297mm", "..._8.5x11in"),
// converted as CUPS converts it: exactly, with what is left below a hundredth of a millimetre dropped.
inline std::optional<MediaSize> mediaSize(std::string_view media)
{
    const std::size_t last = media.rfind('_');
    if (last == std::string_view::npos)
        return std::nullopt;
    std::string_view dims = media.substr(last + 1);
    long long factor = 0; // hundredths of a millimetre per unit
    if (dims.ends_with("mm"))
        factor = 100;
    else if (dims.ends_with("in"))
        factor = 2540;
    else
        return std::nullopt;
    dims.remove_suffix(2);
    auto measure = [factor](std::string_view text, int* value) {
        const std::size_t point = text.find('.');
        const std::string_view whole = text.substr(0, point);
        const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
        if (whole.empty() || whole.size() > 6 || fraction.size() > 6 ||
            whole.find_first_not_of("0123456789") != std::string_view::npos ||
            fraction.find_first_not_of("0123456789") != std::string_view::npos ||
            (point != std::string_view::npos && fraction.empty()))
            return false;
        long long number = 0, decimals = 0, scale = 1;
        for (const char c : whole)
            number = number * 10 + (c - '0');
        for (const char c : fraction) {
            decimals = decimals * 10 + (c - '0');
            scale *= 10;
        }
        *value = static_cast<int>(number * factor + decimals * factor / scale);
        return *value > 0;
    };
    const std::size_t x = dims.find('x');
    if (x == std::string_view::npos)
        return std::nullopt;
    MediaSize size;
    if (!measure(dims.substr(0, x), &size.width) || !measure(dims.substr(x + 1), &size.length))
        return std::nullopt;
    return size;
}

// The limits of a printer's custom sizes are listed among its media with these prefixes.
inline bool isCustomRangeMedia(std::string_view media)
{
    return media.starts_with("custom_min_") || media.starts_with("custom_max_");
}

// A media of a size of its own (what a custom size is written as), as opposed to a listed one.
inline bool isCustomMedia(std::string_view media)
{
    return media.starts_with("custom_") && !isCustomRangeMedia(media);
}

// The custom media of a sheet of the given width and length in hundredths of a millimetre, named as CUPS
// names a custom size that has no name of its own: "custom_297x210mm_297x210mm".
inline std::string customMediaName(int width, int length)
{
    auto millimetres = [](int hundredths) {
        char text[32];
        std::snprintf(text, sizeof text, "%d", hundredths / 100);
        std::string result = text;
        if (const int fraction = hundredths % 100; fraction != 0) {
            std::snprintf(text, sizeof text, ".%02d", fraction);
            std::string decimals = text;
            while (decimals.back() == '0')
                decimals.pop_back();
            result += decimals;
        }
        return result;
    };
    const std::string dims = millimetres(width) + "x" + millimetres(length) + "mm";
    return "custom_" + dims + "_" + dims;
}

} // namespace printing
