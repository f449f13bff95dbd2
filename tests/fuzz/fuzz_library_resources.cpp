// libFuzzer target for the package tool's readers of a language library:
// the PE headers and sections, the resource directory, the string blocks
// and the dialog templates, over any bytes. Every read must stay inside
// them, and every resource found must lie inside them. Seed
// (corpus/library_resources): a library with the English texts, both
// templates and both bitmaps, as the check's tests build it.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "dialog_template.h"
#include "pe_resources.h"

namespace {

class Bytes final : public firmware::ImageReader {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool ReadAt(uint64_t at, uint8_t* to, uint32_t size) override {
    if (at > size_ || size > size_ - at) return false;
    std::memcpy(to, data_ + at, size);
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes file(data, size);
  orvpack::PeHeaders headers;
  std::vector<orvpack::PeSection> sections;
  std::vector<orvpack::Resource> resources;
  std::string fault;
  if (!orvpack::ReadPeHeaders(file, static_cast<int64_t>(size), &headers) ||
      !orvpack::ReadPeSections(file, headers, &sections) ||
      !orvpack::ReadResources(file, headers, sections, &resources, &fault))
    return 0;
  for (const orvpack::Resource& r : resources) {
    if (r.position < 0 || static_cast<uint64_t>(r.position) + r.size > size) __builtin_trap();
    if (r.type == orvpack::kStringResource) {
      std::vector<std::u16string> strings;
      if (orvpack::ReadStringBlock(file, r, &strings) && strings.size() != 16) __builtin_trap();
    } else if (r.type == orvpack::kDialogResource) {
      const std::vector<uint8_t> bytes(data + r.position, data + r.position + r.size);
      orvpack::DialogTemplateFacts facts;
      orvpack::ReadDialogTemplate(bytes, &facts, &fault);
    }
  }
  return 0;
}
