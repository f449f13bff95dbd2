#include "support/image_files.h"

namespace image_test {
namespace {

std::string Filler(size_t size) {
  std::string bytes(size, '\0');
  uint32_t x = 20120314;
  for (char& c : bytes) {
    x = x * 69069 + 1;
    c = static_cast<char>(x >> 24);
    if (c == 'Z') c = 'z';
  }
  return bytes;
}

void Put(std::string& to, size_t at, const std::string& bytes) {
  to.replace(at, bytes.size(), bytes);
}

std::string Le(uint64_t value, int width) {
  std::string bytes;
  for (int i = 0; i < width; ++i) bytes += static_cast<char>(value >> (8 * i));
  return bytes;
}

}  // namespace

size_t TableAt(const PhoenixLayout& l) {
  return (l.headerAt < l.markerAt ? l.headerAt : l.markerAt) + l.tableOffset;
}

std::string AreaBytes(const AreaRow& r) {
  return Le(r.length, 4) + Le(r.imageOffset, 4) + Le(r.flashAddress, 4) + Le(r.reserved, 2) +
         Le(r.flags, 2);
}

std::string PhoenixImage(const PhoenixLayout& l) {
  std::string image = Filler(l.size);
  std::string header =
      "ZFLPF" + std::string(48, '\x11') + Le(l.tableOffset, 4) + "\x22\x22\x22\x22";
  Put(image, l.headerAt, header);
  Put(image, l.markerAt, "ZQDS");
  size_t at = TableAt(l);
  for (const AreaRow& row : l.rows) {
    Put(image, at, AreaBytes(row));
    at += 16;
  }
  if (l.terminated) Put(image, at, std::string(16, '\0'));
  image.resize(l.size);  // a table may run to the end of the file, not past it
  return image;
}

std::string PhoenixImage(size_t size, size_t headerAt, uint32_t entries, bool terminated) {
  PhoenixLayout layout{size, headerAt, headerAt + 0x100, 0x60, {}, false};
  for (uint32_t i = 0; i < entries; ++i)
    layout.rows.push_back({0x10000, 0x10000 * i, 0xFFF00000 + 0x10000 * i, 0x5A5A, 0x22});
  if (terminated) layout.rows.push_back({0, 0, 0, 0x5A5A, 0});
  return PhoenixImage(layout);
}

std::string NewSystemFile(size_t size, const NewSystemBlocks& b) {
  std::string file = Filler(size);
  Put(file, b.diagAt, "DiaG@\x01\x02\x03\x04\x05\x06X" + b.model);
  Put(file, b.develAt, "DEVEL" + b.part);
  Put(file, b.dmiAt, "BCPDMI");
  std::string sys = "BCPSYS" + std::string(99, '\x33') + Le(b.keptAreaWord, 2);
  Put(file, b.sysAt, sys);
  file.resize(size);  // a block may run to the end of the file, not past it
  return file;
}

std::string AmiImage(size_t size, size_t at, const std::string& part, const std::string& version) {
  std::string file = Filler(size);
  std::string text = version;
  text.resize(8, ' ');
  Put(file, at, "$FID\x04?\x01\x02\x03" + part + std::string(40, ' ') + text);
  file.resize(size);
  return file;
}

}  // namespace image_test
