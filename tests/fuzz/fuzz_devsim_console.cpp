// Arbitrary lines into the simulator's command-line and standard-input parsers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "devsim/console_command.h"
#include "devsim/devsim_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  (void)zt640::devsim::ConsoleCommand::Parse(text, &error);

  std::vector<std::string_view> args;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\0') {
      args.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  (void)zt640::devsim::DevsimOptions::Parse(args);
  return 0;
}
