// A dialog template as the dialog manager reads it (the extended layout
// that resource compilers write, and the plain one), walked item by item
// within its resource's bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvpack {

struct DialogTemplateFacts {
  uint16_t items = 0;
  // Bitmaps its static controls show, by number ("#113" or an ordinal).
  std::vector<uint32_t> bitmaps;
};

// False with `*fault` set when the template ends before its last item.
bool ReadDialogTemplate(const std::vector<uint8_t>& bytes, DialogTemplateFacts* facts,
                        std::string* fault);

}  // namespace orvpack
