#include "profiles/global_utils.h"

#include <dirent.h>
#include <fcntl.h>
#include <json/reader.h>
#include <json/writer.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "platform/diag/debug_output.h"
#include "profiles/damaged_files.h"

namespace zt640 {

namespace {

// The four hex digits at text[pos..pos+4) as a number, or -1.
int32_t HexQuad(std::string_view text, size_t pos) {
  if (pos + 4 > text.size()) return -1;
  int32_t value = 0;
  for (size_t i = pos; i < pos + 4; ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return -1;
    value = value * 16 + digit;
  }
  return value;
}

// The styled writer escapes every non-ASCII character as \uXXXX; profile,
// macro and list files keep their text as UTF-8, readable in an editor.
// Turns those escapes back into UTF-8 inside string literals, leaving the
// escapes of control characters, quotes and backslashes, and comments, as
// they are.
std::string KeepUtf8Text(std::string_view styled) {
  enum class State { kCode, kString, kLineComment, kBlockComment } state = State::kCode;
  std::string out;
  out.reserve(styled.size());
  for (size_t i = 0; i < styled.size(); ++i) {
    const char c = styled[i];
    const char next = i + 1 < styled.size() ? styled[i + 1] : '\0';
    switch (state) {
      case State::kCode:
        if (c == '"') state = State::kString;
        else if (c == '/' && next == '/') state = State::kLineComment;
        else if (c == '/' && next == '*') state = State::kBlockComment;
        out.push_back(c);
        break;
      case State::kLineComment:
        if (c == '\n') state = State::kCode;
        out.push_back(c);
        break;
      case State::kBlockComment:
        if (c == '*' && next == '/') {
          out += "*/";
          ++i;
          state = State::kCode;
        } else {
          out.push_back(c);
        }
        break;
      case State::kString:
        if (c == '"') {
          state = State::kCode;
          out.push_back(c);
        } else if (c != '\\') {
          out.push_back(c);
        } else if (next != 'u') {
          out.push_back(c);
          if (i + 1 < styled.size()) out.push_back(styled[++i]);
        } else {
          const int32_t unit = HexQuad(styled, i + 2);
          if (unit >= 0xD800 && unit <= 0xDBFF && i + 11 < styled.size() &&
              styled[i + 6] == '\\' && styled[i + 7] == 'u') {
            const int32_t low = HexQuad(styled, i + 8);
            if (low >= 0xDC00 && low <= 0xDFFF) {
              CGlobalUtils::AppendUtf8(out, 0x10000 + ((static_cast<uint32_t>(unit) - 0xD800) << 10) +
                                  (static_cast<uint32_t>(low) - 0xDC00));
              i += 11;
              break;
            }
          }
          if (unit >= 0x80 && (unit < 0xD800 || unit > 0xDFFF)) {
            CGlobalUtils::AppendUtf8(out, static_cast<uint32_t>(unit));
            i += 5;
          } else {
            out.push_back(c);  // control characters and lone surrogates stay escaped
          }
        }
        break;
    }
  }
  return out;
}

/// Larger files are not taken for JSON documents of this system; reading them
/// whole would only exhaust memory.
constexpr off_t kMaxJsonFileBytes = 64 * 1024 * 1024;

std::string FormatTrace(const char* format, int value) {
  char line[128];
  std::snprintf(line, sizeof line, format, value);
  return line;
}

/// Closes a descriptor on scope exit unless released.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  [[nodiscard]] int get() const { return fd_; }
  /// Closes now and reports whether the close succeeded.
  [[nodiscard]] bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

/// The file a write should replace: the target of a symbolic link, so the
/// link itself survives the rename.
std::filesystem::path ReplacementTarget(const std::string& path) {
  std::error_code error;
  const std::filesystem::path given(path);
  if (std::filesystem::is_symlink(given, error)) {
    std::filesystem::path resolved = std::filesystem::weakly_canonical(given, error);
    if (!error) return resolved;
  }
  return given;
}

/// Name of the temporary file a save of `file_name` by process `pid` uses.
std::string TemporaryName(const std::string& file_name, long pid, unsigned serial) {
  return "." + file_name + ".tmp" + std::to_string(pid) + "_" + std::to_string(serial);
}

/// The process id in a temporary file name of a save of `file_name`
/// (".NAME.tmpPID_N"); -1 when `entry` is no such name.
long TemporaryOwner(std::string_view entry, const std::string& file_name) {
  const std::string prefix = "." + file_name + ".tmp";
  if (entry.substr(0, prefix.size()) != prefix) return -1;
  entry.remove_prefix(prefix.size());
  const size_t separator = entry.find('_');
  if (separator == 0 || separator == std::string_view::npos || separator > 9 || separator + 1 == entry.size()) {
    return -1;
  }
  long pid = 0;
  for (size_t i = 0; i < entry.size(); ++i) {
    const char c = entry[i];
    if (i == separator) continue;
    if (c < '0' || c > '9') return -1;
    if (i < separator) pid = pid * 10 + (c - '0');
  }
  return pid;
}

/// Removes the temporary files that saves of `file_name` in `folder` left
/// when their process was killed. Files of processes still running may be
/// saves in progress and stay.
void RemoveStaleTemporaries(const std::filesystem::path& folder, const std::string& file_name) {
  DIR* directory = ::opendir(folder.c_str());
  if (directory == nullptr) return;
  const long own = ::getpid();
  while (const dirent* entry = ::readdir(directory)) {
    const long pid = TemporaryOwner(entry->d_name, file_name);
    if (pid <= 0 || pid == own) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    const std::filesystem::path stale = folder / entry->d_name;
    if (::unlink(stale.c_str()) == 0) platform::DebugOutput("stale temporary file removed: " + stale.string());
  }
  ::closedir(directory);
}

/// True when the path names a regular file holding at least one byte.
bool HasContent(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

}  // namespace

std::string CGlobalUtils::readjsonFile(const std::string& path) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  const int open_error = file.get() < 0 ? errno : 0;
  platform::DebugOutput(FormatTrace("readjsonFile 错误吗：：%d", open_error));
  if (file.get() < 0) return {};
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxJsonFileBytes) {
    return {};
  }
  std::string bytes(static_cast<size_t>(info.st_size), '\0');
  size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    filled += static_cast<size_t>(got);
  }
  if (filled < bytes.size()) return {};
  const size_t zero = bytes.find('\0');
  if (zero != std::string::npos) bytes.resize(zero);
  return bytes;
}

std::optional<Json::Value> CGlobalUtils::ParseJsonText(std::string_view text) {
  Json::Value document;
  try {
    Json::Reader reader;
    if (!reader.parse(text.data(), text.data() + text.size(), document, true)) return std::nullopt;
  } catch (const std::exception&) {
    // The reader throws on nesting deeper than its stack limit.
    return std::nullopt;
  }
  return document;
}

Json::Value CGlobalUtils::ParseJsonFile(const std::string& path) { return ReadJsonFile(path).document; }

JsonFileContent CGlobalUtils::ReadJsonFile(const std::string& path) {
  JsonFileContent content;
  const std::string text = readjsonFile(path);
  std::optional<Json::Value> parsed;
  if (text.empty()) {
    platform::DebugOutput(path);
  } else {
    parsed = ParseJsonText(text);
  }
  if (parsed) {
    content.document = std::move(*parsed);
    content.state = JsonFileState::kParsed;
    DamagedFiles::Forget(path);
  } else if (HasContent(path)) {
    // Text that is no JSON, zero bytes, or a file that cannot be read whole.
    content.state = JsonFileState::kDamaged;
    DamagedFiles::Record(path);
  }
  return content;
}

std::string CGlobalUtils::StyledJsonText(const Json::Value& document) {
  Json::StyledWriter writer;
  const std::string styled = KeepUtf8Text(writer.write(document)) + "\n";
  std::string text;
  text.reserve(styled.size() + styled.size() / 8);
  for (const char c : styled) {
    if (c == '\n') text.push_back('\r');
    text.push_back(c);
  }
  return text;
}

bool CGlobalUtils::WriteJsonFile(const std::string& path, const Json::Value& document) {
  return WriteFileAtomic(path, StyledJsonText(document));
}

bool CGlobalUtils::WriteFileAtomic(const std::string& path, std::string_view text) {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path target = ReplacementTarget(path);
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";

  const std::string file_name = target.filename().string();
  RemoveStaleTemporaries(folder, file_name);

  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = (folder / TemporaryName(file_name, ::getpid(), counter.fetch_add(1))).string();
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    platform::DebugOutput(FormatTrace("WriteJsonFile: cannot create a file beside the target (%d)", errno) + ": " +
                          path);
    return false;
  }
  FileDescriptor file(fd);
  struct stat old_info {};
  if (::stat(target.c_str(), &old_info) == 0) {
    // Keep the permissions of the file being replaced.
    // Best effort: without it the new file keeps the default mode, the data is safe.
    (void)::fchmod(file.get(), old_info.st_mode & 07777);
  }
  const bool written = WriteAll(file.get(), text) && ::fsync(file.get()) == 0;
  const bool closed = file.Close();
  // A damaged file is replaced only once its bytes are kept aside.
  if (!written || !closed || !DamagedFiles::KeepAside(target.string()) ||
      ::rename(temporary.c_str(), target.c_str()) != 0) {
    platform::DebugOutput(FormatTrace("WriteJsonFile: write failed (%d)", errno) + ": " + path);
    ::unlink(temporary.c_str());
    return false;
  }
  // Make the rename itself durable; a failure here no longer endangers the data.
  FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() >= 0) (void)::fsync(directory.get());
  return true;
}

std::string CGlobalUtils::MakeTimeStampName() {
  timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::tm local {};
  ::localtime_r(&now.tv_sec, &local);
  return MakeTimeStampName(LocalTimeStamp{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                          local.tm_min, local.tm_sec, static_cast<int>(now.tv_nsec / 1000000)});
}

std::string CGlobalUtils::MakeTimeStampName(const LocalTimeStamp& time) {
  char name[96];
  std::snprintf(name, sizeof name, "%d_%02d_%02d_%02d_%02d_%02d_%03d", time.year, time.month, time.day, time.hour,
                time.minute, time.second, time.millisecond);
  return name;
}

std::string CGlobalUtils::HexWord(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

}  // namespace zt640
