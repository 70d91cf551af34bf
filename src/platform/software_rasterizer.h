// Keeps Mesa's software rasterizer (llvmpipe) on the thread that draws, for the
// runs that must not meet the race in its threaded rasterizer. Main thread, before
// the first GL context. Does not: touch hardware drivers, which never read it.
#pragma once

namespace platform {

// llvmpipe in Mesa 22.3 (Debian 12) recycles a finished scene after an unlocked
// look at its fence's count (lp_setup_get_empty_scene, lp_fence_signalled) and
// frees the fence while the rasterizer thread that just counted is still inside
// cnd_broadcast and mtx_unlock on it: a write into freed heap memory, seen later
// as malloc's "corrupted unsorted chunks" or a crash in the next allocation. With
// no rasterizer threads the drawing thread signals its own fences. A choice the
// user made in LP_NUM_THREADS is kept.
void keepSoftwareRasterizerOnDrawingThread();

}  // namespace platform
