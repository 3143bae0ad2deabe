#include "audio/capture_program.h"

#include <unistd.h>

#include <QProcess>
#include <QString>
#include <QStringList>

namespace zt640 {

namespace {
bool IsExecutable(const std::string& path) { return !path.empty() && ::access(path.c_str(), X_OK) == 0; }
}  // namespace

std::string CaptureProgram::Locate(const std::string& program_folder) {
  if (program_folder.empty()) return {};
  const std::string beside = program_folder + "/" + kProgramName;
  if (IsExecutable(beside)) return beside;
  const std::string installed = program_folder + "/../lib/zt640/" + kProgramName;
  if (IsExecutable(installed)) return installed;
  return {};
}

bool CaptureProgram::Start(const std::string& path) {
  if (path.empty()) return false;
  return QProcess::startDetached(QString::fromStdString(path), QStringList());
}

}  // namespace zt640
