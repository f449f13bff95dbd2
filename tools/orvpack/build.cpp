// orvpack build: the updater executable with the archive of a payload
// appended and its offset written into the DOS header.
#include <zlib.h>

#include <cstring>
#include <set>
#include <vector>

#include "code_signature.h"
#include "commands.h"
#include "flags_word.h"
#include "host_files.h"
#include "os/ascii_case.h"
#include "package/layout.h"
#include "package/member_name.h"
#include "package_reading.h"

namespace orvpack {
namespace {

constexpr size_t kChunk = 65536;

// The gzip header every member gets: deflate, no flags, no time, no extra
// flags, operating system 11.
constexpr uint8_t kGzipHeader[10] = {0x1F, 0x8B, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B};

struct BuildOptions {
  std::string updater, output, payload, flags;
  std::vector<std::string> files;
};

struct Member {
  std::string path;
  std::string storedName;
};

bool ParseBuildOptions(const Arguments& args, BuildOptions* options) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string* value = nullptr;
    if (arg == "--updater" || arg == "-u")
      value = &options->updater;
    else if (arg == "--output" || arg == "-o")
      value = &options->output;
    else if (arg == "--payload" || arg == "-p")
      value = &options->payload;
    else if (arg == "--flags" || arg == "-f")
      value = &options->flags;
    if (value == nullptr) {
      if (arg.size() > 1 && arg[0] == '-') {
        Complain("build: unknown option " + arg);
        return false;
      }
      options->files.push_back(arg);
      continue;
    }
    if (++i == args.size()) {
      Complain("build: " + arg + " needs a value");
      return false;
    }
    *value = args[i];
  }
  if (options->updater.empty() || options->output.empty() || options->flags.empty()) {
    Complain("build: --updater, --flags and --output are required");
    return false;
  }
  if (options->payload.empty() && options->files.empty()) {
    Complain("build: no members: give --payload FOLDER or files");
    return false;
  }
  return true;
}

// The members in archive order: the payload folder's files sorted by name,
// then the files named on the command line. Refuses what the updater would
// refuse, and duplicate names.
int CollectMembers(const BuildOptions& options, std::vector<Member>* members) {
  std::vector<std::string> paths;
  if (!options.payload.empty()) {
    std::vector<std::string> names;
    if (!ListFolder(options.payload, &names)) {
      Complain("build: cannot read the payload folder " + options.payload);
      return kExitIo;
    }
    for (const std::string& name : names) paths.push_back(JoinPath(options.payload, name));
  }
  paths.insert(paths.end(), options.files.begin(), options.files.end());
  std::set<std::string> seen;
  int status = kExitOk;
  for (const std::string& path : paths) {
    const EntryKind kind = KindOf(path);
    if (kind != EntryKind::kFile) {
      Complain("build: " + path +
               (kind == EntryKind::kMissing
                    ? " does not exist"
                    : " is not a plain file (members are files without folders)"));
      status = kind == EntryKind::kMissing ? kExitIo : kExitFaults;
      continue;
    }
    Member member{path, BaseName(path) + std::string(package::kCompressedSuffix)};
    const package::NameFault fault = package::CheckStoredName(member.storedName);
    if (fault != package::NameFault::kNone) {
      Complain("build: member name \"" + package::PrintableName(member.storedName) + "\" " +
               package::NameFaultText(fault));
      status = kExitFaults;
      continue;
    }
    const std::string tooLong = NameLengthProblem(member.storedName);
    if (!tooLong.empty()) {
      Complain("build: member name \"" + package::PrintableName(member.storedName) +
               "\": " + tooLong);
      status = kExitFaults;
      continue;
    }
    if (!seen.insert(ascii_case::Folded(member.storedName)).second) {
      Complain("build: two members named \"" + member.storedName + "\" (letter case aside)");
      status = kExitFaults;
      continue;
    }
    members->push_back(member);
  }
  return status;
}

// Copies the updater, with the archive offset (its own length) written into
// bytes 40 to 43, and leaves `out` at its end.
int WriteUpdater(const std::string& path, HostFile& out, uint32_t* offset) {
  HostFile in;
  if (!in.Open(path, "rb")) {
    Complain("build: cannot open the updater " + path);
    return kExitIo;
  }
  const int64_t size = in.Size();
  uint8_t dos[package::kDosHeaderSize];
  if (size < 0) {
    Complain("build: cannot read the updater " + path);
    return kExitIo;
  }
  if (size < static_cast<int64_t>(sizeof dos) || !in.ReadExactly(dos, sizeof dos) ||
      dos[0] != 'M' || dos[1] != 'Z') {
    Complain("build: " + path + " is not an executable: no \"MZ\" DOS header");
    return kExitFaults;
  }
  if (package::Load32(dos + package::kArchiveOffsetField) != 0) {
    Complain("build: " + path + " already carries a package (the offset word at byte 40 is not 0)");
    return kExitFaults;
  }
  if (size > package::kMaxPosition) {
    Complain("build: the updater is larger than 2 GiB");
    return kExitFaults;
  }
  // Windows hashes everything but the certificate table, so the archive
  // appended after a signed updater breaks its signature.
  if (ReadCodeSignature(in, size).offset != 0) {
    Complain("build: " + path +
             " carries a code signature, which the appended archive would break: build from "
             "the unsigned updater and sign the finished package");
    return kExitFaults;
  }
  if (!in.Seek(sizeof dos)) {
    Complain("build: cannot read the updater " + path);
    return kExitIo;
  }
  *offset = static_cast<uint32_t>(size);
  package::Store32(dos + package::kArchiveOffsetField, *offset);
  if (!out.WriteAll(dos, sizeof dos)) return kExitIo;
  std::vector<uint8_t> buffer(kChunk);
  for (int64_t left = size - static_cast<int64_t>(sizeof dos); left > 0;) {
    const size_t chunk = static_cast<size_t>(std::min<int64_t>(left, kChunk));
    if (!in.ReadExactly(buffer.data(), chunk)) {
      Complain("build: cannot read the updater " + path);
      return kExitIo;
    }
    if (!out.WriteAll(buffer.data(), chunk)) return kExitIo;
    left -= static_cast<int64_t>(chunk);
  }
  return kExitOk;
}

// Writes one record: the header with a provisional size, the gzip file
// streamed through deflate, then the real size.
int WriteMember(const Member& member, HostFile& out) {
  HostFile in;
  if (!in.Open(member.path, "rb")) {
    Complain("build: cannot open " + member.path);
    return kExitIo;
  }
  uint8_t header[package::kRecordHeaderSize] = {};
  std::memcpy(header, member.storedName.data(), member.storedName.size());
  const int64_t recordStart = out.Tell();
  if (recordStart < 0 || !out.WriteAll(header, sizeof header) ||
      !out.WriteAll(kGzipHeader, sizeof kGzipHeader))
    return kExitIo;

  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    Complain("build: out of memory");
    return kExitIo;
  }
  std::vector<uint8_t> input(kChunk), output(kChunk);
  uint32_t crc = static_cast<uint32_t>(crc32(0, nullptr, 0));
  uint32_t length = 0;
  int status = kExitOk;
  for (bool finished = false; !finished && status == kExitOk;) {
    const size_t got = std::fread(input.data(), 1, input.size(), in.get());
    if (std::ferror(in.get())) {
      Complain("build: cannot read " + member.path);
      status = kExitIo;
      break;
    }
    const bool last = got < input.size();
    crc = static_cast<uint32_t>(crc32(crc, input.data(), static_cast<uInt>(got)));
    length += static_cast<uint32_t>(got);  // the gzip length field is modulo 2^32
    stream.next_in = input.data();
    stream.avail_in = static_cast<uInt>(got);
    int result = Z_OK;
    do {
      stream.next_out = output.data();
      stream.avail_out = static_cast<uInt>(output.size());
      result = deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
      if (!out.WriteAll(output.data(), output.size() - stream.avail_out)) status = kExitIo;
    } while (status == kExitOk && (stream.avail_out == 0 || (last && result != Z_STREAM_END)));
    finished = last;
  }
  deflateEnd(&stream);
  if (status != kExitOk) return status;

  uint8_t trailer[8];
  package::Store32(trailer, crc);
  package::Store32(trailer + 4, length);
  if (!out.WriteAll(trailer, sizeof trailer)) return kExitIo;
  const int64_t recordEnd = out.Tell();
  const int64_t dataSize = recordEnd - recordStart - static_cast<int64_t>(sizeof header);
  if (recordEnd < 0 || recordEnd > package::kMaxPosition) {
    Complain("build: the package would grow beyond 2 GiB");
    return kExitFaults;
  }
  uint8_t size[4];
  package::Store32(size, static_cast<uint32_t>(dataSize));
  if (!out.Seek(recordStart + static_cast<int64_t>(package::kNameSize)) ||
      !out.WriteAll(size, sizeof size) || !out.Seek(recordEnd)) {
    Complain("build: cannot seek in the package being written");
    return kExitIo;
  }
  return kExitOk;
}

int WriteArchive(const BuildOptions& options, uint32_t flags, const std::vector<Member>& members,
                 HostFile& out, uint32_t* offset) {
  int status = WriteUpdater(options.updater, out, offset);
  if (status != kExitOk) return status;
  uint8_t header[package::kHeaderSize];
  std::memcpy(header, package::kMagic, sizeof package::kMagic);
  package::Store32(header + 4, flags);
  package::Store32(header + 8, static_cast<uint32_t>(members.size()));
  if (!out.WriteAll(header, sizeof header)) return kExitIo;
  for (const Member& member : members) {
    status = WriteMember(member, out);
    if (status != kExitOk) return status;
  }
  return kExitOk;
}

int WritePackage(const BuildOptions& options, uint32_t flags, const std::vector<Member>& members,
                 const std::string& partial, uint32_t* offset) {
  HostFile out;
  if (!out.Open(partial, "w+b")) {
    Complain("build: cannot create " + partial);
    return kExitIo;
  }
  const int status = WriteArchive(options, flags, members, out, offset);
  // Read failures have been reported where they happened; the output's own
  // failures are reported here.
  const bool writeFailed = std::ferror(out.get()) != 0;
  if (!out.Close() || writeFailed) {
    Complain("build: cannot write " + partial);
    return kExitIo;
  }
  return status;
}

}  // namespace

int RunBuild(const Arguments& args) {
  BuildOptions options;
  if (!ParseBuildOptions(args, &options)) return kExitUsage;
  uint32_t flags = 0;
  std::string error;
  if (!ParseFlagsWord(options.flags, &flags, &error)) {
    Complain("build: " + error);
    return kExitUsage;
  }
  std::vector<Member> members;
  const int collected = CollectMembers(options, &members);
  if (collected != kExitOk) return collected;
  if (members.empty()) {
    Complain("build: the payload holds no files");
    return kExitFaults;
  }
  if (members.size() > 0x7FFFFFFF) {
    Complain("build: too many members");
    return kExitFaults;
  }
  // Written aside and renamed at the end: a failed build leaves no package.
  const std::string partial = options.output + ".partial";
  uint32_t offset = 0;
  int status = WritePackage(options, flags, members, partial, &offset);
  if (status == kExitOk && !MoveOver(partial, options.output)) {
    Complain("build: cannot rename " + partial + " to " + options.output);
    status = kExitIo;
  }
  if (status != kExitOk) {
    RemoveFile(partial);
    return status;
  }
  std::printf("wrote %s: %zu members, archive at offset %u, flags %s\n", options.output.c_str(),
              members.size(), static_cast<unsigned>(offset), DescribeFlagsWord(flags).c_str());
  return kExitOk;
}

}  // namespace orvpack
