// The program's entry in a test's child process.
#include "support/run_program.h"

#include <unistd.h>

#include <cstdlib>

void runProgramIn(const std::filesystem::path& folder, std::vector<std::string> arguments,
                  const ProgramPlaces& places) {
  if (chdir(folder.c_str()) != 0) std::exit(100);
  arguments.insert(arguments.begin(), "orvane");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::exit(orvaneMain(static_cast<int>(arguments.size()), argv.data(), places));
}
