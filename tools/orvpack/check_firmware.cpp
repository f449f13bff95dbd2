// The firmware paths: each image read as the updater reads it, the flash
// tool sets of both widths under names that stage cleanly, the MICOM files,
// and the legacy memory-access driver.
#include <cstdio>
#include <iterator>

#include "check_parts.h"
#include "core/update_flags.h"
#include "firmware/fid_record.h"
#include "firmware/flash_area_table.h"
#include "firmware/phoenix_tool_names.h"
#include "os/ascii_case.h"
#include "package/member_name.h"

namespace orvpack {
namespace {

constexpr const char* kBiosFileEnd = "the run ends with \"Fail : Bios File\" (0x8000000B)";
constexpr const char* kMicomScope = "Phoenix firmware, controllers other than vendor 'M'";
// The updater's lists of image and MICOM files.
constexpr size_t kListEntries = 10, kListNameSize = 256;

std::string Hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

bool IsProgram(const std::string& name) {
  for (const char* suffix : {".exe", ".sys", ".dll", ".vxd"})
    if (name.size() > 4 && ascii_case::EndsWith(name, suffix)) return true;
  return false;
}

bool BeginsWithMz(const CheckContext& c, const CatalogMember& m) {
  MemberImage image = OpenMember(c, m);
  uint8_t mz[2];
  return image.ReadAt(0, mz, sizeof mz) && mz[0] == 'M' && mz[1] == 'Z';
}

// A file a step needs: its absence, or a program that is none, is an error.
void RequireFile(const CheckContext& c, const std::string& scope, const std::string& name,
                 const std::string& role, const std::string& consequence) {
  const CatalogMember* m = c.catalog.File(name);
  if (!m)
    c.report.Error(scope, Quoted(name) + " (" + role + ") is missing: " + consequence);
  else if (IsProgram(name) && !m->damaged() && !BeginsWithMz(c, *m))
    c.report.Error(scope, Quoted(m->name) + " (" + role +
                              ") does not begin with \"MZ\" as every Windows program, driver "
                              "and library does: " +
                              consequence);
}

struct ToolFile {
  const char* name;
  const char* scope;
  const char* role;
};

constexpr ToolFile kAmiTools[] = {
    {"AFUWIN.exe", "AMI firmware, 32-bit Windows", "the flash tool"},
    {"amifldrv32.sys", "AMI firmware, 32-bit Windows", "the flash tool's driver"},
    {"amifldrv.vxd", "AMI firmware, Windows 98/ME", "the flash tool's driver"},
    {"afuwinx64.exe", "AMI firmware, 64-bit Windows", "the flash tool"},
    {"amifldrv64.sys", "AMI firmware, 64-bit Windows", "the flash tool's driver"},
};

void RequireTool(const CheckContext& c, const ToolFile& tool) {
  const std::string role = tool.role;
  RequireFile(c, tool.scope, tool.name, role,
              role == "the flash tool" ? std::string("the tool cannot start and ") + kBiosFileEnd
                                       : "the flash tool set of this Windows is incomplete");
}

constexpr const char* kRuntimeFiles[] = {"mfc42.dll", "msvcp60.dll", "msvcrt.dll"};

// The Phoenix set of each width, staged by renaming it to the working
// names: a member already under a working name makes the rename fail, and
// that member is used instead.
void CheckPhoenixStaging(const CheckContext& c) {
  const char* const roles[firmware::kPhoenixCarried] = {"the flash tool", "the flash tool's driver",
                                                        "the flash tool's library",
                                                        "the flash tool's settings"};
  for (const auto* set : {&firmware::kPhoenix32, &firmware::kPhoenix64}) {
    const std::string scope = std::string(kPhoenix) +
                              (set == &firmware::kPhoenix32 ? ", 32-bit" : ", 64-bit") + " Windows";
    for (size_t i = 0; i < firmware::kPhoenixCarried; ++i)
      RequireTool(c, {(*set)[i], scope.c_str(), roles[i]});
  }
  for (size_t i = 0; i < std::size(firmware::kPhoenixWorkingNames); ++i)
    if (const CatalogMember* m = c.catalog.File(firmware::kPhoenixWorkingNames[i]))
      c.report.Error(kPhoenix, "member " + Quoted(m->storedName) + " becomes " + Quoted(m->name) +
                                   ", the name " + firmware::kPhoenix32[i] + " or " +
                                   firmware::kPhoenix64[i] +
                                   " is renamed to before the flash tool runs: the rename fails "
                                   "and this file is used instead");
  if (const CatalogMember* m = c.catalog.File("newSys.bin"))
    c.report.Error(kPhoenix, "member " + Quoted(m->storedName) +
                                 " becomes \"newSys.bin\", which the updater reads as the flash "
                                 "tool's report on an image it refused (and counts as a MICOM "
                                 "image)");
  for (const char* name : kRuntimeFiles)
    if (!c.catalog.File(name))
      c.report.Warning(kPhoenix, Quoted(name) +
                                     " (a runtime library staged beside the flash tool) is "
                                     "missing: the flash tool depends on the copy Windows has");
}

// The updater's list of "*.wph" or "*.bin" files, and the choice among
// several by characters 2 and 3 of the installed BIOS version.
void CheckFileList(const CheckContext& c, const std::string& scope, const std::string& kind,
                   const std::vector<const CatalogMember*>& files) {
  if (files.size() > kListEntries)
    c.report.Warning(scope, std::to_string(files.size()) + " " + kind +
                                "s: the updater lists the first 10 the file system returns "
                                "and ignores the others");
  for (const CatalogMember* m : files)
    if (m->name.size() >= kListNameSize)
      c.report.Error(scope, Quoted(package::PrintableName(m->name)) +
                                ": a name of 256 characters or more, which the updater leaves "
                                "out of its list");
  if (files.size() < 2) return;
  std::string keys;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string key = files[i]->name.substr(2, 2);
    keys += (i ? ", " : "") + Quoted(files[i]->name) + " (" + key + ")";
    for (size_t j = 0; j < i; ++j)
      if (ascii_case::Same(files[j]->name.substr(2, 2), key))
        c.report.Warning(scope, Quoted(files[j]->name) + " and " + Quoted(files[i]->name) +
                                    " share characters 2 and 3 (" + Quoted(key) +
                                    "): only the one the file system lists first is ever taken");
  }
  c.report.Info(scope,
                kind + "s, taken by characters 2 and 3 of the installed BIOS version: " + keys);
}

// What the patch does to the table with this flags word.
std::string PatchSummary(uint32_t flags, uint8_t escd, const firmware::FlashAreaPlan& plan) {
  std::string done;
  if (flags & core::FlashLastArea)
    done = "FlashLastArea selects entry " + std::to_string(plan.terminator - 1);
  if ((flags & core::BreakEscd) && escd < plan.terminator)
    done +=
        (done.empty() ? "" : "; ") + std::string("BreakEscd adjusts entry ") + std::to_string(escd);
  if (flags == core::DmiOnly) done = "DmiOnly keeps entry 0 and excludes the others";
  return done.empty() ? "no patch" : done;
}

void CheckPhoenixImage(const CheckContext& c, const CatalogMember& m) {
  if (m.damaged()) return;
  const std::string image = Quoted(m.name);
  const uint64_t size = m.decoded.size;
  const std::string unusable = "a table neither the flash tool nor the updater's patch can use";
  MemberImage reader = OpenMember(c, m);
  firmware::FlashAreaLayout layout;
  if (!firmware::LocateFlashAreaTable(reader, size, &layout)) {
    c.report.Error(kPhoenix, image +
                                 ": no flash-area table: no \"ZFLPF\" header (61 bytes) and "
                                 "\"ZQDS\" marker from " +
                                 Hex(size < firmware::kLargeImageSize ? 0x80000 : 0x100000) +
                                 " on: the updater's patch changes nothing and the flash tool "
                                 "finds no table");
    return;
  }
  // The table as it is stored, and as the patch leaves it.
  firmware::FlashAreaPlan stored, patched;
  firmware::PlanFlashAreaPatch(reader, layout, 0, 0, &stored);
  firmware::PlanFlashAreaPatch(reader, layout, c.flags, 0, &patched);
  const std::string table = "the flash-area table at " + Hex(layout.table);
  if (stored.terminator < 0) {
    c.report.Error(kPhoenix, image + ": " + table +
                                 (stored.read == firmware::kFlashAreaEntries
                                      ? " has no terminator among its 256 entries: "
                                      : " runs to the end of the file without a terminator: ") +
                                 unusable);
    return;
  }
  if (stored.terminator == 0) {
    c.report.Error(kPhoenix, image + ": " + table + " is empty (its first entry is the " +
                                 "terminator): " + unusable);
    return;
  }
  const std::string entries = std::to_string(stored.terminator) + " entries";
  if (patched.terminator != stored.terminator) {
    const bool earlier = patched.terminator >= 0 && patched.terminator < stored.terminator;
    c.report.Error(kPhoenix,
                   image + ": the patch for " + core::UpdateFlagNames(c.flags) + " changes where " +
                       table + " (" + entries + ") ends: " +
                       (earlier ? "its walk stops at entry " + std::to_string(patched.terminator) +
                                      " and leaves the entries behind it as they are"
                                : "its walk goes on past the table, takes the "
                                  "image's bytes there for entries and rewrites them"));
    return;
  }
  const uint8_t escd = firmware::EscdEntryIndex(size);
  if ((c.flags & core::BreakEscd) && escd > stored.terminator)
    c.report.Warning(kPhoenix, image + ": BreakEscd adjusts entry " + std::to_string(escd) +
                                   ", which " + table + " does not have: it changes nothing");
  c.report.Info(kPhoenix, image + ": " + std::to_string(size) + " bytes, " + table + ", " +
                              entries + "; " + PatchSummary(c.flags, escd, patched));
}

void CheckMicom(const CheckContext& c) {
  if (c.flags & core::SkipUpdateMicom) return;
  const std::vector<const CatalogMember*> images = c.catalog.FilesEndingIn(".bin");
  if (images.empty())
    c.report.Error(kMicomScope,
                   "no MICOM image (\"*.bin\"): the run ends at Step 04 with \"Fail : Micom "
                   "File\" (0x8000000C) before anything is flashed, unless it is started with "
                   "\"/SKIP_UPDATE_MICOM\"");
  CheckFileList(c, kMicomScope, "MICOM image", images);
  for (const CatalogMember* m : images)
    if (!m->damaged() && m->decoded.size == 0)
      c.report.Error(kMicomScope, Quoted(m->name) + " is empty: the MICOM tool gets no image");
  // A DMI-only run flashes no MICOM.
  if (!(c.flags & core::DmiOnly))
    RequireFile(c, kMicomScope, "WinUpV01_10.exe", "the MICOM tool",
                "the MICOM update fails after the BIOS was flashed (\"Fail : Micom\", "
                "0x8000000A)");
}

void CheckAmiImage(const CheckContext& c, const CatalogMember& rom) {
  if (rom.damaged()) return;
  if (rom.decoded.size > firmware::kLargestMappedFile) {
    c.report.Error(kAmi, "\"bios.rom\" is larger than 64 MiB, which the updater does not read: " +
                             std::string(kBiosFileEnd));
    return;
  }
  MemberImage reader = OpenMember(c, rom);
  const int64_t at = firmware::FindFidRecord(reader, rom.decoded.size);
  uint8_t record[firmware::kFidRecordSize];
  if (at < 0 || !reader.ReadAt(static_cast<uint64_t>(at), record, sizeof record)) {
    c.report.Error(kAmi,
                   "\"bios.rom\" has no \"$FID\" record (\"$FID\", '?' at its byte 5, 60 bytes "
                   "inside the file): " +
                       std::string(kBiosFileEnd));
    return;
  }
  char part[firmware::kFidPartLength + 1];
  firmware::FidPartNumber(record, part);
  const uint32_t version = firmware::FidVersion(record);
  const std::string found = "the \"$FID\" record at " + Hex(static_cast<uint64_t>(at));
  if (version == 0 || version == 0xFFFFFFFF)
    c.report.Error(kAmi, "\"bios.rom\": the version in " + found + " reads as " +
                             std::to_string(static_cast<int32_t>(version)) + ": " + kBiosFileEnd);
  else
    c.report.Info(kAmi, "\"bios.rom\": " + found + ": part number " +
                            Quoted(package::PrintableName(part)) + ", version " +
                            std::to_string(version));
}

// Extracted on its own into %TEMP% at start-up, on every Windows but Vista
// and 7, by the first member whose name begins with "addmem.sys".
void CheckLegacyDriver(const CheckContext& c) {
  const std::string scope = "every Windows but Vista and 7";
  const CatalogMember* m = c.catalog.FirstStartingWith("addmem.sys");
  if (!m)
    c.report.Error(scope,
                   "no \"AddMem.sys\": the run ends at start-up with \"Fail : Unpack\" "
                   "(0x80000003)");
  else if (!ascii_case::Same(m->storedName, "addmem.sys.gz"))
    c.report.Error(scope,
                   "the start-up extraction of \"addmem.sys\" takes the first member whose "
                   "name begins with it, " +
                       Quoted(m->storedName) +
                       ": no \"AddMem.sys\" is written and the driver cannot load "
                       "(\"Fail : Driver Load\", 0x80000005)");
  else if (!m->damaged() && !BeginsWithMz(c, *m))
    c.report.Error(scope,
                   "\"AddMem.sys\" does not begin with \"MZ\": no driver, so it cannot "
                   "load (\"Fail : Driver Load\", 0x80000005)");
}

}  // namespace

void CheckFirmwarePaths(const CheckContext& c) {
  const std::vector<const CatalogMember*> images = c.catalog.FilesEndingIn(".wph");
  if (!c.phoenix && !c.ami)
    c.report.Error(kEveryMachine,
                   "no firmware image (\"*.wph\" for Phoenix firmware, \"bios.rom\" for AMI "
                   "firmware): " +
                       std::string(kBiosFileEnd) + " on every machine");
  if (c.phoenix) {
    CheckFileList(c, kPhoenix, "Phoenix image", images);
    for (const CatalogMember* m : images) CheckPhoenixImage(c, *m);
    CheckPhoenixStaging(c);
    CheckMicom(c);
  } else {
    c.report.Info(kPhoenix, "not served: no \"*.wph\" image, so " + std::string(kBiosFileEnd) +
                                " before anything is changed");
  }
  if (c.ami) {
    CheckAmiImage(c, *c.catalog.File("bios.rom"));
    for (const ToolFile& tool : kAmiTools) RequireTool(c, tool);
  } else {
    c.report.Info(kAmi, "not served: no \"bios.rom\", so " + std::string(kBiosFileEnd) +
                            " before anything is changed");
  }
  CheckLegacyDriver(c);
}

}  // namespace orvpack
