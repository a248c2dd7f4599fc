// The control's fixed identities: what hosts and the registry know it by.
#pragma once

#include "platform/component/dispatch.h"

#include <QUuid>
#include <cstdint>

namespace quorbel {

// type library QUORBELLib
inline constexpr QUuid kTypeLibId{0x8069E170, 0x9517, 0x4AF3, 0x9B, 0x3D, 0x4F, 0xE0, 0x99, 0x22, 0x6F, 0x5B};
inline constexpr int kTypeLibMajor = 1;
inline constexpr int kTypeLibMinor = 0;
inline constexpr char kTypeLibName[] = "QUORBELLib";
inline constexpr char kTypeLibHelpString[] = "Quorbel ActiveX Control module";
inline constexpr char kTypeLibHelpFile[] = "Quorbel.hlp";

// dispatch interface _DQuorbel and event interface _DQuorbelEvents (which declares no events)
inline constexpr QUuid kDispatchId{0x6CEE80E4, 0x456F, 0x4E9B, 0xA8, 0x04, 0xF1, 0x23, 0x93, 0x4E, 0xFC, 0xF4};
inline constexpr QUuid kEventsId{0x5F40DA07, 0xD63C, 0x4043, 0x92, 0x74, 0xB8, 0xAC, 0xBB, 0x2E, 0x44, 0x25};

// control class Quorbel
inline constexpr QUuid kControlClassId{0x4E79D236, 0x3AD6, 0x44D3, 0x9A, 0xFC, 0x75, 0x4A, 0xD7, 0xAB, 0xF9, 0xE2};
inline constexpr char kControlProgId[] = "QUORBEL.QuorbelCtrl.1";
inline constexpr std::uint32_t kMiscStatus = 0x00020191;
inline constexpr int kToolboxBitmap = 1;

// property page class CQuorbelPropPage; its ProgID belongs to its factory only and is never registered
inline constexpr QUuid kPropPageClassId{0x21DAA67D, 0x0E1F, 0x497A, 0x86, 0x52, 0xA1, 0x4A, 0xC1, 0xE4, 0x07, 0x0A};
inline constexpr char kPropPageProgId[] = "QUORBEL.QuorbelPropPage.1";

// the library's string table
inline constexpr char kStringControlName[] = "Quorbel Control"; // 1
inline constexpr char kStringPropPageName[] = "Quorbel Property Page"; // 2
inline constexpr char kStringPropPageCaption[] = "General"; // 200

// the members of _DQuorbel, called by these numbers
namespace dispid {
inline constexpr component::DispId Orientation = 1;
inline constexpr component::DispId PaperLength = 2;
inline constexpr component::DispId PaperWidth = 3;
inline constexpr component::DispId UserFormName = 4;
inline constexpr component::DispId PrinterName = 7;
inline constexpr component::DispId PaperSize = 8;
inline constexpr component::DispId SetPaper = 9;
inline constexpr component::DispId AboutBox = -552;
} // namespace dispid

} // namespace quorbel
