#pragma once

namespace zt640 {

/// Result codes of every framed exchange and command function. Callers treat
/// every code other than kSuccess alike: the sequence stops.
struct CommandResult {
  static constexpr int kSuccess = 1;
  /// Channel not open, the reply read failed or timed out, or no reply echoed
  /// the request.
  static constexpr int kFailed = 0;
  static constexpr int kWriteFailed = -1;
  /// Through the receiver: the receiver answered 0xAA in place of the device.
  static constexpr int kReceiverNoDevice = -101;
  /// The reply's status byte was 0xFF: the device rejects the request.
  static constexpr int kRejected = -102;
  /// The reply's status byte was 0xFE: the device refuses the request for now.
  static constexpr int kRefusedForNow = -103;
  /// A key-table layer other than 0 was asked for.
  static constexpr int kBadLayer = -201;
};

}  // namespace zt640
