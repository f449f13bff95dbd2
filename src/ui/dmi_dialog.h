// The DMI dialog (template 116, "BCPDMI Setting"): the present System
// Serial, Bios Flag and Purchase Date, to be overtyped with new values of
// the same lengths.
#pragma once

namespace ui {

inline constexpr int kDmiTemplate = 116;

// Controls of template 116.
inline constexpr int kSystemSerialField = 1017;
inline constexpr int kBiosFlagField = 1018;
inline constexpr int kPurchaseDateField = 1019;

// Shows the dialog modally with no owner, from ResourceModule or, when that
// has no template 116, from the executable's own resources. OK stores the
// typed values in Dmi() and sets DmiDialogAccepted; Cancel, Escape and the
// close box clear it. False when no dialog could be created at all.
bool ShowDmiSettingsDialog();

}  // namespace ui
