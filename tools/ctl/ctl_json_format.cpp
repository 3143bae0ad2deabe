// zt640ctl json-format FILE...: rewrites JSON files in the system's own layout.
#include <cstdio>
#include <optional>

#include "ctl_command.h"
#include "profiles/global_utils.h"

namespace zt640::ctl {

namespace {

/// Formats one file; prints why and returns false when it is left untouched.
bool FormatFile(const std::string& path) {
  const std::string text = CGlobalUtils::readjsonFile(path);
  if (text.empty()) {
    std::fprintf(stderr, "zt640ctl json-format: %s: empty or unreadable, left unchanged\n", path.c_str());
    return false;
  }
  const std::optional<Json::Value> document = CGlobalUtils::ParseJsonText(text);
  if (!document) {
    std::fprintf(stderr, "zt640ctl json-format: %s: not valid JSON, left unchanged\n", path.c_str());
    return false;
  }
  if (!CGlobalUtils::WriteJsonFile(path, *document)) {
    std::fprintf(stderr, "zt640ctl json-format: %s: cannot be written, left unchanged\n", path.c_str());
    return false;
  }
  return true;
}

int RunJsonFormat(const CtlArgs& args) {
  if (args.words.empty()) {
    std::fprintf(stderr, "usage: zt640ctl json-format FILE...\n");
    return 2;
  }
  bool all_formatted = true;
  for (const std::string& path : args.words) all_formatted = FormatFile(path) && all_formatted;
  return all_formatted ? 0 : 1;
}

const CtlRegistration registration{
    {"json-format", "json-format FILE...   rewrite JSON files the way the utility writes them", &RunJsonFormat}};

}  // namespace

}  // namespace zt640::ctl
