// The type-record registry: 4096 slots, filled during static initialisation.
// Slots are handed out in registration order, so every record gets its own slot
// whatever the build's memory layout; the conflict check still guards the table.
#include "framework/vell_object.h"

#include <cstring>

#include "framework/critical_check.h"

// Constant-initialised (zero) before any dynamic initialiser runs, so records
// may register from any compilation unit in any order.
VellDTI* VellDTI::mDtiHash[VellDTI::HASH_SIZE] = {};

namespace {
constinit int gNextSlot = 0;
}

VellObject::ThisDTI VellObject::DTI{"VellObject", nullptr};

VellDTI::VellDTI(const char* pName, const VellDTI* pParent) {
  CRITICAL_CHECK(pName, "name can't be null");
  CRITICAL_CHECK(pName[0], "name can't be empty");
  mpParent = pParent;
  mpName = pName;
  const int hash = gNextSlot % HASH_SIZE;
  gNextSlot = hash + 1;
  mSlot = hash;
  CRITICAL_CHECK(!mDtiHash[hash], "DTI hash conflict");
  mDtiHash[hash] = this;
}

VellDTI::~VellDTI() { mDtiHash[mSlot] = nullptr; }

VellObject* VellDTI::create() const { return nullptr; }

const VellDTI* VellDTI::search(const char* pName) {
  CRITICAL_CHECK(pName, "Search string can't be NULL.");
  CRITICAL_CHECK(pName[0], "Search string can't be empty");
  for (const VellDTI* record : mDtiHash) {
    if (record && std::strcmp(record->mpName, pName) == 0) {
      return record;
    }
  }
  return nullptr;
}

bool VellDTI::isKindOf(const char* pName) const {
  CRITICAL_CHECK(pName, "Search string can't be NULL.");
  CRITICAL_CHECK(pName[0], "Search string can't be empty");
  for (const VellDTI* record = this; record; record = record->mpParent) {
    if (std::strcmp(record->mpName, pName) == 0) {
      return true;
    }
  }
  return false;
}

bool VellDTI::isKindOf(const VellDTI& dti) const { return isKindOf(dti.mpName); }
