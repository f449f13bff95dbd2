#include "package/package_bytes.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

namespace testing_package {

std::string Le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

namespace {

std::string RawDeflate(const std::string& data) {
  z_stream stream{};
  if (deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return {};
  std::string out(deflateBound(&stream, data.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

uint32_t Crc(const std::string& data) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

}  // namespace

std::string Gzip(const std::string& data, const GzipHeader& header) {
  uint8_t flags = 0;
  if (header.headerCrc) flags |= 0x02;
  if (!header.extra.empty()) flags |= 0x04;
  if (!header.name.empty()) flags |= 0x08;
  if (!header.comment.empty()) flags |= 0x10;
  std::string out = {'\x1F', '\x8B', '\x08', static_cast<char>(flags)};
  out += Le32(header.mtime);
  out += static_cast<char>(header.extraFlags);
  out += static_cast<char>(header.os);
  if (!header.extra.empty()) {
    out += static_cast<char>(header.extra.size() & 0xFF);
    out += static_cast<char>(header.extra.size() >> 8);
    out += header.extra;
  }
  if (!header.name.empty()) out += header.name + '\0';
  if (!header.comment.empty()) out += header.comment + '\0';
  if (header.headerCrc) {
    const uint32_t crc = Crc(out);
    out += static_cast<char>(crc & 0xFF);
    out += static_cast<char>((crc >> 8) & 0xFF);
  }
  out += RawDeflate(data);
  out += Le32(Crc(data));
  out += Le32(static_cast<uint32_t>(data.size()));
  return out;
}

std::string GzipCommand(const std::string& data, const std::string& fileName) {
  ScratchFolder folder;
  const std::string input = folder.path() + "/" + fileName;
  if (!WriteHostFile(input, data)) return {};
  const std::string command = "gzip -N -9 '" + input + "'";
  if (std::system(command.c_str()) != 0) return {};
  std::string out;
  ReadHostFile(input + ".gz", &out);
  return out;
}

std::string Record(const std::string& name, const std::string& data) {
  return RecordWithSize(name, static_cast<int32_t>(data.size()), data);
}

std::string RecordWithSize(const std::string& name, int32_t size, const std::string& data) {
  std::string field = name.substr(0, 260);
  field.resize(260, '\0');
  return field + Le32(static_cast<uint32_t>(size)) + data;
}

std::string Archive(uint32_t flags, int32_t count, const std::vector<std::string>& records) {
  std::string out = "LPCK" + Le32(flags) + Le32(static_cast<uint32_t>(count));
  for (const std::string& record : records) out += record;
  return out;
}

std::string PackageWithOffset(const std::string& archive, uint32_t offsetWord) {
  std::string exe(kExecutableSize, '\0');
  exe[0] = 'M';
  exe[1] = 'Z';
  const std::string word = Le32(offsetWord);
  exe.replace(40, 4, word);
  return exe + archive;
}

std::string Package(const std::string& archive) {
  return PackageWithOffset(archive, kExecutableSize);
}

}  // namespace testing_package
