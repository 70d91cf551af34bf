// CurrentEffect: makes an effect the shader manager's current program for one
// scope and puts back whichever was current before, so no drawer leaves its
// effect behind for the next one to inherit. Main thread.
#pragma once

class resShader;

class CurrentEffect {
 public:
  // A null effect is fatal, as making one current by hand would be.
  explicit CurrentEffect(resShader* pShader);
  ~CurrentEffect();
  CurrentEffect(const CurrentEffect&) = delete;
  CurrentEffect& operator=(const CurrentEffect&) = delete;

 private:
  resShader* mpPrevious;  // borrowed
};
