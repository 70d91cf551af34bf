// Process entry: hands the command line and the places to look for the show's
// data to the application shell.
#include <filesystem>
#include <system_error>

#include "app/entry.h"
#include "platform/program_folder.h"

#ifndef ORVANE_INSTALLED_DATA_FOLDER
#define ORVANE_INSTALLED_DATA_FOLDER ""
#endif

int main(int argc, char** argv) {
  std::error_code ignored;
  return orvaneMain(argc, argv,
                    ProgramPlaces{platform::programFolder(), ORVANE_INSTALLED_DATA_FOLDER,
                                  std::filesystem::current_path(ignored)});
}
