#include "devsim/devices_json_file.h"

#include <cstdio>
#include <fstream>
#include <system_error>
#include <vector>

namespace zt640::devsim {
namespace {

std::string Hex16(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof(text), "0x%04X", value);
  return text;
}

struct RowIds {
  int row;
  const UsbIdentity* ids;
};

}  // namespace

std::string DevicesJsonFile::Text(const DevsimConfig& config) {
  std::vector<RowIds> rows;
  const auto add_pair = [&rows](int first_row, const UsbIdentity& ids) {
    rows.push_back({first_row, &ids});      // command interface
    rows.push_back({first_row + 1, &ids});  // consumer-control interface
  };
  if (config.with_keyboard && config.with_receiver) add_pair(kKeyboardReceiverRow, config.receiver);
  if (config.with_mouse || config.with_mouse_receiver) add_pair(kMouseRow, config.mouse);
  if (config.with_mouse_receiver) add_pair(kMouseReceiverRow, config.mouse_receiver);
  if (config.with_pad) add_pair(kPadRow, config.pad);
  if (config.with_headset) rows.push_back({kHeadsetRow, &config.headset});

  std::string text = "{ \"Interfaces\": [";
  for (size_t i = 0; i < rows.size(); ++i) {
    text += i == 0 ? "\n" : ",\n";
    text += "    { \"Row\": " + std::to_string(rows[i].row) + ", \"VendorId\": \"" +
            Hex16(rows[i].ids->vendor) + "\", \"ProductId\": \"" + Hex16(rows[i].ids->product) +
            "\" }";
  }
  text += rows.empty() ? "] }\n" : " ] }\n";
  return text;
}

bool DevicesJsonFile::Write(const std::filesystem::path& path, const DevsimConfig& config,
                            std::string* error) {
  const auto fail = [error, &path](const std::string& why) {
    if (error) *error = path.string() + ": " + why;
    return false;
  };
  std::filesystem::path temporary = path;
  temporary += ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return fail("cannot write");
    out << Text(config);
    out.close();
    if (!out) return fail("cannot write");
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    std::filesystem::remove(temporary, ec);
    return fail("cannot replace");
  }
  return true;
}

}  // namespace zt640::devsim
