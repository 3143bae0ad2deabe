#include "updateclient/update_result.h"

namespace zt640 {

const char* UpdateFaultText(UpdateFault fault) {
  switch (fault) {
    case UpdateFault::kNone:
      return "";
    case UpdateFault::kNoService:
      return "the update service could not be reached";
    case UpdateFault::kTimedOut:
      return "the update service did not answer in time";
    case UpdateFault::kBrokenReply:
      return "the connection to the update service broke off during the reply";
    case UpdateFault::kTooLarge:
      return "the update service's reply is larger than 102400 bytes and was discarded";
    case UpdateFault::kRefusedAddress:
      return "the update service address is refused (https only; plain http only to this computer)";
    case UpdateFault::kNotJson:
      return "the update service's reply is not a JSON object";
    case UpdateFault::kWrongType:
      return "the update service's reply has a member of the wrong type";
    case UpdateFault::kInsecurePath:
      return "the update service named a download address that is not https; it is ignored";
    case UpdateFault::kCancelled:
      return "the update check was stopped";
  }
  return "";
}

}  // namespace zt640
