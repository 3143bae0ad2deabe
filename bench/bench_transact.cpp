// Command exchanges against the simulator over its socket nodes, beside the
// floor: a bare write-plus-read round trip on the same kind of socket.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "devsim/devsim_server.h"
#include "transport/command_channel.h"
#include "transport/device_path.h"

namespace {

using zt640::CommandChannel;
using zt640::CommandCode;
using zt640::CommandPacket;
using zt640::HidDevice;

/// One simulator with keyboard and receiver under a temporary root, shared by
/// every benchmark of the run.
class Simulator {
 public:
  static Simulator& Get() {
    static Simulator simulator;
    return simulator;
  }

  std::string InterfacePath(uint16_t product) {
    HidDevice enumerator;
    if (enumerator.EnumerateInterfaces() != 1) return {};
    while (auto path = enumerator.NextInterfacePath()) {
      const std::string candidate(*path);
      if (zt640::DevicePath::ParsePid(candidate) == product &&
          zt640::DevicePath::ParseInterfaceNumber(candidate) == 1 &&
          zt640::DevicePath::ParseCollectionNumber(candidate) == 4) {
        return candidate;
      }
    }
    return {};
  }

  std::string KeyboardNode() { return server_->NodePath(zt640::devsim::SimDeviceId::kKeyboard, 1); }

 private:
  Simulator() {
    char templ[] = "/tmp/zt640-bench-XXXXXX";
    root_ = mkdtemp(templ);
    zt640::devsim::DevsimConfig config;
    config.root = root_;
    config.with_receiver = true;
    server_ = std::make_unique<zt640::devsim::DevsimServer>(config);
    std::string error;
    if (!server_->Start(&error)) std::fprintf(stderr, "simulator: %s\n", error.c_str());
    setenv("ZT640_HID_ROOT", root_.c_str(), 1);
  }
  ~Simulator() {
    server_->Stop();
    std::filesystem::remove_all(root_);
  }

  std::string root_;
  std::unique_ptr<zt640::devsim::DevsimServer> server_;
};

bool OpenChannel(CommandChannel& channel, bool receiver) {
  Simulator& sim = Simulator::Get();
  const std::string path = sim.InterfacePath(receiver ? 0x5089 : 0x505B);
  HidDevice& hid = receiver ? channel.receiver_interface() : channel.wired_interface();
  if (path.empty() || hid.Open(path, true, true, true, false) != 1) return false;
  channel.SetConnectionType(receiver ? zt640::kConnectionReceiver : zt640::kConnectionWired);
  channel.set_open(true);
  return true;
}

void BM_BareSocketRoundTrip(benchmark::State& state) {
  const std::string node = Simulator::Get().KeyboardNode();
  const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, node.c_str(), sizeof(address.sun_path) - 1);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    state.SkipWithError("cannot connect to the simulator's node");
    close(fd);
    return;
  }
  const auto request = CommandPacket::Request(CommandCode::kBeginConfig);
  uint8_t reply[64];
  for (auto _ : state) {
    if (write(fd, request.bytes.data(), request.bytes.size()) != 64) {
      state.SkipWithError("write failed");
      break;
    }
    // The keyboard's node carries several collections; wait for the vendor reply.
    ssize_t n;
    do {
      n = read(fd, reply, sizeof reply);
    } while (n > 0 && reply[0] != 0x04);
    benchmark::DoNotOptimize(n);
  }
  close(fd);
  state.counters["exchanges_per_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BareSocketRoundTrip)->UseRealTime();

void BM_TransactSinglePacket(benchmark::State& state) {
  CommandChannel channel;
  if (!OpenChannel(channel, false)) {
    state.SkipWithError("keyboard interface not found");
    return;
  }
  const auto request = CommandPacket::Request(CommandCode::kBeginConfig);
  uint8_t reply[64];
  uint32_t read = 0;
  for (auto _ : state) {
    if (channel.Transact(request.bytes.data(), request.bytes.size(), reply, sizeof reply,
                              &read) != 1) {
      state.SkipWithError("exchange failed");
      break;
    }
  }
  state.counters["exchanges_per_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TransactSinglePacket)->UseRealTime();

void BM_ChunkedWrite378(benchmark::State& state) {
  const bool receiver = state.range(0) != 0;
  CommandChannel channel;
  if (!OpenChannel(channel, receiver)) {
    state.SkipWithError("interface not found");
    return;
  }
  std::vector<uint8_t> colours(378, 0x40);
  for (auto _ : state) {
    if (channel.WriteLightMemory(0, colours) != 1) {
      state.SkipWithError("light memory write failed");
      break;
    }
  }
  state.SetLabel(receiver ? "receiver, 16 packets" : "wired, 7 packets");
}
BENCHMARK(BM_ChunkedWrite378)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
