// Process entry: hands the command line to the application shell.
#include "app/entry.h"

int main(int argc, char** argv) { return orvaneMain(argc, argv); }
