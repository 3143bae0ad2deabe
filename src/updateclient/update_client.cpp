#include "updateclient/update_client.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/paths/product_title.h"
#include "platform/settings/registry_store.h"
#include "updateclient/update_catalogue.h"
#include "updateclient/update_reply.h"

namespace zt640 {

namespace {

std::string WithTrailingSlash(std::string url) {
  if (url.empty() || url.back() != '/') url += '/';
  return url;
}

UpdateFault FaultOf(ExchangeOutcome outcome) {
  switch (outcome) {
    case ExchangeOutcome::kReplied:
      return UpdateFault::kNone;
    case ExchangeOutcome::kNotSent:
      return UpdateFault::kNoService;
    case ExchangeOutcome::kTimedOut:
      return UpdateFault::kTimedOut;
    case ExchangeOutcome::kBroken:
      return UpdateFault::kBrokenReply;
    case ExchangeOutcome::kTooLarge:
      return UpdateFault::kTooLarge;
    case ExchangeOutcome::kUnusable:
      return UpdateFault::kRefusedAddress;
    case ExchangeOutcome::kCancelled:
      return UpdateFault::kCancelled;
  }
  return UpdateFault::kNoService;
}

}  // namespace

UpdateUrlChoice ResolveUpdateBaseUrl(const platform::RegistryStore& store) {
  const char* variable = std::getenv(kUpdateUrlVariable);
  if (variable != nullptr && *variable != '\0') return {WithTrailingSlash(variable), UpdateUrlSource::kEnvironment};
  const std::string key = "SOFTWARE\\" + std::string(platform::kProductTitle);
  const auto stored = store.ReadString(key, kUpdateUrlValueName);
  if (stored && !stored->empty()) return {WithTrailingSlash(*stored), UpdateUrlSource::kSettings};
  return {WithTrailingSlash(ZT640_DEFAULT_UPDATE_URL), UpdateUrlSource::kBuiltIn};
}

UpdateClient::UpdateClient(UpdateClientSettings settings) : settings_(std::move(settings)) {}

UpdateResult UpdateClient::QueryUpdate(const std::string& key, uint32_t current_version, uint32_t version_format,
                                       const ExchangeCancel& cancelled) const {
  const std::string address = settings_.base_url + "updates";
  char version[16];
  if (version_format == kApplicationVersionFormat) {
    std::snprintf(version, sizeof version, "%d", static_cast<int32_t>(current_version));
  } else {
    std::snprintf(version, sizeof version, "%x", current_version);
  }
  const std::string body = "app_key=" + key + "&version=" + version;

  UpdateResult result;
  ExchangeReply reply;
  const long bytes = HttpExchange("POST", address, body, settings_.timeouts, reply, cancelled);
  result.fault = FaultOf(reply.outcome);
  if (bytes <= 0) {
    result.name = reply.body;
    if (result.fault == UpdateFault::kNone) result.fault = UpdateFault::kNotJson;  // an empty reply
    return result;
  }
  ParseUpdateReply(reply.body, current_version, version_format, result);
  return result;
}

}  // namespace zt640
