#include "member_decoder.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace orvpack {
namespace {

constexpr size_t kInputSize = 65536;
constexpr size_t kOutputSize = 65536;

// Input of one member, read from the package in fixed chunks.
class MemberInput {
 public:
  MemberInput(HostFile& file, uint32_t size) : file_(file), left_(size), buffer_(kInputSize) {}

  // Moves unread bytes to the front and tops the buffer up from the file.
  // False when the package cannot be read.
  bool Fill() {
    if (left_ == 0 || have_ == buffer_.size()) return true;
    if (next_ > 0 && have_ > 0)
      std::copy(buffer_.begin() + next_, buffer_.begin() + next_ + have_, buffer_.begin());
    next_ = 0;
    const size_t chunk = static_cast<size_t>(std::min<uint64_t>(left_, buffer_.size() - have_));
    if (!file_.ReadExactly(buffer_.data() + have_, chunk)) return false;
    have_ += chunk;
    left_ -= chunk;
    return true;
  }
  uint8_t* data() { return buffer_.data() + next_; }
  size_t have() const { return have_; }
  void Consume(size_t count) {
    next_ += count;
    have_ -= count;
  }
  bool Exhausted() const { return have_ == 0 && left_ == 0; }
  uint64_t Remaining() const { return have_ + left_; }

 private:
  HostFile& file_;
  uint64_t left_;  // not yet read from the file
  std::vector<uint8_t> buffer_;
  size_t next_ = 0;
  size_t have_ = 0;
};

class Decoder {
 public:
  Decoder(const ByteSink& sink, DecodedMember* result) : sink_(sink), result_(result) {}
  ~Decoder() {
    if (inflating_) inflateEnd(&stream_);
  }

  bool Emit(const uint8_t* data, size_t size) {
    if (size == 0) return true;
    result_->crc = static_cast<uint32_t>(crc32(result_->crc, data, static_cast<uInt>(size)));
    result_->size += size;
    return !sink_ || sink_(data, size);
  }

  // One gzip member from the front of `input`. False on a sink or read
  // failure; damage is recorded in the result.
  bool InflateOne(MemberInput& input, bool* readFailed) {
    if (!inflating_) {
      if (inflateInit2(&stream_, 15 + 16) != Z_OK) {
        result_->damage = "out of memory";
        return true;
      }
      inflating_ = true;
    } else {
      inflateReset(&stream_);
    }
    std::vector<uint8_t>& out = output_;
    for (;;) {
      if (input.have() == 0) {
        if (!input.Fill()) {
          *readFailed = true;
          return false;
        }
        if (input.have() == 0) {
          result_->damage = "gzip data ends early (unexpected end of file)";
          return true;
        }
      }
      stream_.next_in = input.data();
      stream_.avail_in = static_cast<uInt>(input.have());
      stream_.next_out = out.data();
      stream_.avail_out = static_cast<uInt>(out.size());
      const int status = inflate(&stream_, Z_NO_FLUSH);
      input.Consume(input.have() - stream_.avail_in);
      if (!Emit(out.data(), out.size() - stream_.avail_out)) return false;
      if (status == Z_STREAM_END) return true;
      if (status != Z_OK && status != Z_BUF_ERROR) {
        result_->damage = stream_.msg != nullptr ? stream_.msg : "damaged gzip data";
        return true;
      }
    }
  }

 private:
  const ByteSink& sink_;
  DecodedMember* result_;
  z_stream stream_{};
  bool inflating_ = false;
  std::vector<uint8_t> output_ = std::vector<uint8_t>(kOutputSize);
};

}  // namespace

bool DecodeMember(HostFile& file, uint32_t size, const ByteSink& sink, DecodedMember* result,
                  std::string* ioError) {
  *result = DecodedMember{};
  MemberInput input(file, size);
  Decoder decoder(sink, result);
  const std::string readError = "cannot read the package";
  const std::string writeError = "cannot write the extracted file";
  if (!input.Fill()) {
    *ioError = readError;
    return false;
  }
  if (input.Exhausted()) return true;
  if (input.have() < 2 || input.data()[0] != 0x1F || input.data()[1] != 0x8B) {
    result->kind = DecodedMember::Kind::kStored;
    while (!input.Exhausted()) {
      if (!decoder.Emit(input.data(), input.have())) {
        *ioError = writeError;
        return false;
      }
      input.Consume(input.have());
      if (!input.Fill()) {
        *ioError = readError;
        return false;
      }
    }
    return true;
  }
  result->kind = DecodedMember::Kind::kGzip;
  // Each pass consumes at least a gzip header, so the loop ends with the data.
  for (;;) {
    ++result->gzipMembers;
    bool readFailed = false;
    if (!decoder.InflateOne(input, &readFailed)) {
      *ioError = readFailed ? readError : writeError;
      return false;
    }
    if (!result->damage.empty()) return true;
    if (!input.Fill()) {
      *ioError = readError;
      return false;
    }
    if (input.Exhausted()) return true;
    if (input.have() < 2 || input.data()[0] != 0x1F || input.data()[1] != 0x8B) {
      result->trailingBytes = input.Remaining();
      // Leave the file at the member's end, as a full read would.
      while (!input.Exhausted()) {
        input.Consume(input.have());
        if (!input.Fill()) {
          *ioError = readError;
          return false;
        }
      }
      return true;
    }
  }
}

}  // namespace orvpack
