// The texture managers with GL: reserved names, uploads and lookups, forgetting
// destroyed textures, deletion at exit, and the effect-texture table read, applied
// to an effect and released.
#include "resource/texture_manager.h"

#include "platform/gl.h"
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "resource/custom_texture_manager.h"
#include "resource/res_texture.h"
#include "resource/resource_manager.h"
#include "resource/texture_parameter_sink.h"
#include "support/gl_test_context.h"
#include "support/image_fixtures.h"
#include "support/show_folder.h"
#include "support/temp_dir.h"

namespace {

fixture::Rgba flat(u32, u32) { return {1, 2, 3, 4}; }

class RecordingSink : public TextureParameterSink {
 public:
  void setTextureParameter(const char* pName, u32 textureName) override { mCalls.emplace_back(pName, textureName); }
  std::vector<std::pair<std::string, u32>> mCalls;
};

resTexture* load(const std::string& path) {
  return static_cast<resTexture*>(resourceManager::mpThis->getResource(path.c_str(), resTexture::DTI));
}

class TextureManagerGl : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(mContext.ok()) << mContext.error(); }
  GlTestContext mContext;
  TempDir mDir;
};

}  // namespace

TEST_F(TextureManagerGl, ReservesUploadsFindsAndDeletesNames) {
  textureManager& manager = *textureManager::mpThis;
  const u32 reserved = manager.newTextureId();
  ASSERT_NE(reserved, 0u);
  ASSERT_EQ(manager.getTextureTable().count(reserved), 1u);
  EXPECT_EQ(manager.getTextureTable().at(reserved), nullptr);

  resTexture* pTexture = load(mDir.write("a.tga", fixture::tga(4, 4, 24, false, flat)));
  ASSERT_NE(pTexture, nullptr);
  const u32 id = manager.getTextureId(pTexture);
  EXPECT_NE(id, reserved);
  EXPECT_EQ(manager.getTextureTable().at(id), pTexture);
  EXPECT_TRUE(glIsTexture(id));
  GLint filter = 0, wrap = 0;
  glBindTexture(GL_TEXTURE_2D, id);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap);
  glBindTexture(GL_TEXTURE_2D, 0);
  EXPECT_EQ(filter, GL_LINEAR);
  EXPECT_EQ(wrap, GL_REPEAT);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

  // Registering the texture under the reserved name as well: lookups give the lower name.
  manager.registerTexture(reserved, pTexture);
  EXPECT_EQ(manager.getTextureId(pTexture), std::min(reserved, id));

  releaseResource(pTexture);
  EXPECT_EQ(manager.getTextureTable().count(id), 1u) << "the entry stays";
  EXPECT_EQ(manager.getTextureTable().at(id), nullptr) << "but no longer points at the destroyed texture";

  manager.deleteAllTextures();
  EXPECT_FALSE(glIsTexture(id));
  EXPECT_EQ(manager.getTextureTable().count(id), 1u);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureManagerGl, DefinitionsAreLoadedAppliedAndReleased) {
  // The table's names must stay inside the show's data folder.
  const ShowFolder show;
  const std::string first = show.write("data/test/first.tga", fixture::tga(4, 4, 24, false, flat));
  const std::string second = show.write("data/test/second.tga", fixture::tga(8, 8, 32, true, flat));
  // The line rules are the parser's own test; here one texture is named twice.
  const std::string definitions = mDir.write("shaderTextureDefine.txt", first + " noiseTex\n" + second + " rampTex\n" +
                                                                          second + " sharedRamp\n");
  customTextureManager& custom = *customTextureManager::mpThis;
  ASSERT_TRUE(custom.loadDefinitions(definitions.c_str()));
  const std::vector<CustomTexture>& entries = custom.getEntries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].fileName, first);
  EXPECT_EQ(entries[2].parameterName, "sharedRamp");
  ASSERT_NE(entries[0].pTexture, nullptr);
  EXPECT_EQ(entries[1].pTexture, entries[2].pTexture);
  EXPECT_EQ(entries[1].pTexture->mRefPtr, 2u);

  RecordingSink sink;
  custom.applyTextures(&sink);
  ASSERT_EQ(sink.mCalls.size(), 3u);
  EXPECT_EQ(sink.mCalls[0], std::make_pair(std::string("noiseTex"), textureManager::mpThis->getTextureId(entries[0].pTexture)));
  EXPECT_EQ(sink.mCalls[1].first, "rampTex");
  EXPECT_EQ(sink.mCalls[2].second, sink.mCalls[1].second);
  EXPECT_NE(sink.mCalls[0].second, sink.mCalls[1].second);

  const std::size_t listed = resourceManager::mpThis->getResources().size();
  custom.releaseTextures();
  for (const CustomTexture& entry : custom.getEntries()) EXPECT_EQ(entry.pTexture, nullptr);
  EXPECT_EQ(resourceManager::mpThis->getResources().size(), listed - 2);
}

