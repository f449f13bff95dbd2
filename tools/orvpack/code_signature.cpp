#include "code_signature.h"

#include "os/little_endian.h"
#include "pe_image.h"

namespace orvpack {
namespace {

// WIN_CERTIFICATE: length, revision 2.0, type PKCS#7 SignedData; entries
// are aligned to 8 bytes.
constexpr uint32_t kCertificateHeaderSize = 8;
constexpr uint16_t kCertificateRevision = 0x0200, kPkcsSignedData = 0x0002;
constexpr int64_t kAlignment = 8;

bool ReadAt(HostFile& file, int64_t position, void* buffer, size_t size) {
  return file.Seek(position) && file.ReadExactly(buffer, size);
}

class HostFileReader final : public firmware::ImageReader {
 public:
  explicit HostFileReader(HostFile& file) : file_(file) {}
  bool ReadAt(uint64_t at, uint8_t* to, uint32_t size) override {
    return orvpack::ReadAt(file_, static_cast<int64_t>(at), to, size);
  }

 private:
  HostFile& file_;
};

// Walks the table's entries; empty when each is a well-formed PKCS#7 entry
// and together they fill the table.
std::string CheckEntries(HostFile& file, CodeSignature* signature) {
  const int64_t end = signature->offset + signature->size;
  for (int64_t position = signature->offset; position < end;) {
    uint8_t header[kCertificateHeaderSize];
    if (end - position < static_cast<int64_t>(sizeof header) ||
        !ReadAt(file, position, header, sizeof header))
      return "the certificate table ends inside an entry's header";
    const uint32_t length = little_endian::Load32(header);
    if (little_endian::Load16(header + 4) != kCertificateRevision ||
        little_endian::Load16(header + 6) != kPkcsSignedData)
      return "a certificate entry is not a PKCS#7 signature of revision 2.0";
    if (length <= sizeof header || length > end - position)
      return "a certificate entry's length " + std::to_string(length) + " does not fit the table";
    ++signature->certificates;
    position += (length + kAlignment - 1) / kAlignment * kAlignment;
  }
  return {};
}

}  // namespace

CodeSignature ReadCodeSignature(HostFile& file, int64_t fileSize) {
  CodeSignature signature;
  HostFileReader reader(file);
  PeHeaders headers;
  uint32_t offset = 0;
  if (!ReadPeHeaders(reader, fileSize, &headers) ||
      !ReadDataDirectory(reader, headers, kSecurityDirectory, &offset, &signature.size))
    return signature;
  // The security entry holds a file offset, not a virtual address.
  signature.offset = offset;
  if (signature.offset == 0 || signature.size == 0) return CodeSignature{};
  if (signature.offset + signature.size > fileSize)
    signature.fault = "the certificate table runs past the end of the file";
  else
    signature.fault = CheckEntries(file, &signature);
  return signature;
}

std::string SignaturePlacementFault(HostFile& file, const CodeSignature& signature,
                                    int64_t archiveEnd, int64_t fileSize) {
  if (!signature.fault.empty()) return "the code signature is damaged: " + signature.fault;
  if (signature.offset < archiveEnd)
    return "the code signature at offset " + std::to_string(signature.offset) +
           " lies before the end of the archive: it was made before the archive was appended and "
           "Windows finds it broken; sign the package after building it";
  const int64_t gap = signature.offset - archiveEnd;
  uint8_t padding[kAlignment] = {};
  if (gap >= kAlignment || !ReadAt(file, archiveEnd, padding, static_cast<size_t>(gap)))
    return std::to_string(gap) + " bytes lie between the archive and the code signature";
  for (int64_t i = 0; i < gap; ++i)
    if (padding[i] != 0)
      return "the bytes between the archive and the code signature are not alignment padding";
  if (signature.offset + signature.size != fileSize)
    return std::to_string(fileSize - signature.offset - signature.size) +
           " bytes follow the code signature";
  return {};
}

std::string DescribeSignature(const CodeSignature& signature) {
  return "Authenticode signature: " + std::to_string(signature.certificates) + " certificate entr" +
         (signature.certificates == 1 ? "y, " : "ies, ") + std::to_string(signature.size) +
         " bytes at offset " + std::to_string(signature.offset);
}

}  // namespace orvpack
