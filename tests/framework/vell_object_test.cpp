// The type registry: exact search by name, creation, type tests, record slots.
#include "framework/vell_object.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/vell_debug.h"
#include "framework/vell_file.h"

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

TEST(TypeRegistry, SearchIsExactAndCreatesTheNamedClass) {
  EXPECT_EQ(VellDTI::search("VellDebug"), &VellDebug::DTI);
  for (const char* other : {"velldebug", "VellFil", "VellFileStreamX", "NoSuchClass"}) {
    EXPECT_EQ(VellDTI::search(other), nullptr) << other;
  }
  std::unique_ptr<VellObject> root(VellDTI::search("VellObject")->create());
  ASSERT_TRUE(root);
  EXPECT_EQ(&root->getDTI(), &VellObject::DTI);
  const VellDTI* record = VellDTI::search("TestDerived");
  ASSERT_NE(record, nullptr);
  std::unique_ptr<VellObject> object(record->create());
  ASSERT_TRUE(object);
  EXPECT_TRUE(object->isKindOf("TestBase"));
  EXPECT_TRUE(object->isKindOf(VellObject::DTI));
  EXPECT_FALSE(object->isKindOf("VellDebug"));
  // Kind tests walk towards the root only.
  EXPECT_TRUE(TestDerived::DTI.isKindOf(TestBase::DTI));
  EXPECT_FALSE(TestBase::DTI.isKindOf(TestDerived::DTI));
  EXPECT_TRUE(VellFileStream::DTI.isKindOf("VellObject"));
  EXPECT_FALSE(VellFileStream::DTI.isKindOf("VellFile"));
}

TEST(TypeRegistry, EveryRecordHasItsOwnSlotUntilItIsDestroyed) {
  {
    VellDTI local("TestLocalRecord", &VellObject::DTI);
    EXPECT_EQ(local.create(), nullptr) << "a base record creates nothing";
    EXPECT_EQ(VellDTI::search("TestLocalRecord"), &local);
  }
  EXPECT_EQ(VellDTI::search("TestLocalRecord"), nullptr);
  // Records made one after another, wherever they live, never collide.
  std::vector<std::string> names;
  for (int i = 0; i < 64; ++i) names.push_back("TestSlot" + std::to_string(i));
  std::vector<std::unique_ptr<VellDTI>> records;
  for (const std::string& name : names) records.push_back(std::make_unique<VellDTI>(name.c_str(), nullptr));
  for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(VellDTI::search(names[i].c_str()), records[i].get());
}
