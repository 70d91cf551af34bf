// The post-effect table's file format and ordering.
#include "screen/post_effect_definitions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {
std::vector<PostEffectEntry> parse(const std::string& text) {
  std::FILE* file = std::tmpfile();
  std::fputs(text.c_str(), file);
  std::rewind(file);
  std::vector<PostEffectEntry> entries = readPostEffectDefinitions(file);
  std::fclose(file);
  return entries;
}
}  // namespace

TEST(PostEffectDefinitions, CommentsAndBlankLinesYieldNothing) {
  EXPECT_TRUE(parse("# effect start end order pass out\n\n   \n\t\n#glow.fx 0 1 2 3 4\n").empty());
}

TEST(PostEffectDefinitions, SixTokensMakeAnEntryAndLaterTokensAreIgnored) {
  const auto entries = parse("blur.fx\t1000 2000 10 -1 0 #seventh is fine\n");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].effectFile, "blur.fx");
  EXPECT_EQ(entries[0].start, 1000u);
  EXPECT_EQ(entries[0].end, 2000u);
  EXPECT_EQ(entries[0].order, 10u);
  EXPECT_EQ(entries[0].pass, -1);
  EXPECT_EQ(entries[0].bufferID, 0);
  EXPECT_EQ(entries[0].pEffect, nullptr);
  EXPECT_EQ(entries[0].outputDivisor, 1u);
}

TEST(PostEffectDefinitions, ASeventhTokenStartingOneSlashIsTheOutputSize) {
  const auto entries = parse("a.fx 0 1 0 -1 1 1/4 # quarter\nb.fx 0 1 0 -1 2 half\nc.fx 0 1 0 -1 3 1/3\n");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].outputDivisor, 4u);
  EXPECT_EQ(entries[1].outputDivisor, 1u) << "any other seventh token is still ignored";
  EXPECT_EQ(entries[2].outputDivisor, 0u) << "a size that is none of the allowed ones is marked for refusal";
}

TEST(PostEffectDefinitions, ShortLinesAndHashTokensAreSkipped) {
  EXPECT_TRUE(parse("blur.fx 1000 2000 10 -1\n").empty());
  EXPECT_TRUE(parse("blur.fx 1000 2000 #10 -1 0\n").empty());
  // Trailing white space after five tokens leaves a line feed as the sixth.
  EXPECT_TRUE(parse("blur.fx 1000 2000 10 -1 \n").empty());
}

TEST(PostEffectDefinitions, NumbersFollowTheDecimalConversion) {
  const auto entries = parse("a.fx -1 12abc x 2 -1\n");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].start, 4294967295u);
  EXPECT_EQ(entries[0].end, 12u);
  EXPECT_EQ(entries[0].order, 0u);
  EXPECT_EQ(entries[0].pass, 2);
}

TEST(PostEffectDefinitions, SortingIsByOrderWithTiesInFileOrder) {
  auto entries = parse("five.fx 0 1 5 -1 -1\none.fx 0 1 1 -1 -1\nthreeA.fx 0 1 3 -1 -1\nthreeB.fx 0 1 3 -1 -1\n");
  sortPostEffectEntries(entries);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].effectFile, "one.fx");
  EXPECT_EQ(entries[1].effectFile, "threeA.fx");
  EXPECT_EQ(entries[2].effectFile, "threeB.fx");
  EXPECT_EQ(entries[3].effectFile, "five.fx");
}

TEST(PostEffectDefinitions, OverlongLinesAreReadInPieces) {
  const std::string longName(1100, 'x');
  const auto entries = parse(longName + " 0 1 2 -1 0\n");
  // The first 1023 characters form one token-poor piece; the rest is another line.
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].effectFile, std::string(1100 - 1023, 'x'));
}
