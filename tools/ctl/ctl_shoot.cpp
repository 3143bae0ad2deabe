// zt640ctl shoot: the mouse's recoil patterns, as the shoot panel edits them.
#include <cstdio>
#include <string>

#include "ctl_command.h"
#include "ctl_device_data.h"
#include "profiles/shoot_data.h"

namespace zt640::ctl {
namespace {

constexpr char kUsage[] =
    "shoot {show GUN BULLET|set GUN BULLET X Y DELAY [--left] [--up]|reset GUN|import GUN FILE|export GUN FILE} "
    "[--data-root DIR] [--defaults DIR]";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "zt640ctl shoot: %s\nusage: zt640ctl %s\n", problem.c_str(), kUsage);
  return 2;
}

size_t OperandCount(const std::string& action) {
  if (action == "show" || action == "import" || action == "export") return 2;
  if (action == "set") return 5;
  if (action == "reset") return 1;
  return 0;
}

void PrintBullet(const ShootData& shoot) {
  const BulletFields& fields = shoot.Fields();
  std::printf("gun %d bullet %d: x %s %s, y %s %s, delay %s ms\n", shoot.SelectedGun(), shoot.SelectedBullet(),
              fields.x_text.c_str(), fields.x_left ? "left" : "right", fields.y_text.c_str(),
              fields.y_up ? "up" : "down", fields.delay_text.c_str());
}

int RunShoot(const CtlArgs& args) {
  const CtlDataOptions options = ParseDataOptions(args, "mouse");
  if (!options.error.empty()) return Usage(options.error);
  if (options.device->kind != DeviceKind::kMouse) return Usage("recoil patterns belong to the mouse");
  if (options.words.empty()) return Usage("an action is needed");
  const std::string& action = options.words[0];
  if (OperandCount(action) == 0) return Usage("unknown action '" + action + "'");
  if (options.words.size() - 1 != OperandCount(action)) return Usage("wrong number of arguments for '" + action + "'");
  int gun = 0;
  if (!ParsePosition(options.words[1], ShootData::kGunCount, &gun)) return Usage("GUN is 0 to 3");
  int bullet = 0;
  if ((action == "show" || action == "set") && !ParsePosition(options.words[2], ShootData::kBulletCount, &bullet)) {
    return Usage("BULLET is 0 to 29");
  }
  const std::string folder = DeviceDataFolder(options);
  if (folder.empty()) {
    std::fprintf(stderr, "zt640ctl shoot: the device data folder cannot be created\n");
    return 1;
  }
  ShootData shoot;
  shoot.SetShootFolders(folder, options.folders.defaults);
  if (const int status = Report(options, "shoot", shoot.InitShootData()); status != 0) return status;
  shoot.SelectGun(gun);
  shoot.SelectBullet(bullet);

  if (action == "show") {
    PrintBullet(shoot);
    return 0;
  }
  PanelResult result;
  if (action == "set") {
    BulletFields& fields = shoot.Fields();
    fields.x_text = options.words[3];
    fields.y_text = options.words[4];
    fields.delay_text = options.words[5];
    fields.x_left = options.left;
    fields.y_up = options.up;
    result = shoot.SaveBullet();
    if (result.done()) PrintBullet(shoot);
  } else if (action == "reset") {
    result = shoot.ResetGun(gun);
  } else if (action == "import") {
    result = shoot.ImportGun(options.words[2]);
  } else {
    result = shoot.ExportGun(options.words[2]);
  }
  return Report(options, "shoot", result);
}

const CtlRegistration registration{{"shoot", kUsage, RunShoot}};

}  // namespace
}  // namespace zt640::ctl
