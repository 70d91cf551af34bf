// shaderManager: owns the one effect context, refuses a card without GLSL vertex and
// fragment programs, turns every runtime error into a fatal stop, keeps the registry
// of effect names and applies the passes of the current program. Main thread only.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "framework/types.h"
#include "framework/vell_object.h"
#include "fx/effect.h"

class IPassObserver;
class resShader;

class shaderManager : public VellObject {
  VELL_CLASS(shaderManager, VellObject)
 public:
  inline static shaderManager* mpThis = nullptr;

  shaderManager();
  ~shaderManager() override;

  // Makes the effect context for the current GL context. Called once at start-up; a
  // later call first destroys the old context, so its GL context must still be current.
  void initialize();
  // Destroys the context, its effects and the name registry, which names them;
  // called at shutdown while the GL context is still current.
  void destroyContext();
  fx::Context* getContext() const { return mContext.get(); }

  // Refuses a second effect with the same name (file name without folder and extension).
  void registerShader(resShader* pShader);
  // Forgets a destroyed effect: its name may be loaded again, and it stops being
  // the current program.
  void unregisterShader(resShader* pShader);

  void setPass(u32 index);
  void resetPass(u32 index);
  // Told of every pass from its set to its reset (null: nobody); a pass set
  // again before its reset is still one pass.
  void setPassObserver(IPassObserver* pObserver) { mpPassObserver = pObserver; }
  // The current program for a parameter or a pass; none current is a broken
  // call, a fatal stop.
  resShader* checkedCurrentProgram() const;

  // The registered effects by name (read by tests; only refuses duplicates here).
  const std::map<std::string, resShader*>& getShaderMap() const { return mShaderMap; }

  // Our drawing code assigns it only through CurrentEffect, which puts the previous one back.
  resShader* mpCurrentProgram = nullptr;  // borrowed

 private:
  std::unique_ptr<fx::Context> mContext;
  std::map<std::string, resShader*> mShaderMap;  // borrowed
  IPassObserver* mpPassObserver = nullptr;        // borrowed
  bool mPassObserved = false;                     // a pass told to it has not ended

  u32 getPassNum() const;
  fx::Pass* checkedPass(u32 index) const;
  void stopOnRuntimeError() const;
  static void onError();
};
