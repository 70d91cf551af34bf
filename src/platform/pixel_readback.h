// PixelReadback: reads the composed back buffer into a short ring of pixel buffer
// objects, so that the copy runs while the next frame is drawn and the pixels are
// taken a few frames later; without pixel buffer objects it reads at once. Main
// thread (the one holding the GL context).
#pragma once

#include <vector>

#include "framework/types.h"

namespace platform {

class PixelReadback {
 public:
  // Frames in flight before the oldest must be taken.
  static constexpr int RING_SIZE = 3;

  PixelReadback(int width, int height);
  ~PixelReadback();
  PixelReadback(const PixelReadback&) = delete;
  PixelReadback& operator=(const PixelReadback&) = delete;

  // Starts reading the back buffer (BGRA, bottom row first). When the ring is
  // full, first hands the oldest frame's pixels to `oldest` and returns true.
  bool read(std::vector<u8>& oldest);
  // Hands out the oldest frame still in flight; false when none is left.
  bool take(std::vector<u8>& oldest);
  bool usesBuffers() const { return !mBuffers.empty(); }
  // A buffer could not be mapped: the frame handed out for it is black.
  bool lostFrame() const { return mLostFrame; }

 private:
  void copyInto(int slot, std::vector<u8>& pixels);

  int mWidth;
  int mHeight;
  std::vector<unsigned> mBuffers;       // GL buffer names, RING_SIZE of them
  std::vector<std::vector<u8>> mDirect;  // the same ring in memory when there are no buffers
  int mFirst = 0;                        // slot of the oldest frame in flight
  int mInFlight = 0;
  bool mLostFrame = false;
};

}  // namespace platform
