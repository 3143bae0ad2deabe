#pragma once

#include <cstdint>
#include <string>

#include "updateclient/http_exchange.h"
#include "updateclient/update_result.h"

namespace zt640 {

namespace platform {
class RegistryStore;
}

/// The environment variable that names the service's base address.
inline constexpr const char* kUpdateUrlVariable = "ZT640_UPDATE_URL";
/// The settings-store value (under the product's key) that names it.
inline constexpr const char* kUpdateUrlValueName = "UpdateURL";

/// Where the base address came from.
enum class UpdateUrlSource { kEnvironment, kSettings, kBuiltIn };

struct UpdateUrlChoice {
  std::string base_url;  ///< always ends in "/"
  UpdateUrlSource source = UpdateUrlSource::kBuiltIn;
};

/// The service's base address: $ZT640_UPDATE_URL when set and not empty, else the
/// "UpdateURL" text under "SOFTWARE\<product title>" in `store`, else the built-in
/// address. A "/" is added when the address does not end in one.
[[nodiscard]] UpdateUrlChoice ResolveUpdateBaseUrl(const platform::RegistryStore& store);

/// What a client talks to and how long it waits.
struct UpdateClientSettings {
  std::string base_url;  ///< requests go to base_url + "updates"
  ExchangeTimeouts timeouts;
};

/// Asks the update service about one target at a time. Holds no connection
/// between queries; one client may be used from one thread at a time.
class UpdateClient {
 public:
  explicit UpdateClient(UpdateClientSettings settings);

  /// POSTs "app_key=KEY&version=V" (V hexadecimal for a firmware format, decimal
  /// for the application) to base_url + "updates" and reads the reply
  /// (ParseUpdateReply). When nothing was read the result's name is the
  /// exchange's body: "NO_LINK_SERVER" when the service could not be reached,
  /// else empty; status and versions stay unset and the fault says why.
  /// `cancelled`, when given, can end the exchange early (fault kCancelled).
  [[nodiscard]] UpdateResult QueryUpdate(const std::string& key, uint32_t current_version, uint32_t version_format,
                                         const ExchangeCancel& cancelled = {}) const;

  [[nodiscard]] const UpdateClientSettings& settings() const { return settings_; }

 private:
  UpdateClientSettings settings_;
};

}  // namespace zt640
