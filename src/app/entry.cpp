#include "app/entry.h"
int orvaneMain(int, char**) { return 0; }
