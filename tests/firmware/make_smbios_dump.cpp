// make_smbios_dump NAME FILE: writes the SMBIOS table of one of the
// profiles' notebooks as `dmidecode --dump-bin` would (profiles/smbios/).
#include <cstdio>
#include <cstring>

#include "os/sim/host_files.h"
#include "support/smbios_table.h"

int main(int argc, char** argv) {
  smbios_test::NotebookFacts facts;
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_smbios_dump 900x3c|300e5a FILE\n");
    return 2;
  }
  if (std::strcmp(argv[1], "300e5a") == 0) {
    facts.product = "300E4A/300E5A/300E7A";
    facts.version = "P03ABD";
    facts.serial = "ZX3B91AC600777K";
    facts.biosFlag = "FLAG=0x0000";
    facts.purchaseDate = "2011-11-02";
    facts.biosVersion = "08.00.15";
  } else if (std::strcmp(argv[1], "900x3c") != 0) {
    std::fprintf(stderr, "make_smbios_dump: no notebook %s\n", argv[1]);
    return 2;
  }
  const std::string dump = smbios_test::DumpFile(smbios_test::NotebookTable(facts));
  return sim::WriteHostFile(argv[2], dump) ? 0 : 1;
}
