// finishGl: waits until every GL command issued so far has run, so that a bench
// can charge queued GL work to the piece of the frame that made it. Main thread.
#pragma once

namespace platform {

void finishGl();

}  // namespace platform
