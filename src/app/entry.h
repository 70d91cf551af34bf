// The program's life: options, capability probe, dialog, window, services, the
// main loop and the shutdown order. Returns the process exit status.
#pragma once

int orvaneMain(int argc, char** argv);
