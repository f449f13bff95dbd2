#include "member_decoder.h"

#include <algorithm>
#include <cstring>

namespace orvpack {
namespace {

constexpr size_t kInputSize = 65536;
constexpr size_t kOutputSize = 65536;

}  // namespace

MemberStream::MemberStream(HostFile& file, int64_t position, uint32_t size)
    : file_(file), position_(position), size_(size), left_(size), input_(kInputSize) {}

MemberStream::~MemberStream() {
  if (inflating_) inflateEnd(&stream_);
}

void MemberStream::Restart() {
  left_ = size_;
  next_ = have_ = 0;
  mode_ = Mode::kStart;
  result_ = DecodedMember{};
}

// Moves unread bytes to the front and tops the buffer up from the file.
bool MemberStream::Fill() {
  if (left_ == 0 || have_ == input_.size()) return true;
  if (next_ > 0 && have_ > 0) std::memmove(input_.data(), input_.data() + next_, have_);
  next_ = 0;
  const size_t chunk = std::min<size_t>(left_, input_.size() - have_);
  if (!file_.Seek(position_ + (size_ - left_)) || !file_.ReadExactly(input_.data() + have_, chunk))
    return false;
  have_ += chunk;
  left_ -= static_cast<uint32_t>(chunk);
  return true;
}

void MemberStream::Consume(size_t count) {
  next_ += count;
  have_ -= count;
}

void MemberStream::Emit(const uint8_t* data, size_t count) {
  if (count == 0) return;
  result_.crc = static_cast<uint32_t>(crc32(result_.crc, data, static_cast<uInt>(count)));
  result_.size += count;
}

bool MemberStream::StartsGzip() const {
  return have_ >= 2 && input_[next_] == 0x1F && input_[next_ + 1] == 0x8B;
}

void MemberStream::Damaged(const std::string& why) {
  result_.damage = why;
  mode_ = Mode::kEnd;
}

bool MemberStream::Read(uint8_t* to, size_t max, size_t* got) {
  *got = 0;
  while (*got == 0 && mode_ != Mode::kEnd) {
    if (have_ == 0 && !Fill()) return false;
    switch (mode_) {
      case Mode::kStart:
        if (have_ == 0) {
          mode_ = Mode::kEnd;  // an empty member
        } else if (!StartsGzip()) {
          result_.kind = DecodedMember::Kind::kStored;
          mode_ = Mode::kStored;
        } else {
          result_.kind = DecodedMember::Kind::kGzip;
          const int status = inflating_ ? inflateReset(&stream_) : inflateInit2(&stream_, 15 + 16);
          inflating_ = inflating_ || status == Z_OK;
          if (status != Z_OK) {
            Damaged("out of memory");
          } else {
            ++result_.gzipMembers;
            mode_ = Mode::kGzip;
          }
        }
        break;
      case Mode::kStored:
        if (have_ == 0) {
          mode_ = Mode::kEnd;
        } else {
          *got = std::min(have_, max);
          std::memcpy(to, input_.data() + next_, *got);
          Consume(*got);
          Emit(to, *got);
        }
        break;
      case Mode::kGzip:
        if (!InflateSome(to, max, got)) return false;
        break;
      case Mode::kEnd:
        break;
    }
  }
  return true;
}

bool MemberStream::InflateSome(uint8_t* to, size_t max, size_t* got) {
  if (have_ == 0) {
    Damaged("gzip data ends early (unexpected end of file)");
    return true;
  }
  stream_.next_in = input_.data() + next_;
  stream_.avail_in = static_cast<uInt>(have_);
  stream_.next_out = to;
  stream_.avail_out = static_cast<uInt>(max);
  const int status = inflate(&stream_, Z_NO_FLUSH);
  Consume(have_ - stream_.avail_in);
  *got = max - stream_.avail_out;
  Emit(to, *got);
  if (status == Z_STREAM_END) return NextGzipMember();
  if (status != Z_OK && status != Z_BUF_ERROR)
    Damaged(stream_.msg != nullptr ? stream_.msg : "damaged gzip data");
  return true;
}

// After a gzip member: the data ends, another member follows, or the rest
// is bytes the updater's reader drops.
bool MemberStream::NextGzipMember() {
  if (!Fill()) return false;
  if (have_ == 0) {
    mode_ = Mode::kEnd;
  } else if (!StartsGzip()) {
    result_.trailingBytes = have_ + left_;
    mode_ = Mode::kEnd;
  } else {
    inflateReset(&stream_);
    ++result_.gzipMembers;
  }
  return true;
}

bool DecodeMember(HostFile& file, uint32_t size, const ByteSink& sink, DecodedMember* result,
                  std::string* ioError) {
  const std::string readError = "cannot read the package";
  const int64_t position = file.Tell();
  if (position < 0) {
    *ioError = readError;
    return false;
  }
  MemberStream stream(file, position, size);
  std::vector<uint8_t> out(kOutputSize);
  for (;;) {
    size_t got = 0;
    if (!stream.Read(out.data(), out.size(), &got)) {
      *ioError = readError;
      return false;
    }
    if (got == 0) break;
    if (sink && !sink(out.data(), got)) {
      *ioError = "cannot write the extracted file";
      return false;
    }
  }
  *result = stream.result();
  return true;
}

}  // namespace orvpack
