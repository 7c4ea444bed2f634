// The package format on its own: writer and reader agree, every structural
// fault is the launcher's exact message, entries never reach past the data.

#include "launcher/package_format.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "launcher/little_endian.h"
#include "launcher/package_reader.h"
#include "launcher/package_writer.h"
#include "launcher/scramble.h"
#include "launcher/unpack_stamp.h"
#include "launcher_test_support.h"

namespace pcshop::launcher {
namespace {

using testing::Bytes;

PackageContents TwoFiles(const std::string& folder) {
  PackageContents c;
  c.folder = folder;
  c.folder_id = 0x1A2B;
  c.key = {0x01, 0x80, 0x7F, 0xFE};
  c.files = {{"morva.mlr", Bytes("kernel bytes")}, {"ctlpk.dll", Bytes("")}};
  return c;
}

std::vector<uint8_t> Build(const PackageContents& c) {
  Result<std::vector<uint8_t>> p = BuildPayload(c);
  EXPECT_TRUE(p.ok()) << p.status().ToString();
  return p.ok() ? *p : std::vector<uint8_t>{};
}

// The area of a payload, unscrambled with its own key.
std::vector<uint8_t> PlainArea(std::vector<uint8_t> payload) {
  ScrambleKey key;
  std::memcpy(key.data(), payload.data() + format::kKeyOffset, 4);
  std::vector<uint8_t> area(payload.begin() + format::kPayloadHeaderSize, payload.end());
  Scramble(area, key);
  return area;
}

LaunchError ReadError(std::span<const uint8_t> payload) {
  Expected<Package> p = ReadPackage(payload);
  EXPECT_FALSE(p.ok());
  return p.ok() ? LaunchError::kNoKernel : p.error();
}

TEST(PackageFormatTest, RoundTripWithEmptyFolderNameUsesTheFolderId) {
  const std::vector<uint8_t> payload = Build(TwoFiles(""));
  Expected<Package> p = ReadPackage(payload);
  ASSERT_TRUE(p.ok()) << Message(p.error());
  EXPECT_EQ(p->folder, "Z_N1A2B");
  EXPECT_EQ(p->folder_id, 0x1A2Bu);
  ASSERT_EQ(p->entries.size(), 2u);
  EXPECT_EQ(p->entries[0].name, "morva.mlr");
  EXPECT_EQ(std::vector<uint8_t>(p->Data(p->entries[0]).begin(), p->Data(p->entries[0]).end()),
            Bytes("kernel bytes"));
  EXPECT_EQ(p->entries[1].name, "ctlpk.dll");
  EXPECT_EQ(p->entries[1].size, 0u);
}

TEST(PackageFormatTest, EmptyFolderNamePutsTheStreamMagicAtPayloadOffset13) {
  const std::vector<uint8_t> payload = Build(TwoFiles(""));
  EXPECT_EQ(LoadLE32(payload.data()), format::kPayloadMagic);
  EXPECT_EQ(LoadLE32(payload.data() + 4), 0x1A2Bu);
  EXPECT_EQ(payload[8], 0x01);  // key stored in plain, k0 first
  EXPECT_EQ(payload[11], 0xFE);
  std::vector<uint8_t> plain = payload;
  std::memcpy(plain.data() + 12, PlainArea(payload).data(), payload.size() - 12);
  EXPECT_EQ(plain[12], 0);
  EXPECT_EQ(LoadLE32(plain.data() + 13), format::kStreamMagic);
  // The stream is S - 21 bytes and is a zlib stream (CMF 0x78).
  EXPECT_EQ(plain[21], 0x78);
}

TEST(PackageFormatTest, NamedFolderMovesLaterFieldsByItsLength) {
  const std::vector<uint8_t> payload = Build(TwoFiles("pcshop"));
  const std::vector<uint8_t> area = PlainArea(payload);
  EXPECT_EQ(std::string(area.begin(), area.begin() + 6), "pcshop");
  EXPECT_EQ(area[6], 0);
  EXPECT_EQ(LoadLE32(area.data() + 7), format::kStreamMagic);
  const auto declared = static_cast<int32_t>(LoadLE32(area.data() + 11));
  EXPECT_EQ(static_cast<size_t>(declared), EncodeEntries(TwoFiles("").files).size());

  Expected<Package> p = ReadPackage(payload);
  ASSERT_TRUE(p.ok());
  EXPECT_EQ(p->folder, "pcshop");
  EXPECT_EQ(p->entries.size(), 2u);
}

TEST(PackageFormatTest, PackageWithoutFilesHasNoEntries) {
  PackageContents c = TwoFiles("pcshop");
  c.files.clear();
  Expected<Package> p = ReadPackage(Build(c));
  ASSERT_TRUE(p.ok());
  EXPECT_TRUE(p->entries.empty());
  EXPECT_EQ(p->unpacked.size(), 0u);
}

TEST(ScrambleTest, ScramblingTwiceGivesTheInputBack) {
  std::vector<uint8_t> data(1031);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + 3);
  const std::vector<uint8_t> original = data;
  const ScrambleKey key = {0xDE, 0xAD, 0xBE, 0xEF};
  Scramble(data, key);
  EXPECT_NE(data, original);
  Scramble(data, key);
  EXPECT_EQ(data, original);
}

TEST(ScrambleTest, KeyIndexStartsAtOne) {
  std::vector<uint8_t> zeros(9, 0);
  Scramble(zeros, {0x10, 0x11, 0x12, 0x13});
  EXPECT_EQ(zeros, (std::vector<uint8_t>{0x11, 0x12, 0x13, 0x10, 0x11, 0x12, 0x13, 0x10, 0x11}));
  // Every length and every starting alignment of the tail.
  for (size_t n = 0; n < 9; ++n) {
    std::vector<uint8_t> z(n, 0);
    Scramble(z, {0x10, 0x11, 0x12, 0x13});
    for (size_t j = 0; j < n; ++j) EXPECT_EQ(z[j], 0x10 + (j + 1) % 4) << n << " " << j;
  }
}

TEST(ScrambleTest, APieceScrambledAtItsPositionMatchesTheWholeArea) {
  std::vector<uint8_t> whole(41);
  for (size_t i = 0; i < whole.size(); ++i) whole[i] = static_cast<uint8_t>(i * 13 + 1);
  const std::vector<uint8_t> original = whole;
  const ScrambleKey key = {0x10, 0x21, 0x32, 0x43};
  Scramble(whole, key);
  for (size_t from = 0; from < 9; ++from) {
    for (size_t to = from; to <= whole.size(); to += 5) {
      std::vector<uint8_t> piece(original.begin() + static_cast<long>(from),
                                 original.begin() + static_cast<long>(to));
      Scramble(piece, key, from);
      EXPECT_TRUE(std::equal(piece.begin(), piece.end(), whole.begin() + static_cast<long>(from)))
          << from << ".." << to;
    }
  }
}

TEST(PackageTrailerTest, AcceptsSizesFromFourToBelowTheBytesBeforeIt) {
  EXPECT_EQ(*ParseTrailer(EncodeTrailer(4), 1000), 4u);
  EXPECT_EQ(*ParseTrailer(EncodeTrailer(999), 1000), 999u);
  EXPECT_EQ(ParseTrailer(EncodeTrailer(1000), 1000).error(), LaunchError::kInvalidData);
  EXPECT_EQ(ParseTrailer(EncodeTrailer(3), 1000).error(), LaunchError::kInvalidData);
  EXPECT_EQ(ParseTrailer(EncodeTrailer(0x80000000u), 1000).error(), LaunchError::kInvalidData);
  EXPECT_EQ(ParseTrailer(EncodeTrailer(0xFFFFFFFFu), 1000).error(), LaunchError::kInvalidData);
  EXPECT_EQ(ParseTrailer(EncodeTrailer(10, 0x829AB7A4), 1000).error(), LaunchError::kInvalidData);
}

TEST(PackageReaderTest, WrongPayloadMagicIsAReadFault) {
  std::vector<uint8_t> payload = Build(TwoFiles(""));
  payload[0] ^= 1;
  EXPECT_EQ(ReadError(payload), LaunchError::kReadPayload);
  EXPECT_EQ(ReadError(std::vector<uint8_t>{0xA5, 0xB7, 0x9A}), LaunchError::kReadPayload);
  EXPECT_EQ(Message(LaunchError::kReadPayload), "Failed to read file or invalid data in file!");
}

TEST(PackageReaderTest, PayloadTooShortForHeaderNameAndStreamIsInvalidData) {
  const std::vector<uint8_t> full = Build(TwoFiles(""));
  // 12: no room for the name's terminator; 21: no stream byte.
  for (size_t n : {4u, 11u, 12u, 13u, 20u, 21u}) {
    std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(n));
    EXPECT_EQ(ReadError(cut), LaunchError::kInvalidData) << n;
  }
  EXPECT_EQ(Message(LaunchError::kInvalidData), "Invalid data in the file!");
}

TEST(PackageReaderTest, FolderNameWithoutTerminatorIsInvalidData) {
  PayloadFields f;
  f.folder = "abc";
  std::vector<uint8_t> payload = AssemblePayload(f);
  payload.resize(format::kPayloadHeaderSize + 3);  // ends inside the name
  EXPECT_EQ(ReadError(payload), LaunchError::kInvalidData);
}

TEST(PackageReaderTest, BadStreamHeaderIsInvalidData) {
  const std::vector<uint8_t> stream = Compress(EncodeEntries(TwoFiles("").files));
  PayloadFields f;
  f.stream = stream;
  f.unpacked_size = 100;
  f.stream_magic = format::kStreamMagic + 1;
  EXPECT_EQ(ReadError(AssemblePayload(f)), LaunchError::kInvalidData);
  f.stream_magic = format::kStreamMagic;
  f.unpacked_size = 0;
  EXPECT_EQ(ReadError(AssemblePayload(f)), LaunchError::kInvalidData);
  f.unpacked_size = 0xFFFFFFFF;  // -1
  EXPECT_EQ(ReadError(AssemblePayload(f)), LaunchError::kInvalidData);
  f.unpacked_size = 0x80000000;
  EXPECT_EQ(ReadError(AssemblePayload(f)), LaunchError::kInvalidData);
}

TEST(PackageReaderTest, DamagedStreamOrStreamLargerThanDeclaredFailsToDecompress) {
  const std::vector<uint8_t> unpacked = EncodeEntries(TwoFiles("").files);
  PayloadFields f;
  f.stream = Compress(unpacked);
  f.unpacked_size = static_cast<uint32_t>(unpacked.size() - 1);
  EXPECT_EQ(ReadError(AssemblePayload(f)), LaunchError::kDecompress);
  f.unpacked_size = static_cast<uint32_t>(unpacked.size());
  f.stream.back() ^= 0xFF;  // the Adler-32 no longer matches
  EXPECT_EQ(ReadError(AssemblePayload(f)), LaunchError::kDecompress);
  f.stream.resize(f.stream.size() / 2);  // cut short
  EXPECT_EQ(ReadError(AssemblePayload(f)), LaunchError::kDecompress);
  EXPECT_EQ(Message(LaunchError::kDecompress), "Failed to decompress data!");
}

TEST(PackageReaderTest, StreamShorterThanDeclaredIsAcceptedAndOnlyItsEntriesAreWalked) {
  const std::vector<uint8_t> unpacked = EncodeEntries(TwoFiles("").files);
  PayloadFields f;
  f.stream = Compress(unpacked);
  f.unpacked_size = static_cast<uint32_t>(unpacked.size() + 4096);
  Expected<Package> p = ReadPackage(AssemblePayload(f));
  ASSERT_TRUE(p.ok()) << Message(p.error());
  EXPECT_EQ(p->unpacked.size(), unpacked.size());
  EXPECT_EQ(p->entries.size(), 2u);
}

TEST(PackageReaderTest, DeclaredSizeAboveTheLimitIsInsufficientMemory) {
  PayloadFields f;
  f.stream = Compress(Bytes("x"));
  f.unpacked_size = 1 << 20;
  EXPECT_EQ(ReadPackage(AssemblePayload(f), ReadLimits{1 << 10}).error(), LaunchError::kNoMemory);
}

TEST(PackageEntriesTest, EntryRunningPastTheDataIsRefused) {
  std::vector<uint8_t> good = EncodeEntries(std::vector<PackageFile>{{"a.txt", Bytes("hello")}});
  ASSERT_TRUE(ParseEntries(good).ok());
  // Name without its terminator.
  EXPECT_EQ(ParseEntries(Bytes("a.txt")).error(), LaunchError::kInvalidData);
  // Terminator, then a length field cut short.
  for (size_t cut = 6; cut < 10; ++cut) {
    EXPECT_EQ(ParseEntries(std::span(good).first(cut)).error(), LaunchError::kInvalidData) << cut;
  }
  // Data one byte short of its length.
  EXPECT_EQ(ParseEntries(std::span(good).first(good.size() - 1)).error(),
            LaunchError::kInvalidData);
  // A length near 2^32 must not wrap around.
  std::vector<uint8_t> huge = good;
  StoreLE32(huge.data() + 6, 0xFFFFFFFF);
  EXPECT_EQ(ParseEntries(huge).error(), LaunchError::kInvalidData);
}

TEST(PackageEntriesTest, NamesThatAreNotPlainFileNamesAreRefused) {
  for (const char* name : {"../x", "..", ".", "", "a/b", "/abs", "a\\b", "dir/"}) {
    const std::vector<uint8_t> data =
        EncodeEntries(std::vector<PackageFile>{{"ok.txt", Bytes("1")}, {name, Bytes("2")}});
    EXPECT_EQ(ParseEntries(data).error(), LaunchError::kInvalidData) << name;
  }
  EXPECT_TRUE(IsPlainFileName("...") && IsPlainFileName(".hidden") && IsPlainFileName("a b"));
  EXPECT_FALSE(IsPlainFileName(std::string_view("a\0b", 3)));
}

TEST(PackageEntriesTest, EmptyDataHasNoEntries) {
  Expected<std::vector<PackageEntry>> e = ParseEntries({});
  ASSERT_TRUE(e.ok());
  EXPECT_TRUE(e->empty());
}

TEST(PackageReaderTest, FolderNameMustBeAPlainFileName) {
  for (const char* folder : {"../evil", "a/b", "..", ".", "a\\b"}) {
    PayloadFields f;
    f.folder = folder;
    f.stream = Compress(Bytes("x"));
    f.unpacked_size = 1;
    EXPECT_EQ(ReadError(AssemblePayload(f)), LaunchError::kInvalidData) << folder;
  }
}

TEST(KernelNameTest, LastMatchWinsIgnoringAsciiCase) {
  std::vector<PackageEntry> entries = {{"MORVA.MLR", 0, 0},
                                       {"a", 0, 0},
                                       {"Morva.Mlb", 0, 0},
                                       {"morva.mlr.bak", 0, 0},
                                       {"xmorva.mlr", 0, 0}};
  EXPECT_EQ(FindKernelEntry(entries), 2u);
  entries.resize(2);
  EXPECT_EQ(FindKernelEntry(entries), 0u);
  entries.erase(entries.begin());
  EXPECT_EQ(FindKernelEntry(entries), std::nullopt);
  EXPECT_FALSE(IsKernelName("morva.ml"));
  EXPECT_FALSE(IsKernelName("morva_mlr"));
}

TEST(FolderIdNameTest, UpperCaseHexWithoutLeadingZeros) {
  EXPECT_EQ(FolderIdName(0x1A2B), "Z_N1A2B");
  EXPECT_EQ(FolderIdName(0), "Z_N0");
  EXPECT_EQ(FolderIdName(0x00ABCDEF), "Z_NABCDEF");
  EXPECT_EQ(FolderIdName(0xFFFFFFFF), "Z_NFFFFFFFF");
}

// A start that finds its files in place reads only the folder name and the
// stream header: the rest stays scrambled until it is inflated, and the
// stream's check value is read plain either way.
TEST(PackageReaderTest, OpenPayloadLeavesTheStreamScrambledUntilItIsInflated) {
  // Longer than one piece of the name search, and odd, so that the stream
  // starts off the key's alignment.
  PackageContents c = TwoFiles(std::string(301, 'n'));
  std::vector<uint8_t> noise(5000);
  uint32_t x = 12345;
  for (uint8_t& b : noise) b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 16);
  c.files.push_back({"noise.bin", noise});  // a stream that stays long
  const std::vector<uint8_t> built = Build(c);
  std::vector<uint8_t> payload = built;
  Expected<PayloadHead> head = OpenPayload(payload);
  ASSERT_TRUE(head.ok());
  EXPECT_EQ(head->folder, c.folder);
  // The name is found a piece at a time: at most one piece past the header.
  const size_t header_end = format::kPayloadHeaderSize + 301 + 1 + format::kStreamHeaderSize;
  EXPECT_GE(head->plain_end, header_end);
  EXPECT_LT(head->plain_end, header_end + 256);
  EXPECT_TRUE(std::equal(payload.begin() + static_cast<long>(head->plain_end), payload.end(),
                         built.begin() + static_cast<long>(head->plain_end)));

  const std::vector<uint8_t> entries = EncodeEntries(c.files);
  const auto adler = static_cast<uint32_t>(adler32(0L, Z_NULL, 0));
  const auto expected = static_cast<uint32_t>(
      adler32(adler, entries.data(), static_cast<uInt>(entries.size())));
  Expected<StreamView> stream = ReadStreamHeader(payload, *head);
  ASSERT_TRUE(stream.ok());
  EXPECT_EQ(stream->checksum, expected);

  UnscrambleStream(payload, *head);
  EXPECT_EQ(head->plain_end, payload.size());
  Expected<StreamView> plain = ReadStreamHeader(payload, *head);
  ASSERT_TRUE(plain.ok());
  EXPECT_EQ(plain->checksum, expected);
  Expected<ByteBuffer> unpacked = Inflate(*plain);
  ASSERT_TRUE(unpacked.ok());
  EXPECT_TRUE(std::equal(unpacked->span().begin(), unpacked->span().end(), entries.begin(),
                         entries.end()));
}

TEST(UnpackStampTest, RoundTripsAndRefusesAnythingButACompleteStamp) {
  UnpackStamp stamp;
  stamp.package = {FileIdentity{7290514, 2049, 99, -5, 1234567890123}, 0x1A2B, 617000, 258000,
                   0xDEADBEEF};
  stamp.files = {{"ctlpk.dll", FileIdentity{7, 1, 2, 3, 4}},
                 {"morva.mlr", FileIdentity{617560, 1, 5, 6, 7}}};
  const std::vector<uint8_t> bytes = EncodeStamp(stamp);
  const std::optional<UnpackStamp> back = DecodeStamp(bytes);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->package, stamp.package);
  ASSERT_EQ(back->files.size(), 2u);
  EXPECT_EQ(back->files[1].name, "morva.mlr");
  EXPECT_EQ(back->files[1].identity, stamp.files[1].identity);

  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    EXPECT_FALSE(DecodeStamp(std::span(bytes).first(cut)).has_value()) << cut;
  }
  std::vector<uint8_t> longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(DecodeStamp(longer).has_value());
  std::vector<uint8_t> other_layout = bytes;
  other_layout[15] = 2;
  EXPECT_FALSE(DecodeStamp(other_layout).has_value());
  // A name that could leave the folder.
  stamp.files[0].name = "../x";
  EXPECT_FALSE(DecodeStamp(EncodeStamp(stamp)).has_value());
}

TEST(PackageWriterTest, RefusesNamesTheLauncherWouldRefuse) {
  PackageContents c = TwoFiles("a/b");
  EXPECT_FALSE(BuildPayload(c).ok());
  c = TwoFiles("");
  c.files.push_back({"../x", Bytes("")});
  EXPECT_FALSE(BuildPayload(c).ok());
}

}  // namespace
}  // namespace pcshop::launcher
