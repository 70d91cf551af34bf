// The Qel reader without models: model directories, comments in the model block,
// camera objects and their tracks, scene end times, the model count, damaged
// files failing with the file, the line and the problem; and track evaluation.
#include "resource/qel_animation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "resource/qel_track_set.h"
#include "resource/resource_manager.h"
#include "support/temp_dir.h"

namespace {

// A camera object with three keys at times (0, 1, 2): camera_pos x runs 0, 10, 40.
const char* kCameraObject =
    "\tObject -1 {\n"
    "\t\tDataNum 3\n"
    "\t\tTime { 0 1 2 }\n"
    "\t\tPart \"camera_pos\" {\n"
    "\t\t\tPosition { 0 0 0  10 0 0  40 0 0 }\n"
    "\t\t\tRotation { 0 0 0  0 1 0  0 2 0 }\n"
    "\t\t\tAlpha { 1 0.5 0 }\n"
    "\t\t}\n"
    "\t}\n";

std::string cameraScene(const char* name, const char* endTime) {
  return std::string("Scene \"") + name + "\" {\n\tObject -1 {\n\t\tDataNum 2\n\t\tTime { 0 " + endTime +
         " }\n\t\tPart \"camera_pos\" {\n\t\t}\n\t}\n}\n";
}

}  // namespace

TEST(QelModels, ModelDirectoryFollowsTheFileRelativeToTheCurrentDirectoryOrAbsolute) {
  TempDir dir;
  dir.write("data/qel/show.qel", "Eof\n");
  dir.write("show.qel", "Eof\n");
  const WorkingFolder inside(dir.path());
  QelAnimation nested;
  ASSERT_TRUE(nested.read("data\\qel\\show.qel")) << nested.error();
  EXPECT_EQ(nested.modelDir + "m.mqo", ".\\data\\qel\\m.mqo");
  QelAnimation here;
  ASSERT_TRUE(here.read("show.qel")) << here.error();
  EXPECT_EQ(here.modelDir + "m.mqo", "m.mqo");
  // An absolute path outside the current directory keeps its folder.
  TempDir other;
  QelAnimation absolute;
  ASSERT_TRUE(absolute.read(other.write("abs.qel", "Eof\n"))) << absolute.error();
  EXPECT_EQ(absolute.modelDir, other.path().string() + "\\");
}

TEST(QelModels, CountingSeesEveryModelBlockAndCommentsRunToTheNextTokenThatStartsWithADigit) {
  TempDir dir;
  QelAnimation animation;
  // "#" drops two words and then skips to the model line of index 1; "note#x" skips
  // everything, model names included, up to the token "2".
  EXPECT_EQ(animation.countModels(dir.write("hash.qel", "MQO {\n# two words\n1 \"a.mqo\"\n}\nEof\n")), 1u);
  EXPECT_EQ(animation.countModels(dir.write("inner.qel",
                                            "MQO {\n0 \"a.mqo\"\nnote#x \"b.mqo\" more words\n2 \"c.mqo\"\n}\nEof\n")),
            2u);
  // "#" followed by two words swallows a model line written right after it.
  EXPECT_EQ(animation.countModels(dir.write("swallow.qel", "MQO {\n#\n3 \"a.mqo\"\n4 \"b.mqo\"\n}\nEof\n")), 1u);
  // Every model block counts; a missing file has none.
  EXPECT_EQ(animation.countModels(dir.write("two.qel", "MQO {\n0 \"a.mqo\"\n1 \"b.MQO\"\n}\n" + cameraScene("s", "1") +
                                                           "MQO {\n7 \"c.mqo\"\n}\nEof\n")),
            3u);
  EXPECT_EQ(animation.countModels((dir.path() / "missing.qel").string()), 0u);
  // A cut file counts the models reading requests before it fails.
  EXPECT_EQ(animation.countModels(dir.write("cut.qel", "MQO {\n0 \"a.mqo\"\n")), 1u);
  EXPECT_EQ(resQEL::getModelCount(dir.write("count.qel", "MQO {\n0 \"a.mqo\"\n5 \"b.mqo\"\n}\nEof\n").c_str()), 2u);
}

TEST(QelScenes, CameraObjectGetsItsTwoPartsWithDefaultKeysOrTheFilesKeys) {
  TempDir dir;
  QelAnimation animation;
  ASSERT_TRUE(animation.read(dir.write("camera.qel",
                                       "Scene \"opening\" {\n\tObject -1 {\n\t\tCameraTrans 0\n\t\tVisible 0\n"
                                       "\t\tDataNum 3\n\t}\n}\nEof\n")))
      << animation.error();
  ASSERT_EQ(animation.scenes.size(), 1u);
  ASSERT_EQ(animation.scenes[0].objects.size(), 1u);
  const QelObject& camera = animation.scenes[0].objects[0];
  EXPECT_EQ(camera.mqoIndex, -1);
  ASSERT_EQ(camera.tracks.parts.size(), 2u);
  for (const char* part : {"camera_pos", "camera_lookat"}) {
    const auto found = camera.tracks.parts.find(part);
    ASSERT_NE(found, camera.tracks.parts.end()) << part;
    // No values in the file, so no keys are kept: the count times the parts is
    // not bounded by the file's bytes.
    EXPECT_TRUE(found->second.empty()) << part;
  }
  EXPECT_TRUE(camera.tracks.times.empty());  // no "Time": evaluation gives the default key
  EXPECT_EQ(camera.tracks.evaluate("camera_pos", 1.0f).alpha, 1.0f);

  QelAnimation keyed;
  ASSERT_TRUE(keyed.read(dir.write("tracks.qel", "Scene \"s\" {\n" + std::string(kCameraObject) + "}\nEof\n")))
      << keyed.error();
  const QelTrackSet& tracks = keyed.scenes[0].objects[0].tracks;
  ASSERT_EQ(tracks.times, (std::vector<f32>{0.0f, 1.0f, 2.0f}));
  // The keys reach the tracks (their evaluation is QelTracks' own test).
  EXPECT_FLOAT_EQ(tracks.evaluate("camera_pos", 0.5f).position[0], 2.5f);
  EXPECT_FLOAT_EQ(tracks.evaluate("camera_pos", 1.0f).rotation[1], 1.0f);
  EXPECT_FLOAT_EQ(tracks.evaluate("camera_pos", 1.0f).alpha, 0.5f);
  // The part without blocks keeps its default keys.
  EXPECT_FLOAT_EQ(tracks.evaluate("camera_lookat", 1.5f).scale[0], 1.0f);
}

TEST(QelScenes, SceneEndsAddUpTheFirstObjectsLastTimes) {
  TempDir dir;
  QelAnimation animation;
  ASSERT_TRUE(animation.read(dir.write("ends.qel", cameraScene("first", "10") + cameraScene("second", "4") +
                                                       "Scene \"empty\" {\n}\nEof\n")))
      << animation.error();
  ASSERT_EQ(animation.scenes.size(), 3u);
  EXPECT_EQ(animation.sceneEnds, (std::vector<f32>{10.0f, 14.0f, 14.0f}));
  // An object without parts keeps the following objects in its scene.
  QelAnimation noParts;
  ASSERT_TRUE(noParts.read(dir.write("noparts.qel",
                                     "Scene \"s\" {\n\tObject -1 {\n\t\tDataNum 1\n\t\tTime { 3 }\n\t}\n" +
                                         std::string(kCameraObject) + "}\n" + cameraScene("next", "1") + "Eof\n")))
      << noParts.error();
  ASSERT_EQ(noParts.scenes.size(), 2u);
  EXPECT_EQ(noParts.scenes[0].objects.size(), 2u);
  EXPECT_EQ(noParts.scenes[1].name, "next");
  EXPECT_EQ(noParts.sceneEnds, (std::vector<f32>{3.0f, 4.0f}));
}

TEST(QelDamaged, EachDamageFailsWithTheFileTheLineAndTheProblem) {
  TempDir dir;
  struct Case {
    const char* name;
    std::string text;
    int line;
    const char* problem;
  };
  const std::string scene = "Scene \"s\" {\n\tObject -1 {\n";  // lines 1 and 2
  const Case cases[] = {
      {"empty.qel", "", 1, "ends without \"Eof\""},
      {"noeof.qel", cameraScene("s", "1"), 8, "ends without \"Eof\""},
      {"index.qel", "MQO {\n256 \"a.mqo\"\n}\nEof\n", 2, "model index 256 is outside 0..255"},
      {"openmodels.qel", "MQO {\n# comment without end\n", 2, "MQO block is not closed"},
      {"eofinmodels.qel", "MQO {\n# Eof\nEof\n", 3, "MQO block is not closed"},
      {"unlisted.qel", scene + "\t\tDataNum 1\n\t}\n}\nEof\n", 2,
       "scene \"s\", Object 3 animates model 3, which no MQO block lists"},
      {"part.qel", scene + "\t\tDataNum 1\n\t\tPart \"camera_up\" {\n\t\t}\n\t}\n}\nEof\n", 4,
       "part \"camera_up\" is not a part of the camera"},
      {"fewtimes.qel", scene + "\t\tDataNum 3\n\t\tTime { 0 1 }\n\t}\n}\nEof\n", 4,
       "Time holds 2 values where \"DataNum\" asks for 3"},
      {"manytimes.qel", scene + "\t\tDataNum 1\n\t\tTime { 0 1 }\n\t}\n}\nEof\n", 4, "more values than \"DataNum\""},
      {"fewkeys.qel",
       scene + "\t\tDataNum 2\n\t\tTime { 0 1 }\n\t\tPart \"camera_pos\" {\n\t\t\tPosition { 0 0 0 1 1 }\n", 6,
       "Position holds 5 values where \"DataNum\" asks for 6"},
      {"timefirst.qel", scene + "\t\tTime { 0 1 }\n\t\tDataNum 2\n\t}\n}\nEof\n", 3, "\"Time\" comes before \"DataNum\""},
      {"partfirst.qel", scene + "\t\tPart \"camera_pos\" {\n\t\t}\n\t\tDataNum 2\n\t}\n}\nEof\n", 3,
       "\"Part\" comes before \"DataNum\""},
      {"eofinobject.qel", scene + "\t\tDataNum 1\nEof\n", 4, "\"Eof\" is not part of an object"},
      {"eofinpart.qel", scene + "\t\tDataNum 1\n\t\tPart \"camera_pos\" {\nEof\n", 5, "\"Eof\" where \"Position\""},
      {"hugecount.qel", scene + "\t\tDataNum 2000000000\n", 3, "not a key count the file can hold"},
      {"notanumber.qel", scene + "\t\tDataNum 1\n\t\tTime { x }\n\t}\n}\nEof\n", 4, "\"x\" is not a number"},
      {"infinitetime.qel", scene + "\t\tDataNum 2\n\t\tTime { 0\n1e39 }\n\t}\n}\nEof\n", 5,
       "Time: \"1e39\" is beyond the range of a float"},
  };
  for (const Case& c : cases) {
    std::string text = c.text;  // "unlisted" names model 3 rather than the camera
    if (std::string(c.name) == "unlisted.qel") text.replace(text.find("-1"), 2, "3");
    QelAnimation animation;
    const std::string path = dir.write(c.name, text);
    EXPECT_FALSE(animation.read(path)) << c.name;
    const std::string where = path + ":" + std::to_string(c.line) + ": ";
    EXPECT_EQ(animation.error().rfind(where, 0), 0u) << c.name << ": " << animation.error();
    EXPECT_NE(animation.error().find(c.problem), std::string::npos) << c.name << ": " << animation.error();
  }
  QelAnimation missing;
  EXPECT_FALSE(missing.read((dir.path() / "none.qel").string()));
}

TEST(QelModels, AModelOutsideTheDataFolderOrNotLoadingSaysWhyAndAnUnclosedSceneWarns) {
  TempDir dir;
  dir.write("data/qel/climbs.qel", "MQO {\n0 \"..\\..\\..\\x.mqo\"\n}\nEof\n");
  dir.write("x.mqo", "Metasequoia Document\nEof\n");
  dir.write("data/qel/missing.qel", "MQO {\n\n0 \"none.mqo\"\n}\nEof\n");
  dir.write("data/qel/open.qel", cameraScene("s", "1").substr(0, cameraScene("s", "1").size() - 2) + "Eof\n");
  const WorkingFolder inside(dir.path());
  QelAnimation climbs;
  EXPECT_FALSE(climbs.read("data\\qel\\climbs.qel"));
  EXPECT_EQ(climbs.error(), "data\\qel\\climbs.qel:2: model 0 \"..\\..\\..\\x.mqo\" leaves the data folder");
  QelAnimation missing;
  missing.missingModelFails = true;
  EXPECT_FALSE(missing.read("data\\qel\\missing.qel"));
  EXPECT_EQ(missing.error(),
            "data\\qel\\missing.qel:3: model 0 \".\\data\\qel\\none.mqo\" cannot be loaded: it is not found");
  // A scene whose closing brace is missing still plays, with a word about it.
  QelAnimation open;
  ASSERT_TRUE(open.read("data\\qel\\open.qel")) << open.error();
  EXPECT_EQ(open.scenes.size(), 1u);
  ASSERT_EQ(open.warnings().size(), 1u);
  EXPECT_EQ(open.warnings()[0], "data\\qel\\open.qel:8: scene \"s\" has no closing \"}\" before \"Eof\"");
}

namespace {

// Keys at times 0, 1, 2: position x runs 0, 10, 40; rotation y 0, 1, 2; alpha
// 1, 0.5, 0; scale z 1, 2, 3.
QelTrackSet threeKeys() {
  QelTrackSet tracks;
  tracks.times = {0.0f, 1.0f, 2.0f};
  std::vector<QelKey> keys(3);
  const f32 positions[3] = {0.0f, 10.0f, 40.0f};
  for (int k = 0; k < 3; ++k) {
    keys[k].position[0] = positions[k];
    keys[k].rotation[1] = static_cast<f32>(k);
    keys[k].alpha = 1.0f - 0.5f * static_cast<f32>(k);
    keys[k].scale[2] = 1.0f + static_cast<f32>(k);
  }
  tracks.parts["body"] = keys;
  return tracks;
}

}  // namespace

TEST(QelTracks, PositionsFollowTheParabolaAndTheRestIsLinearClampedAtTheEnds) {
  const QelTrackSet tracks = threeKeys();
  struct Case {
    f32 time, position, rotation, alpha, scale;
  };
  const Case cases[] = {
      // The first segment's parabola runs through keys 0 to 2:
      // 0.5 * (0 * (0.25 - 1.5 + 2) + 10 * (2 - 0.5) + 40 * (0.25 - 0.5)) = 2.5
      {0.5f, 2.5f, 0.5f, 0.75f, 1.5f},
      {1.0f, 10.0f, 1.0f, 0.5f, 2.0f},
      // Later segments use the previous key as well:
      // 0.5 * (0 * (0.25 - 0.5) + 10 * (2 - 0.5) + 40 * (0.25 + 0.5)) = 22.5
      {1.5f, 22.5f, 1.5f, 0.25f, 2.5f},
      {5.0f, 40.0f, 2.0f, 0.0f, 3.0f},
      {-1.0f, 0.0f, 0.0f, 1.0f, 1.0f},
      {std::nanf(""), 0.0f, 0.0f, 1.0f, 1.0f},  // as time 0
  };
  for (const Case& c : cases) {
    const QelKey key = tracks.evaluate("body", c.time);
    EXPECT_FLOAT_EQ(key.position[0], c.position) << c.time;
    EXPECT_FLOAT_EQ(key.rotation[1], c.rotation) << c.time;
    EXPECT_FLOAT_EQ(key.alpha, c.alpha) << c.time;
    EXPECT_FLOAT_EQ(key.scale[2], c.scale) << c.time;
  }
}

TEST(QelTracks, FewKeysUnknownPartsAndOverflowingKeysGiveSafeValues) {
  QelTrackSet tracks;
  tracks.times = {0.0f, 4.0f};
  std::vector<QelKey> keys(2);
  keys[1].position[2] = 8.0f;
  tracks.parts["p"] = keys;
  EXPECT_FLOAT_EQ(tracks.evaluate("p", 1.0f).position[2], 2.0f) << "two keys are linear";
  tracks.times = {3.0f};
  tracks.parts["p"] = {keys[1]};
  EXPECT_FLOAT_EQ(tracks.evaluate("p", 0.0f).position[2], 8.0f) << "one key is constant";
  tracks.times.clear();
  EXPECT_FLOAT_EQ(tracks.evaluate("p", 1.0f).scale[0], 1.0f) << "no times: the default key";
  EXPECT_FLOAT_EQ(threeKeys().evaluate("missing", 0.5f).alpha, 1.0f);
  tracks = threeKeys();
  tracks.parts["short"] = std::vector<QelKey>(1);
  EXPECT_FLOAT_EQ(tracks.evaluate("short", 1.5f).alpha, 1.0f) << "keys 1 and 2 do not exist";

  // The parabola's middle term overflows between huge keys; the result stays finite.
  keys.assign(3, QelKey{});
  for (int k = 0; k < 3; ++k) keys[k].position[1] = k == 1 ? -3.0e38f : 3.0e38f;
  tracks.parts["huge"] = keys;
  EXPECT_TRUE(std::isfinite(tracks.evaluate("huge", 0.5f).position[1]));
}
