// Where the checkout lives; the path is compiled into this file alone.
#include "support/source_dir.h"

const char* orvaneSourceDir() { return ORVANE_SOURCE_DIR; }
