// The root class VellObject and the runtime type record VellDTI: every framework
// class registers one record by name before main() runs, so objects can be found,
// created and type-tested by class name. Main thread only after start-up.
#pragma once

#include "framework/types.h"

class VellObject;

class VellDTI {
 public:
  static constexpr int HASH_SIZE = 4096;

  // Registers the record; pName must outlive it (it is not copied).
  VellDTI(const char* pName, const VellDTI* pParent);
  virtual ~VellDTI();
  VellDTI(const VellDTI&) = delete;
  VellDTI& operator=(const VellDTI&) = delete;

  // A new instance of the record's class, or null; the base record makes none.
  virtual VellObject* create() const;

  // The registered record whose name equals pName exactly, or null.
  static const VellDTI* search(const char* pName);

  bool isKindOf(const char* pName) const;
  bool isKindOf(const VellDTI& dti) const;

  const char* getName() const { return mpName; }
  const VellDTI* getParent() const { return mpParent; }

 private:
  const char* mpName;
  const VellDTI* mpParent;
  int mSlot;

  static VellDTI* mDtiHash[HASH_SIZE];
};

// Declares a registered class: its nested ThisDTI, the static record DTI and the
// three type operations. One line at the top of the class body; leaves the body
// in private access.
#define VELL_CLASS(ClassName, ParentName)                                          \
 public:                                                                           \
  class ThisDTI : public VellDTI {                                                 \
   public:                                                                         \
    using VellDTI::VellDTI;                                                        \
    VellObject* create() const override { return new ClassName; }                  \
  };                                                                               \
  inline static ThisDTI DTI{#ClassName, &ParentName::DTI};                         \
  const VellDTI& getDTI() const override { return DTI; }                           \
  bool isKindOf(const char* pName) const override { return DTI.isKindOf(pName); }  \
  bool isKindOf(const VellDTI& dti) const override { return DTI.isKindOf(dti); }   \
                                                                                   \
 private:

class VellObject {
 public:
  class ThisDTI : public VellDTI {
   public:
    using VellDTI::VellDTI;
    VellObject* create() const override { return new VellObject; }
  };
  static ThisDTI DTI;

  // Virtual so that an object made through a record's create() can be deleted
  // through the VellObject pointer that create() returned.
  virtual ~VellObject() = default;

  virtual const VellDTI& getDTI() const { return DTI; }
  virtual bool isKindOf(const char* pName) const { return DTI.isKindOf(pName); }
  virtual bool isKindOf(const VellDTI& dti) const { return DTI.isKindOf(dti); }
  virtual void reserved(u32) {}
};
