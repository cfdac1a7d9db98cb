#include "wav_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "wav_builder.h"

using namespace wubble;

namespace {

// Reads `image` from a heap block of exactly `length` bytes, so a read past
// the end is a real out-of-bounds read that the address sanitizer reports.
struct ExactRead {
  bool ok;
  SoundImageView view;
  long pcm_offset;
};

ExactRead ReadExact(const Bytes &image, uint32_t length) {
  std::unique_ptr<uint8_t[]> block(new uint8_t[length ? length : 1]);
  std::memcpy(block.get(), image.data(), std::min<size_t>(length, image.size()));
  ExactRead r{};
  r.ok = ReadSoundImage(block.get(), length, &r.view);
  r.pcm_offset = r.ok ? long(r.view.pcm - block.get()) : -1;
  return r;
}

ExactRead ReadWhole(const Bytes &image) { return ReadExact(image, uint32_t(image.size())); }

TEST(WavReader, GeneratedLayoutGivesFormatAndPcmAt46) {
  Bytes image = Mono16Wav(TestSamples(1000, 1));
  ExactRead r = ReadWhole(image);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.pcm_offset, 46);
  EXPECT_EQ(r.view.pcm_bytes, 2000u);
  EXPECT_EQ(r.view.format_tag, 1);
  EXPECT_EQ(r.view.channels, 1);
  EXPECT_EQ(r.view.sample_rate, 44100u);
  EXPECT_EQ(r.view.block_align, 2);
  EXPECT_EQ(r.view.bits_per_sample, 16);
}

TEST(WavReader, SixteenByteFmtChunkLeadsToDataAt44) {
  WavFormat f;
  f.fmt_size = 16;
  ExactRead r = ReadWhole(BuildWav(f, Bytes(10, 7)));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.pcm_offset, 44);
  EXPECT_EQ(r.view.pcm_bytes, 10u);
}

TEST(WavReader, IgnoresRiffSizeAndFormType) {
  Bytes image = Mono16Wav(TestSamples(100, 2));
  PutU32(image, 4, 0);
  std::memcpy(&image[8], "ABCD", 4);
  ExactRead r = ReadWhole(image);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.pcm_offset, 46);
  EXPECT_EQ(r.view.pcm_bytes, 200u);
}

// An odd-sized chunk is followed by a pad byte. A reader that skips only
// 8 + size lands on the pad, inside the next header; without its pad byte
// the image is no RIFF, and the walk lands one byte late instead.
TEST(WavReader, OddSizedChunksAreFollowedByTheirPadByte) {
  Bytes padded = Chunk("LIST", Bytes(3, 'x'), true);
  Bytes second = Chunk("junk", Bytes(5, 'y'), true);
  padded.insert(padded.end(), second.begin(), second.end());
  ExactRead r = ReadWhole(BuildWav(WavFormat(), Bytes(6, 9), padded));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.pcm_offset, 38 + 12 + 14 + 8);
  EXPECT_EQ(r.view.pcm_bytes, 6u);

  Bytes unpadded = Chunk("LIST", Bytes(3, 'x'));
  EXPECT_FALSE(ReadWhole(BuildWav(WavFormat(), Bytes(6, 9), unpadded)).ok);

  // The last chunk needs no pad: nothing follows it.
  WavFormat eight;
  eight.bits_per_sample = 8;
  eight.block_align = 1;
  r = ReadWhole(BuildWav(eight, Bytes(7, 0x80)));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.view.pcm_bytes, 7u);
}

// Cut short anywhere, by a length that falls short of the data chunk's end,
// the image is refused; a longer length adds nothing.
TEST(WavReader, DataChunkMustLieInsideTheImage) {
  Bytes image = Mono16Wav(TestSamples(20, 7));  // 40 PCM bytes, 86 in all
  for (uint32_t length = 0; length < image.size(); ++length) {
    EXPECT_FALSE(ReadExact(image, length).ok) << "length " << length;
  }
  Bytes longer = image;
  longer.resize(image.size() + 100, 0xEE);
  for (const Bytes &whole : {image, longer}) {
    ExactRead r = ReadWhole(whole);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pcm_offset, 46);
    EXPECT_EQ(r.view.pcm_bytes, 40u);
  }
}

TEST(WavReader, DataCutToWholeBlocks) {
  WavFormat f;
  f.channels = 2;
  f.block_align = 4;
  ExactRead r = ReadWhole(BuildWav(f, Bytes(10, 1)));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.view.pcm_bytes, 8u);
}

TEST(WavReader, EmptyDataChunkIsASound) {
  ExactRead r = ReadWhole(Mono16Wav({}));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.view.pcm_bytes, 0u);
}

TEST(WavReader, RefusesImagesWithoutRiffOrFmt) {
  Bytes image = Mono16Wav(TestSamples(10, 4));
  EXPECT_FALSE(ReadSoundImage(nullptr, 100, nullptr));

  Bytes rifx = image;
  rifx[3] = 'X';
  EXPECT_FALSE(ReadWhole(rifx).ok);

  // A valid RIFF file whose first chunk is not the format chunk.
  Bytes list_first = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  Bytes list = Chunk("LIST", Bytes(4, 0));
  list_first.insert(list_first.end(), list.begin(), list.end());
  list_first.insert(list_first.end(), image.begin() + 12, image.end());
  EXPECT_FALSE(ReadWhole(list_first).ok);

  Bytes lower = image;
  lower[12] = 'F';
  EXPECT_FALSE(ReadWhole(lower).ok);
}

TEST(WavReader, RefusesImagesWithoutDataChunk) {
  WavFormat f;
  Bytes image = BuildWav(f, Bytes(4, 0));
  std::memcpy(&image[38], "date", 4);
  EXPECT_FALSE(ReadWhole(image).ok);
}

// In a plain format record, and in an extensible one with the PCM
// sub-format, which reads as the plain one.
TEST(WavReader, AcceptsEightAndSixteenBitMonoAndStereo) {
  for (bool extensible : {false, true}) for (uint16_t channels : {1, 2}) for (uint16_t bits : {8, 16}) {
      SCOPED_TRACE(extensible ? "extensible" : "plain");
      WavFormat f;
      f.channels = channels;
      f.bits_per_sample = bits;
      f.block_align = uint16_t(channels * bits / 8);
      f.sample_rate = 22050;
      if (extensible) f.format_tag = 0xFFFE, f.fmt_size = 40, f.sub_format = 1;
      ExactRead r = ReadWhole(BuildWav(f, Bytes(12, 0x80)));
      ASSERT_TRUE(r.ok) << channels << " channels, " << bits << " bits";
      EXPECT_EQ(r.pcm_offset, 20 + long(f.fmt_size) + 8);
      EXPECT_EQ(r.view.format_tag, 1);
      EXPECT_EQ(r.view.channels, channels);
      EXPECT_EQ(r.view.bits_per_sample, bits);
      EXPECT_EQ(r.view.block_align, f.block_align);
      EXPECT_EQ(r.view.sample_rate, 22050u);
      EXPECT_EQ(r.view.pcm_bytes, 12u);
  }
}

TEST(WavReader, RefusesFormatsOtherThanIntegerPcm) {
  struct Case {
    const char *what;
    WavFormat f;
  };
  auto with = [](auto change) {
    WavFormat f;
    change(f);
    return f;
  };
  const Case cases[] = {
      {"float tag", with([](WavFormat &f) { f.format_tag = 3; })},
      {"extensible tag without the extension", with([](WavFormat &f) { f.format_tag = 0xFFFE; })},
      {"extensible float", with([](WavFormat &f) {
         f.format_tag = 0xFFFE, f.fmt_size = 40, f.sub_format = 3, f.bits_per_sample = 32, f.block_align = 4;
       })},
      {"extensible PCM, 24 bits", with([](WavFormat &f) {
         f.format_tag = 0xFFFE, f.fmt_size = 40, f.sub_format = 1, f.bits_per_sample = 24, f.block_align = 3;
       })},
      {"extensible sub-format cut", with([](WavFormat &f) { f.format_tag = 0xFFFE, f.fmt_size = 38, f.sub_format = 1; })},
      {"PCM sub-format under another tag", with([](WavFormat &f) { f.format_tag = 3, f.fmt_size = 40, f.sub_format = 1; })},
      {"no tag", with([](WavFormat &f) { f.format_tag = 0; })},
      {"24 bits", with([](WavFormat &f) { f.bits_per_sample = 24, f.block_align = 3; })},
      {"32 bits", with([](WavFormat &f) { f.bits_per_sample = 32, f.block_align = 4; })},
      {"4 bits", with([](WavFormat &f) { f.bits_per_sample = 4, f.block_align = 1; })},
      {"no channels", with([](WavFormat &f) { f.channels = 0; })},
      {"3 channels", with([](WavFormat &f) { f.channels = 3, f.block_align = 6; })},
      {"zero block align", with([](WavFormat &f) { f.block_align = 0; })},
      {"block align of stereo on mono", with([](WavFormat &f) { f.block_align = 4; })},
  };
  for (const Case &c : cases) EXPECT_FALSE(ReadWhole(BuildWav(c.f, Bytes(24, 0))).ok) << c.what;
}

TEST(WavReader, RefusesFmtChunkShorterThanTheRecord) {
  // The next chunk's id begins with the bytes of 16 bits per sample, so only
  // the fmt size shows that the record is cut.
  WavFormat f;
  f.fmt_size = 14;
  Bytes between = Chunk(std::string("\x10\0ab", 4), {});
  EXPECT_FALSE(ReadWhole(BuildWav(f, Bytes(24, 0), between)).ok);
}

TEST(WavReader, HugeChunkSizesDoNotWrapTheWalk) {
  // 8 + 0xFFFFFFF8 wraps to 0 in 32 bits: a careless walk would spin on the
  // same chunk for ever or step back into the image.
  Bytes between = Chunk("junk", {});
  PutU32(between, 4, 0xFFFFFFF8u);
  EXPECT_FALSE(ReadWhole(BuildWav(WavFormat(), Bytes(4, 0), between)).ok);

  Bytes huge_fmt = Mono16Wav(TestSamples(4, 5));
  PutU32(huge_fmt, 16, 0xFFFFFFF0u);
  EXPECT_FALSE(ReadWhole(huge_fmt).ok);

  Bytes huge_data = Mono16Wav(TestSamples(4, 6));
  PutU32(huge_data, 42, 0xFFFFFFFFu);
  EXPECT_FALSE(ReadWhole(huge_data).ok);
}

// Random damage to a valid image: whatever is accepted must lie inside the
// image and be whole blocks.
TEST(WavReader, DamagedImagesStayInsideTheirBounds) {
  Bytes between = Chunk("LIST", Bytes(7, 1), true);
  Bytes base = BuildWav(WavFormat(), PcmBytes(TestSamples(16, 8)), between);
  uint32_t seed = 99;
  auto next = [&seed]() { return seed = seed * 1664525u + 1013904223u; };
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    Bytes image = base;
    int flips = 1 + next() % 4;
    for (int i = 0; i < flips; ++i) image[(next() >> 8) % 62] = uint8_t(next() >> 24);
    // Half of them whole, the others cut anywhere.
    uint32_t length = next() % 2 ? uint32_t(image.size()) : (next() >> 8) % uint32_t(image.size() + 1);
    ExactRead r = ReadExact(image, length);
    if (!r.ok) continue;
    ++accepted;
    ASSERT_GE(r.pcm_offset, 20);
    ASSERT_LE(uint64_t(r.pcm_offset) + r.view.pcm_bytes, length);
    ASSERT_EQ(r.view.pcm_bytes % r.view.block_align, 0u);
  }
  EXPECT_GT(accepted, 100) << "the damage should leave many images readable";
}

}  // namespace
