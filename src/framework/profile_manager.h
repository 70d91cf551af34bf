// profileManager: the timing manager. It is built and torn down with the process
// and keeps a tree of timing nodes, but nothing in the engine records into it yet.
#pragma once

#include "framework/types.h"
#include "framework/vell_object.h"

class profileManager : public VellObject {
  VELL_CLASS(profileManager, VellObject)
 public:
  struct TimingNode {
    TimingNode* mpParent = nullptr;
    TimingNode* mpChild = nullptr;  // owned subtree
    TimingNode* mpNext = nullptr;   // owned sibling chain
    const char* mpName = "root";
    u32 mCounters[8] = {};
  };

  inline static profileManager* mpThis = nullptr;

  profileManager();
  ~profileManager() override;

  s64 getFrequency() const { return mFrequency; }
  const TimingNode& getRoot() const { return mRoot; }

 private:
  static void freeNode(TimingNode* pNode);

  TimingNode mRoot;
  s64 mFrequency = 0;
  TimingNode* mpCurrent = nullptr;  // borrowed: the root or a node it owns
};
