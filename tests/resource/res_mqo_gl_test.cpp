// Models with GL: the display lists per material and per object draw the expected
// pixels, the default texture and effect stand in for what a material does not
// name, and a failed load gives every reference back.
#include "platform/gl.h"
#include <gtest/gtest.h>

#include "render/effect_support.h"
#include "resource/res_mqo.h"
#include "resource/res_texture.h"

namespace {

// Two quads side by side in x -1..0 ("left", material 0) and 0..1 ("right",
// material 1), each drawn with a triangle and a quad face.
const char* kTwoHalves =
    "Metasequoia Document\nFormat Text Ver 1.0\n"
    "Material 2 {\n\t\"red\" col(1 0 0 1)\n\t\"green\" col(0 1 0 1)\n}\n"
    "Object \"left\" {\n\tvertex 4 {\n\t\t-100 -100 0\n\t\t0 -100 0\n\t\t0 100 0\n\t\t-100 100 0\n\t}\n"
    "\tface 1 {\n\t\t4 V(0 1 2 3) M(0) UV(0 0 1 0 1 1 0 1)\n\t}\n}\n"
    "Object \"right\" {\n\tvertex 4 {\n\t\t0 -100 0\n\t\t100 -100 0\n\t\t100 100 0\n\t\t0 100 0\n\t}\n"
    "\tface 2 {\n\t\t3 V(0 1 2) M(1)\n\t\t3 V(0 2 3) M(1)\n\t}\n}\n"
    "Eof\n";

u32 countOf(const char* path) {
  for (resourceObject* pResource : resourceManager::mpThis->getResources()) {
    if (pResource->getPath() == path) return pResource->mRefPtr;
  }
  return 0;
}

// Looks at the unit square from the front and draws one list in one colour on black.
void drawListOnBlack(u32 list, f32 r, f32 g, f32 b) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-1.0, 1.0, -1.0, 1.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(r, g, b);
  glCallList(list);
}

class MqoGlTest : public EffectTest {
 protected:
  resMQO* loadModel(const std::string& name, const std::string& text) {
    const std::string path = write(name, text);
    return static_cast<resMQO*>(resourceManager::mpThis->getResource(path.c_str(), resMQO::DTI));
  }
};

}  // namespace

TEST_F(MqoGlTest, DisplayListsDrawEachMaterialAndEachObjectMaterialPair) {
  resMQO* pModel = loadModel("halves.mqo", kTwoHalves);
  ASSERT_NE(pModel, nullptr);
  ASSERT_EQ(pModel->materialLists.size(), 2u);
  ASSERT_EQ(pModel->objectLists.size(), 2u);
  for (u32 material = 0; material < 2; ++material) {
    EXPECT_TRUE(glIsList(pModel->getMaterialList(material)));
    // Each object has a list for the one material it uses, none for the other.
    EXPECT_EQ(glIsList(pModel->getObjectMaterialList(material, material)), GL_TRUE);
    EXPECT_EQ(pModel->getObjectMaterialList(1 - material, material), 0u);
  }
  EXPECT_EQ(pModel->getBoundsMin(), (MqoPoint{-1.0f, -1.0f, 0.0f}));
  EXPECT_EQ(pModel->getBoundsMax(), (MqoPoint{1.0f, 1.0f, 0.0f}));

  OffscreenTarget target(64, 64);
  ASSERT_TRUE(target.complete());
  drawListOnBlack(pModel->getMaterialList(0), 1.0f, 0.0f, 0.0f);
  EXPECT_EQ(target.pixel(16, 32), (std::array<int, 4>{255, 0, 0, 255}));
  EXPECT_EQ(target.pixel(48, 32), (std::array<int, 4>{0, 0, 0, 255}));
  drawListOnBlack(pModel->getMaterialList(1), 0.0f, 1.0f, 0.0f);
  EXPECT_EQ(target.pixel(48, 10), (std::array<int, 4>{0, 255, 0, 255}));
  drawListOnBlack(pModel->getObjectMaterialList(1, 1), 0.0f, 0.0f, 1.0f);
  EXPECT_EQ(target.pixel(48, 32), (std::array<int, 4>{0, 0, 255, 255}));
  EXPECT_EQ(target.pixel(16, 32), (std::array<int, 4>{0, 0, 0, 255}));
  // Drawing one face leaves the client arrays as they were.
  GLint enabled = 1;
  pModel->drawFace(0, 0, 0);
  glGetIntegerv(GL_VERTEX_ARRAY, &enabled);
  EXPECT_EQ(enabled, 0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  releaseResource(pModel);
}

TEST_F(MqoGlTest, MaterialsWithoutFilesGetTheDefaultTextureAndEffectAndABumpEntryNamesTheEffect) {
  const u32 textureBefore = countOf(resMQO::DEFAULT_TEXTURE);
  const u32 shaderBefore = countOf(resMQO::DEFAULT_SHADER);
  resMQO* pModel = loadModel("halves.mqo", kTwoHalves);
  ASSERT_NE(pModel, nullptr);
  EXPECT_EQ(countOf(resMQO::DEFAULT_TEXTURE), textureBefore + 4);  // texture and alpha plane per material
  EXPECT_EQ(countOf(resMQO::DEFAULT_SHADER), shaderBefore + 2);
  for (u32 material = 0; material < 2; ++material) {
    EXPECT_EQ(pModel->getTexture(material)->getPath(), resMQO::DEFAULT_TEXTURE);
    EXPECT_EQ(pModel->getAplaneTexture(material)->getPath(), resMQO::DEFAULT_TEXTURE);
    EXPECT_EQ(pModel->getMaterialEffect(material)->getPath(), resMQO::DEFAULT_SHADER);
  }
  releaseResource(pModel);
  EXPECT_EQ(countOf(resMQO::DEFAULT_TEXTURE), textureBefore);
  EXPECT_EQ(countOf(resMQO::DEFAULT_SHADER), shaderBefore);
  // A bump entry names the material's effect instead.
  write("fill.fx", kFillEffect);
  pModel = loadModel("bumped.mqo", "Metasequoia Document\nMaterial 1 {\n\t\"m\" shader(3) col(1 1 1 1) bump(\"fill.fx\")\n}\nEof\n");
  ASSERT_NE(pModel, nullptr);
  EXPECT_EQ(pModel->getMaterialEffect(0)->getPath(), (mDir.path() / "fill.fx").string());
  releaseResource(pModel);
}

TEST_F(MqoGlTest, AMaterialWhoseTextureCannotLoadFailsAndGivesEverythingBack) {
  const std::size_t resourcesBefore = resourceManager::mpThis->getResources().size();
  const u32 textureBefore = countOf(resMQO::DEFAULT_TEXTURE);
  const u32 shaderBefore = countOf(resMQO::DEFAULT_SHADER);
  resMQO* pModel = loadModel("broken.mqo",
                             "Metasequoia Document\nMaterial 2 {\n\t\"fine\" col(1 1 1 1)\n"
                             "\t\"broken\" col(1 1 1 1) tex(\"missing.bmp\")\n}\nEof\n");
  EXPECT_EQ(pModel, nullptr);
  EXPECT_EQ(resourceManager::mpThis->getResources().size(), resourcesBefore);
  EXPECT_EQ(countOf(resMQO::DEFAULT_TEXTURE), textureBefore);
  EXPECT_EQ(countOf(resMQO::DEFAULT_SHADER), shaderBefore);
  // A damaged file fails the same way.
  EXPECT_EQ(loadModel("damaged.mqo", "Metasequoia Document\nObject \"o\" {\n\tvertex 1 {\n"), nullptr);
  EXPECT_EQ(resourceManager::mpThis->getResources().size(), resourcesBefore);
}

TEST_F(MqoGlTest, LineFacesAreLeftOutOfTheTriangleLists) {
  // A real model's wire edges: two lines beside a triangle covering the left half.
  const std::string lines =
      "Metasequoia Document\nMaterial 1 {\n\t\"m\" col(1 1 1 1)\n}\n"
      "Object \"wire\" {\n\tvertex 4 {\n\t\t-100 -100 0\n\t\t0 -100 0\n\t\t-100 100 0\n\t\t100 100 0\n\t}\n"
      "\tface 3 {\n\t\t2 V(0 3) M(0)\n\t\t3 V(0 1 2) M(0)\n\t\t2 V(1 3) M(0)\n\t}\n}\nEof\n";
  resMQO* pModel = loadModel("line.mqo", lines);
  ASSERT_NE(pModel, nullptr);
  OffscreenTarget target(64, 64);
  ASSERT_TRUE(target.complete());
  drawListOnBlack(pModel->getMaterialList(0), 1.0f, 1.0f, 1.0f);
  EXPECT_EQ(target.pixel(8, 8), (std::array<int, 4>{255, 255, 255, 255}));  // the triangle
  EXPECT_EQ(target.pixel(56, 56), (std::array<int, 4>{0, 0, 0, 255}));      // no line drawn as a triangle
  pModel->drawFace(0, 0, 0);  // a line drawn on its own draws nothing, and is not fatal
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  releaseResource(pModel);
}
