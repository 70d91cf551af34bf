// The post-effect table's file format (the order entries run in: the post-effect stage test).
#include "screen/post_effect_definitions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>

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

TEST(PostEffectDefinitions, SixTokensMakeAnEntryOthersAreSkippedAndNumbersFollowTheDecimalConversion) {
  for (const char* nothing : {"# effect start end order pass out\n\n   \n\t\n#glow.fx 0 1 2 3 4\n",
                              "blur.fx 1000 2000 10 -1\n", "blur.fx 1000 2000 #10 -1 0\n",
                              // Trailing white space after five tokens leaves a line feed as the sixth.
                              "blur.fx 1000 2000 10 -1 \n"}) {
    EXPECT_TRUE(parse(nothing).empty()) << nothing;
  }
  const auto entries = parse("blur.fx\t1000 2000 10 -1 0 #seventh is fine\na.fx -1 12abc x 2 -1\n");
  ASSERT_EQ(entries.size(), 2u);
  const auto fields = [](const PostEffectEntry& e) {
    return std::make_tuple(e.effectFile, e.start, e.end, e.order, e.pass, e.bufferID);
  };
  EXPECT_EQ(fields(entries[0]), std::make_tuple(std::string("blur.fx"), 1000u, 2000u, 10u, -1, 0));
  EXPECT_EQ(fields(entries[1]), std::make_tuple(std::string("a.fx"), 4294967295u, 12u, 0u, 2, -1));
  EXPECT_EQ(entries[0].pEffect, nullptr);
  EXPECT_EQ(entries[0].outputDivisor, 1u);
  // A line longer than any read buffer is still one line.
  // Appended in place: GCC 12 at -O1 misreads a temporary's concatenation as an overflow.
  std::string overlong(1100, 'x');
  const auto whole = parse(overlong.append(" 0 1 2 -1 0\n"));
  ASSERT_EQ(whole.size(), 1u);
  EXPECT_EQ(whole[0].effectFile, std::string(1100, 'x'));
}

TEST(PostEffectDefinitions, ALongCommentIsOneLineAndRowsMeantAsEntriesSaySkippedWhy) {
  std::string comment = "# ";
  while (comment.size() < 5000) comment += "glow.fx 0 1000 10 -1 0 ";
  std::FILE* file = std::tmpfile();
  const std::string text = comment + "\nblur.fx 0 1 2 -1 0\nshort.fx 0 1000\n\n# note\nlate.fx 0 1 #2 -1 0\n";
  std::fputs(text.c_str(), file);
  std::rewind(file);
  std::vector<DefinitionSkip> skipped;
  const auto entries = readPostEffectDefinitions(file, &skipped);
  std::fclose(file);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].effectFile, "blur.fx");
  EXPECT_EQ(entries[0].line, 2u);
  ASSERT_EQ(skipped.size(), 2u) << "blank lines and comments are no rows";
  EXPECT_EQ(skipped[0].lineNumber, 3u);
  EXPECT_EQ(skipped[0].reason, "has 3 of the 6 columns");
  EXPECT_EQ(skipped[1].lineNumber, 6u);
  EXPECT_EQ(skipped[1].reason, "column 4 starts with '#', which discards the row");
}

TEST(PostEffectDefinitions, ASeventhTokenStartingOneSlashIsTheOutputSize) {
  const auto entries = parse("a.fx 0 1 0 -1 1 1/4 # quarter\nb.fx 0 1 0 -1 2 half\nc.fx 0 1 0 -1 3 1/3\n");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].outputDivisor, 4u);
  EXPECT_EQ(entries[1].outputDivisor, 1u) << "any other seventh token is still ignored";
  EXPECT_EQ(entries[2].outputDivisor, 0u) << "a size that is none of the allowed ones is marked for refusal";
}
