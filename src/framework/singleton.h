// Singleton<T>: the application's process-wide objects (demo manager, setup dialog)
// register themselves on construction and clear the pointer on destruction.
// Unlike the framework managers they have no type record.
#pragma once

#include "framework/critical_check.h"

template <class T>
class Singleton {
 public:
  // The instance once its constructor has finished; null before and after.
  static T* getInstance() { return static_cast<T*>(mpInstance); }

 protected:
  Singleton() {
    CRITICAL_CHECK(!mpInstance, "one instance at a time");
    mpInstance = this;
  }
  virtual ~Singleton() {
    CRITICAL_CHECK(mpInstance, "instance already gone");
    mpInstance = nullptr;
  }

 private:
  inline static Singleton* mpInstance = nullptr;
};
