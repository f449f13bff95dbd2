// Decodes a member's stored bytes the way the updater's gzip reader does:
// data that begins with the gzip magic 1F 8B is one or more concatenated
// gzip members, each checked against its CRC-32 and length; anything else
// (fewer than two bytes included) is copied unchanged. Streams through fixed
// buffers, whatever the member's size.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host_files.h"

namespace orvpack {

struct DecodedMember {
  enum class Kind { kGzip, kStored, kEmpty } kind = Kind::kEmpty;
  uint64_t size = 0;  // bytes the member extracts to
  uint32_t crc = 0;   // CRC-32 of those bytes
  int gzipMembers = 0;
  // Bytes after the last gzip member that do not start another one: the
  // updater's reader drops them without a word.
  uint64_t trailingBytes = 0;
  std::string damage;  // why the updater would end with exit status 1; empty when sound
};

// A member's decoded bytes, pulled piece by piece from the package; it can
// start over from the first byte, so that a reader can go back.
class MemberStream {
 public:
  // The `size` stored bytes at `position` of `file`.
  MemberStream(HostFile& file, int64_t position, uint32_t size);
  ~MemberStream();
  MemberStream(const MemberStream&) = delete;
  MemberStream& operator=(const MemberStream&) = delete;

  // Up to `max` (above 0) decoded bytes into `to`; `*got` is 0 at the end of
  // the data, damage included (see result()). False when the package cannot
  // be read.
  bool Read(uint8_t* to, size_t max, size_t* got);
  void Restart();
  // What the bytes pulled so far showed; complete once Read gave 0.
  const DecodedMember& result() const { return result_; }

 private:
  enum class Mode { kStart, kStored, kGzip, kEnd };
  bool Fill();
  void Consume(size_t count);
  void Emit(const uint8_t* data, size_t count);
  bool StartsGzip() const;
  bool InflateSome(uint8_t* to, size_t max, size_t* got);
  bool NextGzipMember();
  void Damaged(const std::string& why);

  HostFile& file_;
  const int64_t position_;
  const uint32_t size_;
  uint32_t left_;  // stored bytes not yet read from the file
  std::vector<uint8_t> input_;
  size_t next_ = 0, have_ = 0;
  z_stream stream_{};
  bool inflating_ = false;
  Mode mode_ = Mode::kStart;
  DecodedMember result_;
};

// Receives the decoded bytes; false stops the decoding (a failed write).
using ByteSink = std::function<bool(const uint8_t* data, size_t size)>;

// Decodes exactly `size` bytes from the current position of `file`. False
// when reading the package or `sink` failed (`*ioError` says which); damage
// is reported in `result->damage` with a true return.
bool DecodeMember(HostFile& file, uint32_t size, const ByteSink& sink, DecodedMember* result,
                  std::string* ioError);

}  // namespace orvpack
