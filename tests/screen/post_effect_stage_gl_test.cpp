// The post-effect stage of a frame on the show's own screens: which entries run,
// in which order, with which parameters and passes, into which screen; the
// default effect when nothing is active (its blend of the lines: the Program
// tests); the messages for a bad table row; the shipped glow blur's width and
// light.
#include "platform/gl.h"
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "demo/demo_manager.h"
#include "demo/post_effect_stage.h"
#include "framework/critical_check.h"
#include "screen/scene_screen.h"
#include "support/demo_fixture.h"
#include "support/fatal_text.h"
#include "support/show_folder.h"
#include "support/source_dir.h"

namespace {

// A full-screen effect of one pass whose colour is `body`, a GLSL expression.
std::string screenEffect(const std::string& parameters, const std::string& body,
                         const std::string& states = "DepthTestEnable = false;") {
  return "uniform float4x4 projMat;\n" + parameters +
         "\nvarying vec2 uv;\n"
         "void screenVertex() { gl_Position = projMat * gl_Vertex; uv = gl_MultiTexCoord0.xy; }\n"
         "vec4 shade() { return " + body + "; }\n"
         "technique T { pass P { VertexProgram = compile glslv screenVertex(); FragmentProgram = compile glslf "
         "shade(); CullFaceEnable = false; " + states + " } }\n";
}

std::array<float, 4> readFrameBuffer(u32 frameBuffer) {
  std::array<float, 4> value{};
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, frameBuffer);
  glReadPixels(8, 6, 1, 1, GL_RGBA, GL_FLOAT, value.data());
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  return value;
}

std::array<float, 4> readScreen(const CSceneScreen& screen) { return readFrameBuffer(screen.getFrameBuffer()); }

void fillScreen(const CSceneScreen& screen, std::array<float, 4> colour) {
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, screen.getFrameBuffer());
  glClearColor(colour[0], colour[1], colour[2], colour[3]);
  glClear(GL_COLOR_BUFFER_BIT);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

// Loads a table given as text, as the stage reads it from its file.
void loadTableText(CPostEffectManager& table, const std::string& text) {
  std::FILE* file = std::tmpfile();
  std::fputs(text.c_str(), file);
  std::rewind(file);
  table.loadDefinitions(file);
  std::fclose(file);
}

class PostEffectStage : public testing::Test {
 protected:
  void SetUp() override {
    // Forked children cannot draw with llvmpipe: death tests start afresh.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_TRUE(mDemo.ok()) << mDemo.error();
    CDemoManager& demo = demoManager();
    fillScreen(*demo.getSourceScreen(0), {0.0f, 0.0f, 0.0f, 1.0f});
    fillScreen(*demo.getSourceScreen(1), {0.0f, 0.0f, 0.0f, 1.0f});
    for (int work = 0; work < CDemoManager::WORK_SCREEN_COUNT; ++work) {
      fillScreen(*demo.getWorkScreen(work), {0.0f, 0.0f, 0.0f, 0.0f});
    }
    fillScreen(*demo.getCompositeScreen(), {0.0f, 0.0f, 0.0f, 0.0f});
  }

  // Writes an effect and returns its name as the table names it.
  std::string effect(const std::string& name, const std::string& text) { return mShow.effect(name, text); }

  void loadTable(const std::string& text) { loadTableText(mDemo.postEffects(), text); }

  // The stage's screen picture, wherever it was drawn.
  std::array<float, 4> composite() { return readFrameBuffer(mStage.getScreenFrameBuffer()); }

  ShowFolder mShow;  // before the demo: it loads the show's effects from there
  DemoFixture mDemo{16, 12};
  CPostEffectStage mStage{demoManager()};  // on the demo's screens
};

}  // namespace

TEST_F(PostEffectStage, EffectRateRunsFromZeroAtStartToOneAtEndThenStops) {
  const std::string rate = effect("rate.fx", screenEffect("float TIME_RATE_EFFECT;", "vec4(TIME_RATE_EFFECT, 1.0, 0.0, 1.0)"));
  loadTable(rate + " 1000 2000 0 -1 -1\n");
  CPostEffectManager& table = mDemo.postEffects();
  ASSERT_EQ(table.getEntryCount(), 1u);
  EXPECT_NE(table.activeEffect(0, 1000), nullptr);
  EXPECT_EQ(table.activeEffect(0, 999), nullptr);

  mStage.run(1000);
  EXPECT_NEAR(composite()[0], 0.0f, 1e-3f);
  EXPECT_NEAR(composite()[1], 1.0f, 1e-3f);
  mStage.run(1250);
  EXPECT_NEAR(composite()[0], 0.25f, 1e-3f);
  mStage.run(2000);
  EXPECT_NEAR(composite()[0], 1.0f, 1e-3f);
  // One millisecond later the entry is inactive: the default effect shows the (black) lines.
  mStage.run(2001);
  EXPECT_NEAR(composite()[1], 0.0f, 1e-3f);
}

TEST_F(PostEffectStage, EntriesRunByOrderKeyWithTiesInFileOrder) {
  // Each stage reads the previous one's work screen, so only the right order
  // leaves 0.1 + 0.2 + 0.3 + 0.4 in the composite screen.
  const std::string first = effect("first.fx", screenEffect("", "vec4(0.1, 0.0, 0.0, 1.0)"));
  const std::string second =
      effect("second.fx", screenEffect("sampler2D workBuf0;", "texture2D(workBuf0, uv) + vec4(0.2, 0.0, 0.0, 0.0)"));
  const std::string tieA =
      effect("tieA.fx", screenEffect("sampler2D workBuf1;", "texture2D(workBuf1, uv) + vec4(0.3, 0.0, 0.0, 0.0)"));
  const std::string tieB =
      effect("tieB.fx", screenEffect("sampler2D workBuf2;", "texture2D(workBuf2, uv) + vec4(0.4, 0.0, 0.0, 0.0)"));
  loadTable("# effect start end order pass output\n" +  //
            tieA + " 0 5000 3 -1 2\n" +                 //
            first + " 0 5000 1 -1 0\n" +                //
            tieB + " 0 5000 3 -1 -1\n" +                //
            second + " 0 5000 2 -1 1\n");
  mStage.run(100);
  // Work and composite screens hold 8 bits: each of the three stored steps rounds.
  EXPECT_NEAR(composite()[0], 1.0f, 2e-3f);
  EXPECT_NEAR(readScreen(*demoManager().getWorkScreen(2))[0], 0.6f, 1.5f / 255.0f);
}

TEST_F(PostEffectStage, PassMinusOneRunsEveryPassAndANumberOnlyThatOne) {
  const std::string three = effect("three.fx", testData("effects/three_passes.fx"));
  loadTable(three + " 0 999 0 -1 -1\n" + three + " 1000 2000 0 1 -1\n");
  mStage.run(500);
  auto colour = composite();
  EXPECT_NEAR(colour[0], 0.25f, 1e-3f);
  EXPECT_NEAR(colour[1], 0.25f, 1e-3f);
  EXPECT_NEAR(colour[2], 0.25f, 1e-3f);

  fillScreen(*demoManager().getCompositeScreen(), {0.0f, 0.0f, 0.0f, 0.0f});
  mStage.run(1500);
  colour = composite();
  EXPECT_NEAR(colour[0], 0.0f, 1e-3f);
  EXPECT_NEAR(colour[1], 0.25f, 1e-3f);
  EXPECT_NEAR(colour[2], 0.0f, 1e-3f);
}

TEST_F(PostEffectStage, EffectsReceiveLineProgressAndViewportSize) {
  const std::string probe = effect(
      "probe.fx", screenEffect("float TIME_RATE_0; float TIME_RATE_1; float2 ViewportSize;",
                               "vec4(TIME_RATE_0, TIME_RATE_1, ViewportSize.x / 100.0, ViewportSize.y / 100.0)"));
  // From 1 ms: with nothing painting the screen at 0 ms the window cannot stand
  // in for it, and the composite screen keeps the alpha read below.
  loadTable(probe + " 1 5000 0 -1 -1\n");
  mDemo.addScene(0, "zero", 1000, 3000, {1.0f, 0.0f, 0.0f, 1.0f});
  mDemo.clock().play(1500);
  ASSERT_TRUE(demoManager().runFrame(false));
  const auto colour = composite();
  EXPECT_NEAR(colour[0], 0.25f, 1e-3f);
  EXPECT_NEAR(colour[1], 0.0f, 1e-3f) << "line 1 has no scene";
  EXPECT_NEAR(colour[2], 0.16f, 0.5f / 255.0f);  // the composite screen holds 8 bits
  EXPECT_NEAR(colour[3], 0.12f, 0.5f / 255.0f);
}

TEST_F(PostEffectStage, TheWindowIsTheScreenOnlyWhenItsFirstEntryPaintsItWholeThroughTheShow) {
  mDemo.addScene(0, "zero", 0, 3000, {1.0f, 0.0f, 0.0f, 1.0f});
  CDemoManager& demo = demoManager();
  const u32 compositeBuffer = demo.getCompositeScreen()->getFrameBuffer();
  // Writes half an alpha: the window keeps its own, opaque.
  const std::string paint = effect("paint.fx", screenEffect("", "vec4(0.2, 0.4, 0.6, 0.5)"));
  const std::string add = effect("add.fx", screenEffect("", "vec4(0.25, 0.0, 0.0, 1.0)",
                                                        "DepthTestEnable = false; BlendEnable = true; "
                                                        "BlendFunc = int2(One, One);"));
  const std::string dstAlpha = effect("dstAlpha.fx", screenEffect("", "vec4(0.25, 0.0, 0.0, 1.0)",
                                                                  "DepthTestEnable = false; BlendEnable = true; "
                                                                  "BlendFunc = int2(DstAlpha, One);"));
  const std::string depth = effect("depth.fx", screenEffect("", "vec4(0.25)", "DepthTestEnable = true;"));

  // Painted whole at every time, a blend over it after: drawn in the window.
  loadTable(paint + " 0 3000 0 -1 -1\n" + add + " 1000 2000 1 -1 -1\n");
  mStage.run(1500);
  EXPECT_EQ(mStage.getScreenFrameBuffer(), 0u);
  const auto window = composite();
  EXPECT_NEAR(window[0], 0.45f, 1.0f / 255.0f);
  EXPECT_NEAR(window[2], 0.6f, 1.0f / 255.0f);
  EXPECT_EQ(window[3], 1.0f);
  EXPECT_EQ(readFrameBuffer(compositeBuffer)[0], 0.0f) << "the composite screen is left alone";
  mStage.compose();
  EXPECT_EQ(composite(), window) << "nothing left to compose";

  // Each of these leaves a frame whose screen a window could not stand in for.
  const std::string refused[] = {
      add + " 0 3000 0 -1 -1\n",                                       // the frame before shows through
      paint + " 0 999 0 -1 -1\n" + add + " 1000 3000 0 -1 -1\n",      // from 1000 ms it does
      paint + " 0 2000 0 -1 -1\n",                                     // nothing paints it at the end
      paint + " 0 3000 0 -1 -1\n" + dstAlpha + " 0 3000 1 -1 -1\n",  // reads the screen's alpha
      depth + " 0 3000 0 -1 -1\n",                                     // the window has a depth buffer
  };
  for (const std::string& table : refused) {
    loadTable(table);
    mStage.run(1500);
    EXPECT_EQ(mStage.getScreenFrameBuffer(), compositeBuffer) << table;
  }
  // The same table again after a refused one is decided afresh.
  loadTable(paint + " 0 3000 0 -1 -1\n");
  mStage.run(1500);
  EXPECT_EQ(mStage.getScreenFrameBuffer(), 0u);
}

TEST_F(PostEffectStage, ASizeColumnMakesTheWorkScreenSmallerForTheWholeTable) {
  const std::string size = effect("outputSize.fx", screenEffect("float2 OutputSize;", "vec4(OutputSize / 100.0, 0.0, 1.0)"));
  const std::string copy = effect("copyHalf.fx", screenEffect("sampler2D workBuf1;", "texture2D(workBuf1, uv)"));
  loadTable(size + " 0 10 0 -1 1 1/2\n" + copy + " 0 10 1 -1 -1\n");
  mStage.run(5);
  GLint width = 0, height = 0;
  glBindTexture(GL_TEXTURE_2D, demoManager().getWorkScreen(1)->getColorTexture());
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  glBindTexture(GL_TEXTURE_2D, 0);
  EXPECT_EQ(width, 8);
  EXPECT_EQ(height, 6);
  // The effect is told the size it draws at, and a reader sees the whole picture.
  EXPECT_NEAR(composite()[0], 0.08f, 0.5f / 255.0f);
  EXPECT_NEAR(composite()[1], 0.06f, 0.5f / 255.0f);

  EXPECT_EXIT(loadTable(size + " 0 10 0 -1 1 1/2\n" + size + " 20 30 0 -1 1\n"),
              testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern(std::string(CPostEffectManager::DEFINITION_FILE) +
                             ":2: error: outputSize.fx: work screen 1 is written at 1/1 here but at 1/2 on line 1") +
                  ".*invalid screen size");
  EXPECT_EXIT(loadTable(size + " 0 10 0 -1 -1 1/2\n"), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("the composite screen (-1) always has the window's size"));
  EXPECT_EXIT(loadTable(size + " 0 10 0 -1 0 1/3\n"), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("the size column is none of 1/1, 1/2, 1/4 and 1/8"));

  // A table without the column gives the screen the window's size again.
  loadTable(size + " 0 10 0 -1 1\n");
  mStage.run(5);
  glBindTexture(GL_TEXTURE_2D, demoManager().getWorkScreen(1)->getColorTexture());
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glBindTexture(GL_TEXTURE_2D, 0);
  EXPECT_EQ(width, 16);
}

TEST_F(PostEffectStage, AGradeRowReadsThePictureComposedSoFarWhileWritingIt) {
  const std::string base = effect("base.fx", screenEffect("", "vec4(0.2, 0.4, 0.6, 1.0)"));
  const std::string grade = effect(
      "grade.fx", screenEffect("sampler2D composedBuf;", "vec4(vec3(1.0) - texture2D(composedBuf, uv).rgb, 1.0)"));
  const std::string copy = effect("copy.fx", screenEffect("sampler2D composedBuf;", "texture2D(composedBuf, uv)"));
  // The grade runs after the base (order 5 after 0) over the same screen; a
  // second row copies the graded picture into a work screen.
  loadTable(grade + " 0 1000 5 -1 -1\n" + base + " 0 1000 0 -1 -1\n" + copy + " 0 1000 6 -1 2\n");
  mStage.run(500);
  const std::array<float, 4> graded = composite();
  EXPECT_NEAR(graded[0], 0.8f, 0.01f);
  EXPECT_NEAR(graded[1], 0.6f, 0.01f);
  EXPECT_NEAR(graded[2], 0.4f, 0.01f);
  const std::array<float, 4> copied = readScreen(*demoManager().getWorkScreen(2));
  EXPECT_NEAR(copied[0], 0.8f, 0.01f);
  EXPECT_NEAR(copied[2], 0.4f, 0.01f);
  // The next frame reads this frame's own picture, not the last one's.
  loadTable(grade + " 0 1000 5 -1 -1\n" + base + " 0 1000 0 -1 -1\n");
  mStage.run(600);
  EXPECT_NEAR(composite()[0], 0.8f, 0.01f);
  // Where the window is the screen, the grade reads the window.
  mDemo.addScene(0, "zero", 0, 1000, {1.0f, 0.0f, 0.0f, 1.0f});
  loadTable(grade + " 0 1000 5 -1 -1\n" + base + " 0 1000 0 -1 -1\n");
  mStage.run(700);
  ASSERT_EQ(mStage.getScreenFrameBuffer(), 0u);
  EXPECT_NEAR(composite()[0], 0.8f, 0.01f);
  EXPECT_NEAR(composite()[2], 0.4f, 0.01f);
}

TEST_F(PostEffectStage, AnEffectNamedOutsideTheDataFolderIsNeverOpened) {
  // The file is there, one folder above the show's data: reachable by name, but not to be read.
  mShow.write("outside.fx", screenEffect("", "vec4(1.0)"));
  const std::string table = "..\\..\\outside.fx 0 5000 0 -1 -1\n";
  testing::internal::CaptureStderr();
  loadTable(table);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find(":1: error: ..\\..\\outside.fx: the effect's name leaves the data folder"), std::string::npos)
      << said;
  ASSERT_EQ(mDemo.postEffects().getEntryCount(), 1u);
  EXPECT_EQ(mDemo.postEffects().activeEffect(0, 100), nullptr) << "an entry without its effect never runs";
  // A reload in author mode refuses the table.
  std::FILE* pTable = std::tmpfile();
  std::fputs(table.c_str(), pTable);
  std::rewind(pTable);
  std::string error;
  EXPECT_FALSE(mDemo.postEffects().loadDefinitions(pTable, error));
  std::fclose(pTable);
  EXPECT_NE(error.find("leaves the data folder"), std::string::npos) << error;
}

TEST_F(PostEffectStage, ZeroLengthEntryIsCompleteAtItsOnlyMillisecond) {
  // (t - start) / (end - start) would be 0 / 0 here; the entry is taken as done.
  loadTable("missing.fx 100 100 0 -1 -1\nmissing.fx 4294967295 4294967295 0 -1 -1\n");
  CPostEffectManager& table = mDemo.postEffects();
  ASSERT_EQ(table.getEntryCount(), 2u);
  EXPECT_FLOAT_EQ(table.effectRate(0, 100), 1.0f);
  EXPECT_FLOAT_EQ(table.effectRate(0, 99), 0.0f);
  EXPECT_FLOAT_EQ(table.effectRate(0, 101), 0.0f);
  EXPECT_FLOAT_EQ(table.effectRate(1, 4294967295u), 1.0f);
}

TEST_F(PostEffectStage, ReplacingTheTableKeepsTheEffectsBothTablesUse) {
  const std::string rate = effect("again.fx", screenEffect("float TIME_RATE_EFFECT;", "vec4(TIME_RATE_EFFECT, 1.0, 0.0, 1.0)"));
  loadTable(rate + " 0 1000 0 -1 -1\n");
  resShader* pFirst = mDemo.postEffects().getEntry(0).pEffect;
  ASSERT_NE(pFirst, nullptr);
  loadTable(rate + " 0 2000 0 -1 -1\n");
  EXPECT_EQ(mDemo.postEffects().getEntry(0).pEffect, pFirst) << "the same loaded effect";
  EXPECT_EQ(mDemo.postEffects().getEntry(0).end, 2000u);
  mStage.run(500);
  EXPECT_NEAR(composite()[0], 0.25f, 1e-3f);
}

TEST(ShippedGlowBlur, SpreadsADotEvenlyBothWaysAndKeepsItsLight) {
  // The shipped table's grade and blur rows on a bright square in the middle of
  // line 0: the blurred copy must be as wide across as down (each pass steps by
  // the texels of the screen it reads), as wide as the glow is meant to be, and
  // hold the square's light (the weights add up to one).
  ShowFolder show;
  DemoFixture demo{128, 72};
  ASSERT_TRUE(demo.ok()) << demo.error();
  std::string rows;
  std::ifstream shipped(std::filesystem::path(orvaneSourceDir()) / "data/definition/postEffectDefine.txt");
  for (std::string line; std::getline(shipped, line);) {
    const bool firstGrade = rows.empty() && line.rfind("postCompose.fx", 0) == 0;
    if (firstGrade || (!rows.empty() && line.rfind("postGlowBlur.fx", 0) == 0)) rows += line + "\n";
  }
  loadTableText(demo.postEffects(), rows);
  ASSERT_EQ(demo.postEffects().getEntryCount(), 3u) << rows;

  CDemoManager& manager = demoManager();
  CPostEffectStage stage(manager);
  const auto blurredGreen = [&](bool withDot) {
    const CSceneScreen& line0 = *manager.getSourceScreen(0);
    fillScreen(line0, {0.0f, 0.0f, 0.0f, 1.0f});
    if (withDot) {
      glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, line0.getFrameBuffer());
      glEnable(GL_SCISSOR_TEST);
      glScissor(60, 32, 8, 8);
      glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
      glClear(GL_COLOR_BUFFER_BIT);
      glDisable(GL_SCISSOR_TEST);
      glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    }
    stage.run(1000);
    GLint width = 0, height = 0;
    glBindTexture(GL_TEXTURE_2D, manager.getWorkScreen(2)->getColorTexture());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glBindTexture(GL_TEXTURE_2D, 0);
    std::vector<float> rgba(static_cast<std::size_t>(width * height * 4));
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, manager.getWorkScreen(2)->getFrameBuffer());
    glReadPixels(0, 0, width, height, GL_RGBA, GL_FLOAT, rgba.data());
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    std::vector<float> green(static_cast<std::size_t>(width * height));
    for (std::size_t i = 0; i < green.size(); ++i) green[i] = rgba[i * 4 + 1];
    return std::pair{green, width};
  };
  const auto [background, width] = blurredGreen(false);
  const auto [lit, sameWidth] = blurredGreen(true);
  ASSERT_EQ(width, sameWidth);
  const double texel = 128.0 / width;  // window pixels per texel of the blurred copy
  double light = 0.0, sumX = 0.0, sumY = 0.0, sumXX = 0.0, sumYY = 0.0;
  for (std::size_t i = 0; i < lit.size(); ++i) {
    const double weight = lit[i] - background[i];
    const double x = (static_cast<double>(i % width) + 0.5) * texel;
    const double y = (static_cast<double>(i / width) + 0.5) * texel;
    light += weight;
    sumX += weight * x;
    sumY += weight * y;
    sumXX += weight * x * x;
    sumYY += weight * y * y;
  }
  ASSERT_GT(light, 0.0);
  // The spread the viewer sees: the final pass enlarges the copy with a linear
  // filter, which widens it by a triangle of one texel each way.
  const double enlarging = texel * texel / 6.0;
  const double spreadX = std::sqrt(sumXX / light - (sumX / light) * (sumX / light) + enlarging);
  const double spreadY = std::sqrt(sumYY / light - (sumY / light) * (sumY / light) + enlarging);
  EXPECT_NEAR(sumX / light, 64.0, 0.5);
  EXPECT_NEAR(sumY / light, 36.0, 0.5);
  // The square's own width and the glow's Gaussian: 4.5 window pixels, as wide
  // as when the copy was blurred at half size.
  EXPECT_NEAR(spreadX, 4.5, 0.25);
  EXPECT_NEAR(spreadY, 4.5, 0.25);
  EXPECT_NEAR(spreadX, spreadY, 0.3);
  // 64 pixels of graded white over graded black, under the vignette's centre tint.
  EXPECT_NEAR(light * texel * texel, 64.0 * 0.98 * 0.98, 64.0 * 0.02);
}
