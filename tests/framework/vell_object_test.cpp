// The type registry: exact search by name, creation, type tests, manager singletons.
#include "framework/vell_object.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/critical_check.h"
#include "framework/profile_manager.h"
#include "framework/vell_debug.h"
#include "framework/vell_file.h"
#include "support/fatal_text.h"

namespace {
class TestBase : public VellObject {
  VELL_CLASS(TestBase, VellObject)
 public:
  ~TestBase() override = default;
};
class TestDerived : public TestBase {
  VELL_CLASS(TestDerived, TestBase)
 public:
  ~TestDerived() override = default;
};
}  // namespace

TEST(TypeRegistry, SearchFindsRootAndItsCreateMakesPlainObject) {
  const VellDTI* record = VellDTI::search("VellObject");
  ASSERT_EQ(record, &VellObject::DTI);
  std::unique_ptr<VellObject> object(record->create());
  ASSERT_TRUE(object);
  EXPECT_EQ(&object->getDTI(), &VellObject::DTI);
}

TEST(TypeRegistry, SearchIsExactAndCaseSensitive) {
  EXPECT_EQ(VellDTI::search("VellDebug"), &VellDebug::DTI);
  EXPECT_EQ(VellDTI::search("velldebug"), nullptr);
  EXPECT_EQ(VellDTI::search("VellFil"), nullptr);  // a prefix of two names
  EXPECT_EQ(VellDTI::search("VellFileStreamX"), nullptr);
  EXPECT_EQ(VellDTI::search("NoSuchClass"), nullptr);
}

TEST(TypeRegistry, CreateByNameMakesTheNamedClass) {
  const VellDTI* record = VellDTI::search("TestDerived");
  ASSERT_NE(record, nullptr);
  std::unique_ptr<VellObject> object(record->create());
  ASSERT_TRUE(object);
  EXPECT_TRUE(object->isKindOf("TestBase"));
  EXPECT_TRUE(object->isKindOf(VellObject::DTI));
  EXPECT_FALSE(object->isKindOf("VellDebug"));
}

TEST(TypeRegistry, KindTestsWalkTowardsTheRootOnly) {
  EXPECT_TRUE(TestDerived::DTI.isKindOf(TestBase::DTI));
  EXPECT_FALSE(TestBase::DTI.isKindOf(TestDerived::DTI));
  EXPECT_TRUE(VellFileStream::DTI.isKindOf("VellObject"));
  EXPECT_FALSE(VellFileStream::DTI.isKindOf("VellFile"));
  VellFileStream stream;
  EXPECT_TRUE(stream.isKindOf(VellObject::DTI));
  EXPECT_FALSE(stream.isKindOf(VellFile::DTI));
}

TEST(TypeRegistry, BaseRecordCreatesNothingAndDestroyingEmptiesItsSlot) {
  {
    VellDTI local("TestLocalRecord", &VellObject::DTI);
    EXPECT_EQ(local.create(), nullptr);
    EXPECT_EQ(VellDTI::search("TestLocalRecord"), &local);
  }
  EXPECT_EQ(VellDTI::search("TestLocalRecord"), nullptr);
}

TEST(TypeRegistry, EveryRecordHasItsOwnSlot) {
  // Records made one after another, wherever they live, never collide.
  std::vector<std::unique_ptr<VellDTI>> records;
  std::vector<std::string> names;
  for (int i = 0; i < 64; ++i) names.push_back("TestSlot" + std::to_string(i));
  for (const std::string& name : names) records.push_back(std::make_unique<VellDTI>(name.c_str(), nullptr));
  for (const std::string& name : names) EXPECT_NE(VellDTI::search(name.c_str()), nullptr) << name;
}

TEST(TypeRegistryDeath, EmptyOrNullNamesAreFatal) {
  EXPECT_EXIT(VellDTI::search(""), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[pName[0] + \"Search string can't be empty\"]"));
  EXPECT_EXIT(VellDTI::search(nullptr), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[pName + \"Search string can't be NULL.\"]"));
  EXPECT_EXIT(VellObject::DTI.isKindOf(""), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[pName[0] + \"Search string can't be empty\"]"));
  EXPECT_EXIT(VellDTI("", nullptr), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[pName[0] + \"name can't be empty\"]"));
  EXPECT_EXIT(VellDTI(nullptr, nullptr), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[pName + \"name can't be null\"]"));
}

TEST(TypeRegistryDeath, FullTableReportsConflict) {
  EXPECT_EXIT(
      {
        for (int i = 0; i <= VellDTI::HASH_SIZE; ++i) new VellDTI("TestFlood", nullptr);
      },
      testing::ExitedWithCode(vell::kFatalExitStatus),
      literalPattern("Critical error:[!mDtiHash[hash] + \"DTI hash conflict\"]"));
}

TEST(ManagerSingleton, StaticInstanceIsRegistered) {
  ASSERT_NE(profileManager::mpThis, nullptr);
  EXPECT_STREQ(profileManager::mpThis->getRoot().mpName, "root");
  EXPECT_GT(profileManager::mpThis->getFrequency(), 0);
}

TEST(ManagerSingletonDeath, SecondManagerThroughItsRecordIsFatal) {
  EXPECT_EXIT(profileManager::DTI.create(), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[!mpThis + \"\"]"));
  EXPECT_NE(profileManager::mpThis, nullptr);
}
